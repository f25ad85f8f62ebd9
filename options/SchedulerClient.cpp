#include "options/SchedulerClient.h"

#include "platform/com/Creation.h"
#include "platform/com/Registration.h"
#include "platform/com/Server.h"
#include "platform/datetime/DateText.h"
#include "platform/fs/Paths.h"

namespace qm::options {

namespace com = qm::com;

namespace {

// The scheduler as the registration store has it; the creation's result.
com::HRESULT tryCreate(ComPtr<IScheduler>& scheduler)
{
    com::CLSID clsid{};
    const com::HRESULT hr = com::CLSIDFromProgID(u"Cronolet.Scheduler", &clsid);
    if (com::FAILED(hr))
        return hr;
    return com::CoCreateInstance(clsid, nullptr, com::CLSCTX_INPROC_SERVER, IScheduler::iid, scheduler.putVoid());
}

bool notRegistered(com::HRESULT hr) { return hr == com::CO_E_CLASSSTRING || hr == com::REGDB_E_CLASSNOTREG; }

} // namespace

std::string cronoletLibrary() { return qm::fs::toNative(qm::fs::appPath() + "\\libCronolet.so").string(); }

ComPtr<IScheduler> createScheduler(const std::string& library)
{
    ComPtr<IScheduler> scheduler;
    const com::HRESULT hr = tryCreate(scheduler);
    if (notRegistered(hr) && com::SUCCEEDED(com::registerServerLibrary(library)))
        tryCreate(scheduler);
    return scheduler;
}

std::string dateText(com::DATE date)
{
    com::SYSTEMTIME t;
    if (!com::VariantTimeToSystemTime(date, &t))
        return {};
    const qm::datetime::DateTime dt{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    if (dt.date() == qm::datetime::DateTime{})
        return qm::datetime::formatTime(dt);
    return qm::datetime::formatGeneral(dt);
}

} // namespace qm::options
