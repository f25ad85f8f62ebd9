// The scheduler's interfaces over a temporary tasks folder: names, the
// enumerator, creation and deletion, the task's settings and triggers, its
// job file, and real runs.
#include "TaskTestUtil.h"
#include "TestSupport.h"

#include "platform/com/ComPtr.h"
#include "platform/com/Creation.h"
#include "platform/com/TaskMem.h"
#include "platform/fs/Paths.h"
#include "platform/tasksched/Status.h"
#include "platform/tasksched/TaskNames.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/tasksched/TasksFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace qmtest;
using qm::com::ComPtr;
namespace com = qm::com;
namespace stdfs = std::filesystem;

namespace {

std::u16string u(const std::string& s) { return com::utf16FromUtf8(s); }

// Takes a string the callee allocated.
std::string take(com::LPWSTR s)
{
    std::string text = com::utf8FromUtf16(com::olestrView(s));
    com::CoTaskMemFree(s);
    return text;
}

class SchedulerTest : public ::testing::Test {
protected:
    ComPtr<ITask> add(const std::string& name, const Job& job = {})
    {
        ComPtr<ITask> task;
        EXPECT_EQ(sched_->NewWorkItem(u(name).c_str(), CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task.put())),
                  com::S_OK);
        if (!task)
            return task;
        task->SetApplicationName(u(job.ApplicationName).c_str());
        task->SetParameters(u(job.Parameters).c_str());
        task->SetMaxRunTime(job.MaxRunTimeMs);
        for (const TASK_TRIGGER& t : job.triggers) {
            WORD index = 0;
            ComPtr<ITaskTrigger> trig;
            task->CreateTrigger(&index, trig.put());
            EXPECT_EQ(trig->SetTrigger(&t), com::S_OK);
        }
        EXPECT_EQ(sched_->AddWorkItem(u(name).c_str(), task.get()), com::S_OK);
        return task;
    }
    HRESULT activate(const std::string& name, ComPtr<ITask>& task)
    {
        return sched_->Activate(u(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(task.put()));
    }
    HRESULT status(ITask* task)
    {
        HRESULT s = 0;
        task->GetStatus(&s);
        return s;
    }
    bool ended(ITask* task) { return eventually([&] { return status(task) != SCHED_S_TASK_RUNNING; }); }

    qm::test::TempDir dir_{"qm-tasks"};
    ComPtr<ITaskScheduler> sched_ = ComPtr<ITaskScheduler>::attach(createTaskScheduler(dir_.path()));
};

TEST_F(SchedulerTest, EnumListsJobFilesInBatches)
{
    add("b");
    add("A");
    add("c.job");
    qm::test::writeFile(dir_ / ".hidden.job", "[Task]\r\n");
    qm::test::writeFile(dir_ / "notes.txt", "");
    ComPtr<IEnumWorkItems> items;
    ASSERT_EQ(sched_->Enum(items.put()), com::S_OK);
    com::LPWSTR* names = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(items->Next(2, &names, &fetched), com::S_OK);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(take(names[0]), "A.job");
    EXPECT_EQ(take(names[1]), "b.job");
    com::CoTaskMemFree(names);
    EXPECT_EQ(items->Next(5, &names, &fetched), com::S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(take(names[0]), "c.job");
    com::CoTaskMemFree(names);
    EXPECT_EQ(items->Next(5, &names, &fetched), com::S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(names, nullptr);
}

TEST_F(SchedulerTest, NamesWithOrWithoutJobAndTheirFailures)
{
    add("Nightwick");
    ComPtr<ITask> task;
    EXPECT_EQ(activate("Nightwick", task), com::S_OK);
    EXPECT_EQ(activate("nightwick.JOB", task), com::S_OK);
    EXPECT_EQ(activate("Other", task), com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sched_->NewWorkItem(u("NIGHTWICK.job").c_str(), CLSID_CTask, IID_ITask,
                                  reinterpret_cast<IUnknown**>(task.put())),
              com::HRESULT_FROM_WIN32(com::ERROR_FILE_EXISTS));
    qm::test::writeFile(dir_ / "Broken.job", "not a job");
    EXPECT_EQ(activate("Broken", task), SCHED_E_INVALID_TASK);

    for (const std::string& bad : std::vector<std::string>{"", ".job", "../x", "a/b", "a\\b", ".hidden", "tab\there",
                                  "c:x", std::string(201, 'n')}) {
        EXPECT_EQ(activate(bad, task), com::E_INVALIDARG) << bad;
        EXPECT_EQ(sched_->Delete(u(bad).c_str()), com::E_INVALIDARG) << bad;
    }
    EXPECT_FALSE(taskBaseName(std::string("a\0b", 3))); // through the interface a NUL ends the name
    EXPECT_EQ(sched_->NewWorkItem(u(std::string(200, 'n')).c_str(), CLSID_CTask, IID_ITask,
                                  reinterpret_cast<IUnknown**>(task.put())),
              com::S_OK);

    qm::test::writeFile(dir_ / "Nightwick.job.state", "[State]\r\nExitCode=1\r\n");
    EXPECT_EQ(sched_->Delete(u("Nightwick").c_str()), com::S_OK);
    EXPECT_FALSE(stdfs::exists(dir_ / "Nightwick.job"));
    EXPECT_FALSE(stdfs::exists(dir_ / "Nightwick.job.state"));
    EXPECT_EQ(sched_->Delete(u("Nightwick").c_str()), com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND));
}

TEST_F(SchedulerTest, OnlyThisComputerIsATarget)
{
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    for (const std::string& name : {std::string(), std::string(host), "\\\\" + std::string(host)})
        EXPECT_EQ(sched_->SetTargetComputer(u(name).c_str()), com::S_OK) << name;
    EXPECT_EQ(sched_->SetTargetComputer(nullptr), com::S_OK);
    EXPECT_EQ(sched_->SetTargetComputer(u("\\\\elsewhere").c_str()), com::HRESULT_FROM_WIN32(com::ERROR_BAD_NETPATH));
    com::LPWSTR name = nullptr;
    ASSERT_EQ(sched_->GetTargetComputer(&name), com::S_OK);
    EXPECT_EQ(take(name), "\\\\" + std::string(host));
}

TEST_F(SchedulerTest, SettingsAreCheckedAndSavedWithoutTouchingTheState)
{
    ComPtr<ITask> task = add("Report");
    qm::test::writeFile(dir_ / "Report.job.state", "[State]\r\nExitCode=7\r\n");
    ComPtr<IPersistFile> file;
    ASSERT_EQ(task.queryInterface(file), com::S_OK);
    EXPECT_EQ(file->IsDirty(), com::S_FALSE);
    EXPECT_EQ(task->SetFlags(0x1), com::E_INVALIDARG);
    EXPECT_EQ(task->SetPriority(0), com::E_INVALIDARG);
    EXPECT_EQ(task->SetPriority(IDLE_PRIORITY_CLASS), com::S_OK);
    EXPECT_EQ(task->SetAccountInformation(u("somebody-else").c_str(), u("pw").c_str()), com::E_ACCESSDENIED);
    EXPECT_EQ(task->SetAccountInformation(u(userName()).c_str(), u("secret-pw").c_str()), com::S_OK);
    task->SetComment(nullptr);
    task->SetIdleWait(3, 4);
    EXPECT_EQ(file->IsDirty(), com::S_OK);
    ASSERT_EQ(file->Save(nullptr, true), com::S_OK);
    EXPECT_EQ(file->IsDirty(), com::S_FALSE);
    EXPECT_EQ(qm::test::readFile(dir_ / "Report.job.state"), "[State]\r\nExitCode=7\r\n");
    const std::string text = qm::test::readFile(dir_ / "Report.job");
    EXPECT_EQ(text.find("secret-pw"), std::string::npos);
    const auto job = parseJob(text);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->Priority, IDLE_PRIORITY_CLASS);
    EXPECT_EQ(job->Account, userName());
    EXPECT_EQ(job->IdleMinutes, 3);
    EXPECT_EQ(job->DeadlineMinutes, 4);

    com::LPWSTR path = nullptr;
    ASSERT_EQ(file->GetCurFile(&path), com::S_OK);
    EXPECT_EQ(take(path), qm::fs::fromNative(dir_ / "Report.job"));
    DWORD code = 0;
    EXPECT_EQ(task->GetExitCode(&code), com::S_OK);
    EXPECT_EQ(code, 7u);
}

TEST_F(SchedulerTest, TriggerObjectsFollowTheirTrigger)
{
    ComPtr<ITask> task = add("T", jobRunning("x", "", {daily(2026, 1, 1, 6), daily(2026, 1, 1, 7)}));
    ComPtr<ITaskTrigger> first, second;
    ASSERT_EQ(task->GetTrigger(0, first.put()), com::S_OK);
    ASSERT_EQ(task->GetTrigger(1, second.put()), com::S_OK);
    EXPECT_EQ(task->GetTrigger(2, first.put()), com::E_INVALIDARG);
    ASSERT_EQ(task->GetTrigger(0, first.put()), com::S_OK);

    TASK_TRIGGER bad = daily(2026, 1, 1);
    bad.TriggerType = 8;
    EXPECT_EQ(second->SetTrigger(&bad), com::E_INVALIDARG);
    bad = daily(2026, 1, 1);
    bad.MinutesInterval = 10;
    bad.MinutesDuration = 10;
    EXPECT_EQ(second->SetTrigger(&bad), com::E_INVALIDARG);

    EXPECT_EQ(task->DeleteTrigger(0), com::S_OK);
    EXPECT_EQ(task->DeleteTrigger(5), com::E_INVALIDARG);
    WORD count = 0;
    task->GetTriggerCount(&count);
    EXPECT_EQ(count, 1);
    com::LPWSTR text = nullptr;
    ASSERT_EQ(second->GetTriggerString(&text), com::S_OK);
    EXPECT_EQ(take(text), "At 7:00 every day, starting 1/1/2026");
    TASK_TRIGGER t = daily(2026, 1, 1, 8);
    EXPECT_EQ(first->SetTrigger(&t), com::E_FAIL); // deleted
    EXPECT_EQ(second->SetTrigger(&t), com::S_OK);
    ComPtr<ITaskTrigger> again;
    task->GetTrigger(0, again.put());
    TASK_TRIGGER read;
    again->GetTrigger(&read);
    EXPECT_EQ(read.wStartHour, 8);
}

TEST_F(SchedulerTest, PropertySheetComesFromTheWindowProgram)
{
    ComPtr<ITask> task = add("Sheet");
    EXPECT_EQ(task->EditWorkItem(nullptr, 0), com::E_NOTIMPL);
    ITask* shown = nullptr;
    setPropertySheetHook([&](ITask* t, void*) {
        shown = t;
        return com::S_OK;
    });
    EXPECT_EQ(task->EditWorkItem(nullptr, 0), com::S_OK);
    EXPECT_EQ(shown, task.get());
    setPropertySheetHook({});
}

TEST_F(SchedulerTest, ClassTableMakesASchedulerOverTheTasksFolder)
{
    DWORD cookie = 0;
    ASSERT_EQ(registerTaskScheduler(&cookie), com::S_OK);
    ComPtr<ITaskScheduler> sched;
    ASSERT_EQ(com::CoCreateInstance(CLSID_CTaskScheduler, nullptr, com::CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                    sched.putVoid()),
              com::S_OK);
    ComPtr<ITask> task;
    ASSERT_EQ(sched->NewWorkItem(u("Made").c_str(), CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task.put())),
              com::S_OK);
    // A new task may run 72 hours, and waits for 10 idle minutes up to 60.
    DWORD limit = 0;
    WORD idle = 0, deadline = 0;
    task->GetMaxRunTime(&limit);
    task->GetIdleWait(&idle, &deadline);
    EXPECT_EQ(limit, 259200000u);
    EXPECT_EQ(idle, 10);
    EXPECT_EQ(deadline, 60);
    ASSERT_EQ(sched->AddWorkItem(u("Made").c_str(), task.get()), com::S_OK);
    EXPECT_TRUE(stdfs::exists(tasksFolderNative() / "Made.job"));
    EXPECT_EQ(stdfs::status(tasksFolderNative()).permissions() & stdfs::perms::all, stdfs::perms::owner_all);
    EXPECT_EQ(com::CoRevokeClassObject(cookie), com::S_OK);
}

