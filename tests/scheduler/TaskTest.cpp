// The task and trigger objects over the real task scheduler: the priority
// and status codes, puts in memory until SaveTask, re-opening, the idle
// pair, running and stopping, triggers and their record copy; and over the
// failing one, what a failed get leaves in its result.
#include "CronoletTest.h"
#include "FailingScheduler.h"

#include "platform/fs/Paths.h"
#include "platform/tasksched/TasksFolder.h"

using namespace qmtest;
namespace ts = qm::tasksched;
using com::S_OK;

namespace {

ts::TASK_TRIGGER daily(int hour)
{
    ts::TASK_TRIGGER t;
    t.TriggerType = ts::TASK_TIME_TRIGGER_DAILY;
    t.wBeginYear = 2026;
    t.wBeginMonth = 1;
    t.wBeginDay = 1;
    t.wStartHour = static_cast<WORD>(hour);
    t.Type.setDaysInterval(1);
    return t;
}

ComPtr<Trigger> triggerAt(const ComPtr<ScheduledTask>& task, LONG item)
{
    Variant v;
    task->get_Triggers(v.out());
    return itemOf<Trigger>(as<Triggers>(v), item);
}

} // namespace

TEST_F(CronoletTest, PriorityCodesMapToTheClassesAndOthersAreRefused)
{
    ComPtr<ScheduledTask> task = newTask(makeScheduler(), u"P");
    const com::DWORD classes[] = {ts::NORMAL_PRIORITY_CLASS, ts::IDLE_PRIORITY_CLASS, ts::HIGH_PRIORITY_CLASS,
                                  ts::REALTIME_PRIORITY_CLASS};
    for (LONG code = 1; code <= 4; ++code) {
        task->put_Priority(code);
        task->SaveTask();
        EXPECT_EQ(ts::loadJob(tasks() / "P.job")->Priority, classes[code - 1]);
        EXPECT_EQ(valueOf(task, &ScheduledTask::get_Priority), code);
    }
    for (LONG bad : {0, 5}) {
        task->put_Priority(bad);
        EXPECT_EQ(errorOf(task), -21);
        EXPECT_EQ(valueOf(task, &ScheduledTask::get_Priority), 4);
        EXPECT_EQ(errorOf(task), 0); // every member starts afresh
    }
    ts::Job job;
    job.Priority = 0x4000;
    writeJob("Odd", job);
    EXPECT_EQ(valueOf(openTask(makeScheduler(), u"Odd"), &ScheduledTask::get_Priority), 0);
}

TEST_F(CronoletTest, PutsStayInMemoryUntilSavedAndReopeningDropsThem)
{
    ComPtr<ScheduledTask> task = newTask(makeScheduler(), u"Edit");
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_TaskChanged), 0);
    task->put_ApplicationName(Bstr(u"/bin/true").get());
    task->put_Comment(Bstr(u"nightly").get());
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_TaskChanged), 1);
    EXPECT_EQ(ts::loadJob(tasks() / "Edit.job")->ApplicationName, "");
    task->SaveTask();
    EXPECT_EQ(errorOf(task), 0);
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_TaskChanged), 0);
    EXPECT_EQ(ts::loadJob(tasks() / "Edit.job")->Comment, "nightly");

    // A null string clears; Status re-opens the task from its file.
    task->put_ApplicationName(nullptr);
    EXPECT_EQ(textOf(task, &ScheduledTask::get_ApplicationName), "");
    statusOf(task);
    EXPECT_EQ(textOf(task, &ScheduledTask::get_ApplicationName), "/bin/true");
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_TaskChanged), 0);

    // When re-opening fails the task keeps the work item it had.
    std::filesystem::remove(tasks() / "Edit.job");
    statusOf(task);
    EXPECT_EQ(errorOf(task), -3);
    EXPECT_EQ(textOf(task, &ScheduledTask::get_Comment), "nightly");
    EXPECT_EQ(errorOf(task), 0);

    EXPECT_EQ(textOf(task, &ScheduledTask::get_Name), "Edit");
    const std::string file = textOf(task, &ScheduledTask::get_AssociatedFileName);
    EXPECT_EQ(file, qm::fs::fromNative(tasks() / "Edit.job"));
}

