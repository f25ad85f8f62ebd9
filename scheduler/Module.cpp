// The module: its lock count, the class factory of its one class, and the
// exports that hand the factory out and tell whether the library is in use.
#include "scheduler/Module.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/Server.h"
#include "scheduler/CScheduler.h"

#include <atomic>

namespace qm::cronolet {

namespace {

std::atomic<long> locks{0};
// The LockServer(true) calls not yet undone: a LockServer(false) without one
// changes nothing, so it can never free the lock of a live object.
std::atomic<long> serverLocks{0};

// The factory of the scheduler class, made once and kept by the module; its
// own references do not keep the library loaded (LockServer does).
class SchedulerFactory final : public com::IClassFactory {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (!object)
            return com::E_POINTER;
        if (riid != IUnknown::iid && riid != com::IClassFactory::iid) {
            *object = nullptr;
            return com::E_NOINTERFACE;
        }
        *object = static_cast<com::IClassFactory*>(this);
        return com::S_OK;
    }
    com::ULONG AddRef() override { return 2; }
    com::ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** object) override
    {
        return CScheduler::create(outer, riid, object);
    }
    HRESULT LockServer(bool lock) override
    {
        if (lock) {
            ++serverLocks;
            lockModule();
            return com::S_OK;
        }
        long held = serverLocks.load();
        while (held > 0 && !serverLocks.compare_exchange_weak(held, held - 1)) {
        }
        if (held > 0)
            unlockModule();
        return com::S_OK;
    }
};

SchedulerFactory& factory()
{
    static SchedulerFactory made;
    return made;
}

} // namespace

void lockModule() { ++locks; }
void unlockModule() { --locks; }
long moduleLockCount() { return locks.load(); }

} // namespace qm::cronolet

using namespace qm::cronolet;

extern "C" {

qm::com::HRESULT DllGetClassObject(const qm::com::CLSID& clsid, const qm::com::IID& riid, void** object)
{
    if (!object)
        return qm::com::E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Cronolet)
        return qm::com::CLASS_E_CLASSNOTAVAILABLE;
    return factory().QueryInterface(riid, object);
}

qm::com::HRESULT DllCanUnloadNow() { return moduleLockCount() == 0 ? qm::com::S_OK : qm::com::S_FALSE; }

}
