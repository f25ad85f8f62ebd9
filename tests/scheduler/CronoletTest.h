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
#include <utility>

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

// The text of a string member's result.
template <class Object, class Get>
std::string textOf(const ComPtr<Object>& object, Get get)
{
    Bstr value;
    ((*object.get()).*get)(value.out());
    return value.utf8();
}

template <class Collection>
LONG countOf(const ComPtr<Collection>& c)
{
    LONG n = -1;
    c->get_Count(&n);
    return n;
}

template <class I, class V>
V valueOf(const ComPtr<I>& object, HRESULT (I::*get)(V*))
{
    V v{};
    ((*object.get()).*get)(&v);
    return v;
}

inline LONG statusOf(const ComPtr<ScheduledTask>& t) { return valueOf(t, &ScheduledTask::get_Status); }

// Element `index` (from 1) of a collection as interface `I`; null on E_FAIL.
template <class I, class Collection>
ComPtr<I> itemOf(const ComPtr<Collection>& c, LONG index)
{
    Variant v;
    c->get_Item(index, v.out());
    return as<I>(v);
}

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
        if (cookie_)
            com::CoRevokeClassObject(cookie_);
        com::CoFreeUnusedLibraries();
    }

    // Takes the task scheduler class out of this process, as if it had none.
    void dropTaskScheduler() { com::CoRevokeClassObject(std::exchange(cookie_, 0)); }

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
    ComPtr<ScheduledTasks> listTasks(const ComPtr<IScheduler>& s)
    {
        Variant v;
        s->get_Tasks(v.out());
        return as<ScheduledTasks>(v);
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