TEST_F(SchedulerTest, RunRecordsTheExitCode)
{
    ComPtr<ITask> unsaved;
    sched_->NewWorkItem(u("New").c_str(), CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(unsaved.put()));
    EXPECT_EQ(unsaved->Run(), com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(add("Missing", jobRunning("no-such-program-here", "", {}))->Run(),
              com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND));

    ComPtr<ITask> task = add("Three", jobRunning("sh", "-c \"exit 3\"", {daily(2026, 1, 1)}));
    EXPECT_EQ(status(task.get()), SCHED_S_TASK_HAS_NOT_RUN);
    ASSERT_EQ(task->Run(), com::S_OK);
    ASSERT_TRUE(ended(task.get()));
    DWORD code = 0;
    task->GetExitCode(&code);
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(status(task.get()), SCHED_S_TASK_READY);
    SYSTEMTIME last{};
    task->GetMostRecentRunTime(&last);
    EXPECT_GE(last.wYear, 2026);
}

TEST_F(SchedulerTest, TerminateEndsTheRunAndOnlyThatProcess)
{
    ComPtr<ITask> task = add("Sleeper", jobRunning("sleep", "30", {daily(2026, 1, 1)}));
    EXPECT_EQ(task->Terminate(), SCHED_E_TASK_NOT_RUNNING);
    ASSERT_EQ(task->Run(), com::S_OK);
    EXPECT_EQ(status(task.get()), SCHED_S_TASK_RUNNING);
    EXPECT_EQ(task->Run(), SCHED_S_TASK_RUNNING); // never twice
    ASSERT_EQ(task->Terminate(), com::S_OK);
    ASSERT_TRUE(ended(task.get()));
    EXPECT_EQ(status(task.get()), SCHED_S_TASK_TERMINATED);
    DWORD code = 0;
    task->GetExitCode(&code);
    EXPECT_EQ(code, 128u + SIGTERM);

    // A recorded process number that now names another process (this one).
    qm::test::writeFile(dir_ / "Sleeper.job.state",
                        "[State]\r\nPid=" + std::to_string(getpid()) + "\r\nPidStart=1\r\n");
    EXPECT_NE(status(task.get()), SCHED_S_TASK_RUNNING);
    EXPECT_EQ(task->Terminate(), SCHED_E_TASK_NOT_RUNNING);
}

