// Every ErrorCode of the scheduler, task and trigger objects, one row per
// code: each row causes its failure, through the real task scheduler over a
// fresh tasks folder where it can, through the failing one otherwise.
#include "CronoletTest.h"
#include "FailingScheduler.h"

#include <functional>
#include <set>

using namespace qmtest;

namespace {

class Env {
public:
    Env(CronoletTest& fixture, FailingSetup* fake, ComPtr<IScheduler> s) : s(std::move(s)), fake(fake), t_(fixture) {}

    // A task: saved in the folder (real), or opened (failing).
    ComPtr<ScheduledTask> task()
    {
        return fake ? t_.openTask(s, u"T") : t_.newTask(s, u"T");
    }
    // The first trigger of a task that has one.
    ComPtr<Trigger> trigger(ComPtr<ScheduledTask> task = {})
    {
        if (!task)
            task = this->task();
        if (fake)
            fake->giveTrigger = true;
        else
            task->CreateNewTrigger(Variant().out());
        Variant collection, item;
        task->get_Triggers(collection.out());
        as<Triggers>(collection)->get_Item(1, item.out());
        return as<Trigger>(item);
    }
    void writeJob(const std::string& name, const std::string& bytes)
    {
        qm::tasksched::ensurePrivateFolder(t_.tasks());
        qm::test::writeFile(t_.tasks() / (name + ".job"), bytes);
    }
    std::filesystem::path folder() const { return t_.tasks(); }