TEST_F(CronoletTest, IdlePutsKeepTheOtherCountInSixteenBits)
{
    ComPtr<ScheduledTask> task = newTask(makeScheduler(), u"Idle");
    task->put_IdleWaitTime(15);
    task->put_MaxIdleWaitTime(90);
    task->put_IdleWaitTime(20);
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_MaxIdleWaitTime), 90);
    task->put_MaxIdleWaitTime(65536);
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_IdleWaitTime), 20);
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_MaxIdleWaitTime), 0);
    task->put_IdleWaitTime(65537);
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_IdleWaitTime), 1);

    task->put_MaxRunTime(-1); // as stored: every bit
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_MaxRunTime), -1);
    task->put_Flags(ts::TASK_FLAG_DISABLED);
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_Flags), static_cast<LONG>(ts::TASK_FLAG_DISABLED));
    task->SetAccountInformation(Bstr(com::utf16FromUtf8(ts::userName())).get(), nullptr);
    EXPECT_EQ(errorOf(task), 0);
    EXPECT_EQ(textOf(task, &ScheduledTask::get_Username), ts::userName());
}

TEST_F(CronoletTest, StatusFollowsTheRunAndStopTaskEndsIt)
{
    ts::Job job;
    job.ApplicationName = "sleep";
    job.Parameters = "30";
    job.triggers.push_back(daily(21));
    writeJob("Sleeper", job);
    ts::Job events;
    events.triggers.push_back(daily(21));
    events.triggers[0].TriggerType = ts::TASK_EVENT_TRIGGER_AT_SYSTEMSTART;
    writeJob("AtStart", events);

    ComPtr<IScheduler> s = makeScheduler();
    ComPtr<ScheduledTask> task = openTask(s, u"Sleeper");
    EXPECT_EQ(statusOf(task), 4);
    EXPECT_EQ(statusOf(openTask(s, u"AtStart")), 9);
    const DATE untouched = 123.0;
    DATE last = untouched;
    task->get_LastRunTime(&last);
    EXPECT_EQ(last, untouched);
    EXPECT_GT(valueOf(task, &ScheduledTask::get_NextRunTime), 46023.0); // after 1/1/2026

    task->Run();
    ASSERT_EQ(errorOf(task), 0);
    EXPECT_EQ(statusOf(task), 2);
    task->StopTask();
    EXPECT_EQ(errorOf(task), 0);
    EXPECT_TRUE(qm::test::eventually([&] { return statusOf(task) == 7; }));
    EXPECT_EQ(valueOf(task, &ScheduledTask::get_LastExitCode), 128 + 15); // ended by TERM
    EXPECT_GT(valueOf(task, &ScheduledTask::get_LastRunTime), 46023.0);
}

TEST_F(CronoletTest, NewTriggersAreSavedAtOnceAndListedAtTheNextCall)
{
    ComPtr<ScheduledTask> task = newTask(makeScheduler(), u"Trig");
    Variant held;
    task->get_Triggers(held.out());
    ComPtr<Triggers> triggers = as<Triggers>(held);
    ASSERT_TRUE(triggers);
    EXPECT_EQ(countOf(triggers), 0);

    Variant made;
    task->CreateNewTrigger(made.out());
    ASSERT_TRUE(as<Trigger>(made));
    EXPECT_EQ(errorOf(task), 0);
    EXPECT_EQ(ts::loadJob(tasks() / "Trig.job")->triggers.size(), 1u);
    EXPECT_EQ(countOf(triggers), 0);
    task->CreateNewTrigger(made.out());
    Variant again;
    task->get_Triggers(again.out());
    EXPECT_EQ(as<Triggers>(again).get(), triggers.get());
    EXPECT_EQ(countOf(triggers), 2);
    EXPECT_EQ(valueOf(itemOf<Trigger>(triggers, 1), &Trigger::get_Index), 0);
    EXPECT_EQ(valueOf(itemOf<Trigger>(triggers, 2), &Trigger::get_Index), 1);

    task->DeleteTrigger(0);
    EXPECT_EQ(errorOf(task), 0);
    EXPECT_EQ(countOf(triggers), 2); // until the next Triggers
    task->SaveTask();
    EXPECT_EQ(ts::loadJob(tasks() / "Trig.job")->triggers.size(), 1u);
}