TEST_F(SchedulerTest, RunTakesWindowsPathsAndSetsTheProgramUp)
{
    const std::string script = (dir_ / "report.sh").string();
    qm::test::writeFile(script, "#!/bin/sh\n{ pwd; echo \"$QT_QPA_PLATFORM\"; nice; echo \"$1|$2\"; } > out.txt\n");
    stdfs::permissions(script, stdfs::perms::owner_all);
    stdfs::create_directories(dir_ / "Work Folder");
    Job job = jobRunning(qm::fs::fromNative(script), "\"two words\" \"\"", {daily(2026, 1, 1)});
    ComPtr<ITask> task = add("Report", job);
    task->SetWorkingDirectory(u(qm::fs::fromNative(dir_ / "work folder")).c_str()); // any letter case
    task->SetPriority(IDLE_PRIORITY_CLASS);
    ComPtr<IPersistFile> file;
    task.queryInterface(file);
    ASSERT_EQ(file->Save(nullptr, true), com::S_OK);

    qm::test::ScopedEnv noDisplay("DISPLAY", std::nullopt), noWayland("WAYLAND_DISPLAY", std::nullopt),
        noPlatform("QT_QPA_PLATFORM", std::nullopt);
    ASSERT_EQ(task->Run(), com::S_OK);
    ASSERT_TRUE(ended(task.get()));
    EXPECT_EQ(qm::test::readFile(dir_ / "Work Folder/out.txt"),
              (dir_ / "Work Folder").string() + "\noffscreen\n19\ntwo words|\n");
}