    ComPtr<IScheduler> s;
    FailingSetup* fake;

private:
    CronoletTest& t_;
};

struct CodeRow {
    LONG code;
    const char* what;
    bool failing; // through the failing task scheduler
    std::function<LONG(Env&)> cause;
};

template <class I, class Call>
LONG after(const ComPtr<I>& object, Call call)
{
    call(object.get());
    return errorOf(object);
}

const BSTR kNull = nullptr;

const std::vector<CodeRow>& rows()
{
    using S = IScheduler*;
    using T = ScheduledTask*;
    using G = Trigger*;
    static const std::vector<CodeRow> table{
        // The scheduler.
        {-2, "Tasks: Enum", true, [](Env& e) { return after(e.s, [](S s) { s->get_Tasks(Variant().out()); }); }},
        {-3, "Tasks: a job file that does not read", false,
         [](Env& e) {
             e.writeJob("Broken", "no job here\r\n");
             return after(e.s, [](S s) { s->get_Tasks(Variant().out()); });
         }},
        {-3, "Task: missing task", false,
         [](Env& e) { return after(e.s, [](S s) { s->get_Task(Bstr(u"Nobody").get(), Variant().out()); }); }},
        {-15, "TargetComputer get", true, [](Env& e) { return after(e.s, [](S s) { s->get_TargetComputer(Bstr().out()); }); }},
        {-16, "TargetComputer put: bad target computer", false,
         [](Env& e) { return after(e.s, [](S s) { s->put_TargetComputer(Bstr(u"\\\\ELSEWHERE-0").get()); }); }},
        {-21, "TargetComputer put: null string", false,
         [](Env& e) { return after(e.s, [](S s) { s->put_TargetComputer(kNull); }); }},
        {-21, "CreateNewTask: null string", false,
         [](Env& e) { return after(e.s, [](S s) { s->CreateNewTask(kNull, Variant().out()); }); }},
        {-21, "DeleteTask: null string", false, [](Env& e) { return after(e.s, [](S s) { s->DeleteTask(kNull); }); }},
        {-21, "Task: null string", false,
         [](Env& e) { return after(e.s, [](S s) { s->get_Task(kNull, Variant().out()); }); }},
        {-38, "CreateNewTask: a name NewWorkItem refuses", false,
         [](Env& e) { return after(e.s, [](S s) { s->CreateNewTask(Bstr(u"a/b").get(), Variant().out()); }); }},
        {-38, "CreateNewTask: AddWorkItem", true,
         [](Env& e) { return after(e.s, [](S s) { s->CreateNewTask(Bstr(u"New").get(), Variant().out()); }); }},
        {-39, "CreateNewTask: existing name", false,
         [](Env& e) {
             e.task();
             return after(e.s, [](S s) { s->CreateNewTask(Bstr(u"T").get(), Variant().out()); });
         }},
        {-40, "DeleteTask: missing task", false,
         [](Env& e) { return after(e.s, [](S s) { s->DeleteTask(Bstr(u"Nobody").get()); }); }},
        // The task.
        {-1, "TaskChanged", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_TaskChanged(&v); }); }},
        {-3, "Status: the job file is gone", false,
         [](Env& e) {
             auto t = e.task();
             std::filesystem::remove(e.folder() / "T.job");
             return after(t, [](T t) { LONG v; t->get_Status(&v); });
         }},
        {-3, "StopTask: GetStatus", true, [](Env& e) { return after(e.task(), [](T t) { t->StopTask(); }); }},
        {-4, "SaveTask: the tasks folder is gone", false,
         [](Env& e) {
             auto t = e.task();
             std::filesystem::remove_all(e.folder());
             return after(t, [](T t) { t->SaveTask(); });
         }},
        {-5, "ApplicationName get", true, [](Env& e) { return after(e.task(), [](T t) { t->get_ApplicationName(Bstr().out()); }); }},
        {-6, "ApplicationName put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_ApplicationName(kNull); }); }},
        {-7, "WorkingDirectory get", true, [](Env& e) { return after(e.task(), [](T t) { t->get_WorkingDirectory(Bstr().out()); }); }},
        {-7, "MaxRunTime get", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_MaxRunTime(&v); }); }},
        {-8, "WorkingDirectory put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_WorkingDirectory(kNull); }); }},
        {-10, "MaxRunTime put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_MaxRunTime(1); }); }},
        {-11, "Priority get", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_Priority(&v); }); }},
        {-12, "Priority put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_Priority(3); }); }},
        {-13, "Parameters get", true, [](Env& e) { return after(e.task(), [](T t) { t->get_Parameters(Bstr().out()); }); }},
        {-14, "Parameters put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_Parameters(kNull); }); }},
        {-17, "Flags get", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_Flags(&v); }); }},
        {-17, "Flags put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_Flags(0); }); }},
        {-19, "SetAccountInformation: another account", false,
         [](Env& e) {
             return after(e.task(), [](T t) { t->SetAccountInformation(Bstr(u"somebody-else").get(), kNull); });
         }},
        {-20, "Username get", true, [](Env& e) { return after(e.task(), [](T t) { t->get_Username(Bstr().out()); }); }},
        {-21, "Priority put: unknown priority", false, [](Env& e) { return after(e.task(), [](T t) { t->put_Priority(5); }); }},
        {-21, "Flags put: bad flags", false, [](Env& e) { return after(e.task(), [](T t) { t->put_Flags(0x100); }); }},
        {-22, "Status: GetStatus", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_Status(&v); }); }},
        {-23, "LastExitCode", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_LastExitCode(&v); }); }},
        {-24, "Comment get", true, [](Env& e) { return after(e.task(), [](T t) { t->get_Comment(Bstr().out()); }); }},
        {-25, "Comment put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_Comment(kNull); }); }},
        {-26, "Creator get", true, [](Env& e) { return after(e.task(), [](T t) { t->get_Creator(Bstr().out()); }); }},
        {-27, "Creator put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_Creator(kNull); }); }},
        {-28, "StopTask: Terminate", true,
         [](Env& e) {
             e.fake->status = qm::tasksched::SCHED_S_TASK_RUNNING;
             return after(e.task(), [](T t) { t->StopTask(); });
         }},
        {-29, "StopTask: not running", false, [](Env& e) { return after(e.task(), [](T t) { t->StopTask(); }); }},
        {-30, "Run: no program", false, [](Env& e) { return after(e.task(), [](T t) { t->Run(); }); }},
        {-31, "LastRunTime", true, [](Env& e) { return after(e.task(), [](T t) { DATE v; t->get_LastRunTime(&v); }); }},
        {-32, "IdleWaitTime get", true, [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_IdleWaitTime(&v); }); }},
        {-33, "IdleWaitTime put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_IdleWaitTime(1); }); }},
        {-34, "MaxIdleWaitTime get", true,
         [](Env& e) { return after(e.task(), [](T t) { LONG v; t->get_MaxIdleWaitTime(&v); }); }},
        {-35, "MaxIdleWaitTime put", true, [](Env& e) { return after(e.task(), [](T t) { t->put_MaxIdleWaitTime(1); }); }},
        {-36, "EditTask: no property sheet", false, [](Env& e) { return after(e.task(), [](T t) { t->EditTask(); }); }},
        {-37, "NextRunTime", true, [](Env& e) { return after(e.task(), [](T t) { DATE v; t->get_NextRunTime(&v); }); }},
        {-43, "Triggers: GetTrigger", true, [](Env& e) { return after(e.task(), [](T t) { t->get_Triggers(Variant().out()); }); }},
        {-47, "CreateNewTrigger", true, [](Env& e) { return after(e.task(), [](T t) { t->CreateNewTrigger(Variant().out()); }); }},
        {-48, "DeleteTrigger: missing trigger index", false,
         [](Env& e) { return after(e.task(), [](T t) { t->DeleteTrigger(3); }); }},
        {-49, "AssociatedFileName", true,
         [](Env& e) { return after(e.task(), [](T t) { t->get_AssociatedFileName(Bstr().out()); }); }},
        // The trigger.
        {-41, "TriggerString", true, [](Env& e) { return after(e.trigger(), [](G g) { g->get_TriggerString(Bstr().out()); }); }},
        {-42, "SetTrigger: a record the task refuses", false,
         [](Env& e) {
             return after(e.trigger(), [](G g) {
                 g->put_StartHour(25);
                 g->SetTrigger();
             });
         }},
        {-44, "TriggerType put: out of range", false, [](Env& e) { return after(e.trigger(), [](G g) { g->put_TriggerType(8); }); }},
        {-45, "the record does not read", true, [](Env& e) { return errorOf(e.trigger()); }},
        {-45, "DaysInterval of a weekly trigger", false,
         [](Env& e) {
             return after(e.trigger(), [](G g) {
                 SHORT v = 0;
                 g->put_TriggerType(2);
                 g->get_DaysInterval(&v);
             });
         }},
    };
    return table;
}

} // namespace

TEST_F(CronoletTest, EveryErrorCodeComesFromItsFailedStep)
{
    std::set<LONG> covered;
    for (const CodeRow& row : rows()) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(tasks());
        std::optional<FailingBackend> fake;
        if (row.failing)
            fake.emplace();
        Env env(*this, fake ? &fake->setup : nullptr, makeScheduler());
        ASSERT_TRUE(env.s);
        ASSERT_EQ(errorOf(env.s), 0);
        EXPECT_EQ(row.cause(env), row.code);
        covered.insert(row.code);
    }
    // Every code of the three objects but -50, which has a test of its own.
    EXPECT_EQ(covered.size(), 46u);
}

TEST_F(CronoletTest, SaveTaskCompletesTheSaveEvenWhenItFailed)
{
    FailingBackend fake;
    fake.setup.persist = true;
    ComPtr<ScheduledTask> task = openTask(makeScheduler(), u"T");
    ASSERT_TRUE(task);
    task->SaveTask();
    EXPECT_EQ(errorOf(task), -4);
    EXPECT_EQ(fake.setup.saveCompletedCalls, 1);
    fake.setup.status = 0x41309; // a status with no code of its own
    LONG status = 7;
    task->get_Status(&status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(errorOf(task), 0);
}