TEST_F(CronoletTest, TriggerWorksOnItsCopyUntilSetTriggerAndSaveTask)
{
    ts::Job job;
    job.triggers.push_back(daily(21));
    writeJob("Copy", job);
    ComPtr<ScheduledTask> task = openTask(makeScheduler(), u"Copy");
    ComPtr<Trigger> trigger = triggerAt(task, 1);
    ASSERT_TRUE(trigger);
    const std::string before = textOf(trigger, &Trigger::get_TriggerString);
    EXPECT_EQ(before.rfind("At 21:00", 0), 0u) << before;

    trigger->put_StartHour(6);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_StartHour), 6);
    EXPECT_EQ(textOf(trigger, &Trigger::get_TriggerString), before);

    // The type-specific words are shared whatever the type.
    trigger->put_TriggerType(2);
    trigger->put_DaysInterval(3);
    trigger->put_DaysOfTheWeek(ts::TASK_MONDAY);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_WeeksInterval), 3);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_DaysOfTheWeek), ts::TASK_MONDAY);
    EXPECT_EQ(errorOf(trigger), 0);
    SHORT months = 77;
    trigger->get_Months(&months);
    EXPECT_EQ(errorOf(trigger), -45);
    EXPECT_EQ(months, 77);
    trigger->put_TriggerType(4);
    trigger->get_DaysOfTheWeek(&months);
    EXPECT_EQ(errorOf(trigger), 0);
    for (LONG bad : {8, -1}) {
        trigger->put_TriggerType(bad);
        EXPECT_EQ(errorOf(trigger), -44);
        EXPECT_EQ(valueOf(trigger, &Trigger::get_TriggerType), 4);
    }
    trigger->put_TriggerType(5);
    EXPECT_EQ(errorOf(trigger), 0);
    trigger->put_TriggerType(3);
    trigger->put_Days(0x40000001); // day 1 and day 31: both words
    trigger->put_Months(ts::TASK_ALL_MONTHS);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_Days), 0x40000001);

    trigger->SetTrigger();
    EXPECT_EQ(errorOf(trigger), 0);
    EXPECT_NE(textOf(trigger, &Trigger::get_TriggerString), before);
    EXPECT_EQ(ts::loadJob(tasks() / "Copy.job")->triggers[0].wStartHour, 21);
    task->SaveTask();
    const ts::TASK_TRIGGER saved = ts::loadJob(tasks() / "Copy.job")->triggers[0];
    EXPECT_EQ(saved.wStartHour, 6);
    EXPECT_EQ(saved.TriggerType, ts::TASK_TIME_TRIGGER_MONTHLYDATE);
    EXPECT_EQ(saved.Type.Days(), 0x40000001u);
}

TEST_F(CronoletTest, FailedGetsLeaveTheirResultExceptPriorityAndTaskChanged)
{
    FailingBackend fake;
    ComPtr<ScheduledTask> task = openTask(makeScheduler(), u"T");
    ASSERT_TRUE(task);
    Bstr text(u"kept");
    BSTR slot = text.get();
    task->get_Comment(&slot);
    EXPECT_EQ(slot, text.get());
    LONG number = 42;
    task->get_MaxRunTime(&number);
    EXPECT_EQ(number, 42);
    task->get_Priority(&number);
    EXPECT_EQ(number, 0);
    number = 42;
    task->get_TaskChanged(&number);
    EXPECT_EQ(number, 0);

    // A trigger whose record did not read: -45 at once, zeros, cleared by a get.
    fake.setup.giveTrigger = true;
    ComPtr<Trigger> trigger = triggerAt(task, 1);
    ASSERT_TRUE(trigger);
    EXPECT_EQ(errorOf(trigger), -45);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_BeginYear), 0);
    EXPECT_EQ(errorOf(trigger), 0);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_DurationInMinutes), 0);
    EXPECT_EQ(valueOf(trigger, &Trigger::get_TriggerType), 0);
}