TEST_F(SchedulerTest, DeleteWhenDoneRemovesATaskWithNoRunToCome)
{
    Job job = jobRunning("true", "", {trigger(TASK_TIME_TRIGGER_ONCE, 2026, 1, 1, 9)});
    ComPtr<ITask> task = add("Once", job);
    task->SetFlags(TASK_FLAG_DELETE_WHEN_DONE);
    ComPtr<IPersistFile> file;
    task.queryInterface(file);
    file->Save(nullptr, true);
    SYSTEMTIME next{};
    ASSERT_EQ(task->GetNextRunTime(&next), com::S_OK);
    EXPECT_EQ(next.wYear, 0); // nothing to come: all zero
    ASSERT_EQ(task->Run(), com::S_OK);
    EXPECT_TRUE(eventually([&] { return !stdfs::exists(dir_ / "Once.job") && !stdfs::exists(dir_ / "Once.job.state"); }));
}

TEST_F(SchedulerTest, TimeLimitEndsARun)
{
    Job job = jobRunning("sleep", "30", {daily(2026, 1, 1)});
    job.MaxRunTimeMs = 200;
    ComPtr<ITask> task = add("Limited", job);
    ASSERT_EQ(task->Run(), com::S_OK);
    ASSERT_TRUE(ended(task.get()));
    EXPECT_EQ(status(task.get()), SCHED_S_TASK_TERMINATED);
}

} // namespace
