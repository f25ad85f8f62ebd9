#pragma once
// The fixture of the Cronolet tests: each test has its own platform folder
// (with libCronolet.so registered there by comreg) and its own tasks folder,
// and the task scheduler class registered in this process. Objects are
// reached through scheduler/Cronolet.h, as a client binds them.
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Creation.h"
#include "platform/com/Registration.h"
#include "platform/tasksched/Job.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/tasksched/TasksFolder.h"
#include "scheduler/Cronolet.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qmtest {

using namespace qm::cronolet;
using qm::com::Bstr;
using qm::com::ComPtr;
using qm::com::Variant;
namespace com = qm::com;

inline const std::string kCronolet = QM_CRONOLET;

inline int comreg(const std::vector<std::string>& args, std::string* output = nullptr)
{
    std::vector<std::string> argv{(qm::test::programDir() / "comreg").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return qm::test::runCommand(argv, output);
}

// The interface `I` of the object in a VT_DISPATCH result; null when none.
template <class I>
ComPtr<I> as(const Variant& v)
{
    ComPtr<I> out;
    if (v.type() == com::VT_DISPATCH && v.get().pdispVal)
        v.get().pdispVal->QueryInterface(I::iid, out.putVoid());
    return out;
}

template <class I>
LONG errorOf(const ComPtr<I>& object)
{
    LONG code = 12345;
    object->get_ErrorCode(&code);
    return code;
}

inline std::string text(BSTR s) { return com::utf8FromBstr(s); }

class CronoletTest : public ::testing::Test {
public:
    void SetUp() override
    {
        platform_.emplace("QUILLMATE_PLATFORM_DIR", (dir_.path() / "platform").string());
        data_.emplace("XDG_DATA_HOME", (dir_.path() / "data").string());
        ASSERT_EQ(comreg({kCronolet}), 0);
        ASSERT_EQ(qm::tasksched::registerTaskScheduler(&cookie_), com::S_OK);
    }
    void TearDown() override
    {
        com::CoRevokeClassObject(cookie_);
        com::CoFreeUnusedLibraries();
    }

    std::filesystem::path tasks() const { return dir_.path() / "data" / "quillmate" / "Tasks"; }

    ComPtr<IScheduler> makeScheduler()
    {
        com::CLSID clsid{};
        ComPtr<IScheduler> s;
        EXPECT_EQ(com::CLSIDFromProgID(u"Cronolet.Scheduler", &clsid), com::S_OK);
        EXPECT_EQ(com::CoCreateInstance(clsid, nullptr, com::CLSCTX_INPROC_SERVER, IScheduler::iid, s.putVoid()),
                  com::S_OK);
        return s;
    }
    // A job file of the tasks folder, written directly.
    void writeJob(const std::string& name, const qm::tasksched::Job& job = {})
    {
        qm::tasksched::ensurePrivateFolder(tasks());
        qm::tasksched::saveJob(tasks() / (name + ".job"), job);
    }
    ComPtr<ScheduledTask> openTask(const ComPtr<IScheduler>& s, const std::u16string& name)
    {
        Variant v;
        s->get_Task(Bstr(name).get(), v.out());
        return as<ScheduledTask>(v);
    }
    ComPtr<ScheduledTask> newTask(const ComPtr<IScheduler>& s, const std::u16string& name)
    {
        Variant v;
        s->CreateNewTask(Bstr(name).get(), v.out());
        return as<ScheduledTask>(v);
    }

    qm::test::TempDir dir_{"qm-cronolet"};

private:
    std::optional<qm::test::ScopedEnv> platform_;
    std::optional<qm::test::ScopedEnv> data_;
    com::DWORD cookie_ = 0;
};

} // namespace qmtest
