// When triggers fire, the status of a task, and the wording of triggers.
#include "TaskTestUtil.h"

#include "platform/tasksched/Schedule.h"
#include "platform/tasksched/Status.h"
#include "platform/tasksched/TriggerText.h"

#include <gtest/gtest.h>

#include <map>

using namespace qmtest;

namespace {

DateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0) { return DateTime{y, m, d, h, min, s}; }

std::optional<DateTime> next(const TASK_TRIGGER& t, const DateTime& after)
{
    auto r = nextRun(t, after);
    return r ? std::optional<DateTime>(r->at) : std::nullopt;
}

TEST(NextRun, OnceAndDaily)
{
    const TASK_TRIGGER once = trigger(TASK_TIME_TRIGGER_ONCE, 2026, 2, 1, 9, 15);
    EXPECT_EQ(next(once, at(2026, 1, 1)), at(2026, 2, 1, 9, 15));
    EXPECT_EQ(next(once, at(2026, 2, 1, 9, 15)), std::nullopt);

    const TASK_TRIGGER everyOther = daily(2026, 1, 1, 21, 0, 2);
    EXPECT_EQ(next(everyOther, at(2025, 12, 31, 23)), at(2026, 1, 1, 21));
    EXPECT_EQ(next(everyOther, at(2026, 1, 1, 21)), at(2026, 1, 3, 21));
    EXPECT_EQ(next(everyOther, at(2026, 1, 2, 22)), at(2026, 1, 3, 21));
    EXPECT_EQ(next(everyOther, at(2026, 12, 31, 21, 0, 1)), at(2027, 1, 2, 21)); // 365 days later

    TASK_TRIGGER ending = daily(2026, 1, 1);
    ending.rgFlags = TASK_TRIGGER_FLAG_HAS_END_DATE;
    ending.wEndYear = 2026;
    ending.wEndMonth = 1;
    ending.wEndDay = 3;
    EXPECT_EQ(next(ending, at(2026, 1, 2, 22)), at(2026, 1, 3, 21));
    EXPECT_EQ(next(ending, at(2026, 1, 3, 21)), std::nullopt);
}

TEST(NextRun, WeeklyCountsWeeksFromTheBeginWeek)
{
    // Begins Wednesday 3/4/2026; its week began Sunday 3/1.
    TASK_TRIGGER t = trigger(TASK_TIME_TRIGGER_WEEKLY, 2026, 3, 4, 8, 0);
    t.Type.setWeeksInterval(2);
    t.Type.setDaysOfTheWeek(TASK_MONDAY | TASK_FRIDAY);
    EXPECT_EQ(next(t, at(2026, 1, 1)), at(2026, 3, 6, 8));  // Friday of the first week
    EXPECT_EQ(next(t, at(2026, 3, 6, 8)), at(2026, 3, 16, 8)); // the next week is skipped
    EXPECT_EQ(next(t, at(2026, 3, 16, 8)), at(2026, 3, 20, 8));
}

TEST(NextRun, MonthlyByDateSkipsShortMonthsAndKnowsLeapDays)
{
    TASK_TRIGGER last = trigger(TASK_TIME_TRIGGER_MONTHLYDATE, 2026, 1, 1, 6, 0);
    last.Type.setDays(monthDayBit(31));
    last.Type.setMonths(TASK_ALL_MONTHS);
    EXPECT_EQ(next(last, at(2026, 1, 31, 6)), at(2026, 3, 31, 6));
    EXPECT_EQ(next(last, at(2026, 3, 31, 6)), at(2026, 5, 31, 6));

    TASK_TRIGGER leap = trigger(TASK_TIME_TRIGGER_MONTHLYDATE, 2026, 1, 1, 6, 0);
    leap.Type.setDays(monthDayBit(29));
    leap.Type.setMonths(monthBit(2));
    EXPECT_EQ(next(leap, at(2026, 3, 1)), at(2028, 2, 29, 6));
    EXPECT_EQ(next(leap, at(2096, 3, 1)), at(2104, 2, 29, 6)); // 2100 is no leap year

    TASK_TRIGGER never = leap;
    never.Type.setDays(monthDayBit(30));
    EXPECT_EQ(next(never, at(2026, 1, 1)), std::nullopt);
}

TEST(NextRun, MonthlyByWeekdayIncludingTheLast)
{
    TASK_TRIGGER t = trigger(TASK_TIME_TRIGGER_MONTHLYDOW, 2026, 1, 1, 12, 0);
    t.Type.setDaysOfTheWeek(TASK_FRIDAY);
    t.Type.setMonths(TASK_ALL_MONTHS);
    t.Type.setWhichWeek(TASK_LAST_WEEK);
    EXPECT_EQ(next(t, at(2026, 1, 1)), at(2026, 1, 30, 12));
    EXPECT_EQ(next(t, at(2026, 1, 30, 12)), at(2026, 2, 27, 12));
    t.Type.setWhichWeek(2);
    t.Type.setDaysOfTheWeek(TASK_TUESDAY);
    t.Type.setMonths(monthBit(1) | monthBit(7));
    EXPECT_EQ(next(t, at(2026, 1, 1)), at(2026, 1, 13, 12));
    EXPECT_EQ(next(t, at(2026, 1, 13, 12)), at(2026, 7, 14, 12));
}

TEST(NextRun, RepetitionStaysInsideItsDuration)
{
    TASK_TRIGGER t = daily(2026, 1, 1, 8, 30);
    t.MinutesInterval = 15;
    t.MinutesDuration = 60;
    EXPECT_EQ(next(t, at(2026, 1, 2, 8, 30)), at(2026, 1, 2, 8, 45));
    EXPECT_EQ(next(t, at(2026, 1, 2, 8, 44, 59)), at(2026, 1, 2, 8, 45));
    EXPECT_EQ(next(t, at(2026, 1, 2, 9, 15)), at(2026, 1, 3, 8, 30)); // 9:30 is the end, not a run

    // A day's repetitions run on past midnight; the run names its day.
    TASK_TRIGGER late = daily(2026, 1, 1, 23, 30);
    late.MinutesInterval = 30;
    late.MinutesDuration = 120;
    const auto r = nextRun(late, at(2026, 1, 2, 0, 10));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->at, at(2026, 1, 2, 0, 30));
    EXPECT_EQ(r->periodStart, at(2026, 1, 1, 23, 30));
}

TEST(NextRun, NothingForDisabledEventAndBrokenTriggers)
{
    TASK_TRIGGER off = daily(2026, 1, 1);
    off.rgFlags = TASK_TRIGGER_FLAG_DISABLED;
    TASK_TRIGGER noInterval = daily(2026, 1, 1, 21, 0, 0);
    TASK_TRIGGER badDate = daily(2026, 2, 30);
    TASK_TRIGGER noDays = trigger(TASK_TIME_TRIGGER_WEEKLY, 2026, 1, 1);
    noDays.Type.setWeeksInterval(1);
    for (const TASK_TRIGGER& t : {off, noInterval, badDate, noDays, trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0, 0)})
        EXPECT_EQ(next(t, at(2026, 1, 1)), std::nullopt);

    Job job = jobRunning("x", "", {daily(2026, 1, 1, 21), trigger(TASK_TIME_TRIGGER_ONCE, 2026, 1, 5, 7)});
    EXPECT_EQ(nextRun(job, at(2026, 1, 4, 22)), at(2026, 1, 5, 7));
    job.Flags = TASK_FLAG_DISABLED;
    EXPECT_EQ(nextRun(job, at(2026, 1, 4, 22)), std::nullopt);
}

class FakeProcesses : public ProcessTable {
public:
    std::optional<std::uint64_t> startToken(pid_t pid) const override
    {
        auto it = live.find(pid);
        return it == live.end() ? std::nullopt : std::optional<std::uint64_t>(it->second);
    }
    std::map<pid_t, std::uint64_t> live;
};

TEST(TaskStatus, FirstMatchingRuleWins)
{
    FakeProcesses procs;
    const DateTime now = at(2026, 6, 1, 12);
    Job job = jobRunning("x", "", {daily(2026, 1, 1)});
    RunState state;
    state.LastRun = at(2026, 5, 31, 21);
    state.Terminated = true;
    state.Pid = 4242;
    state.PidStart = 7;

    procs.live[4242] = 7;
    job.Flags = TASK_FLAG_DISABLED;
    EXPECT_EQ(taskStatus(job, state, now, procs), SCHED_S_TASK_RUNNING);
    procs.live[4242] = 8; // the number now belongs to another process
    EXPECT_EQ(taskStatus(job, state, now, procs), SCHED_S_TASK_DISABLED);
    job.Flags = 0;

    Job none = job;
    none.triggers.clear();
    EXPECT_EQ(taskStatus(none, state, now, procs), SCHED_S_TASK_NOT_SCHEDULED);
    Job broken = job;
    broken.triggers[0].Type.setDaysInterval(0);
    EXPECT_EQ(taskStatus(broken, state, now, procs), SCHED_S_TASK_NO_VALID_TRIGGERS);
    Job events = broken;
    events.triggers.push_back(trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 0, 0, 0));
    EXPECT_EQ(taskStatus(events, RunState{}, now, procs), SCHED_S_EVENT_TRIGGER);

    EXPECT_EQ(taskStatus(job, state, now, procs), SCHED_S_TASK_TERMINATED);
    state.Terminated = false;
    EXPECT_EQ(taskStatus(job, state, now, procs), SCHED_S_TASK_READY);
    EXPECT_EQ(taskStatus(job, RunState{}, now, procs), SCHED_S_TASK_HAS_NOT_RUN);
    Job past = jobRunning("x", "", {trigger(TASK_TIME_TRIGGER_ONCE, 2026, 5, 31, 21)});
    EXPECT_EQ(taskStatus(past, state, now, procs), SCHED_S_TASK_NO_MORE_RUNS);
    past.triggers.push_back(trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0, 0));
    EXPECT_EQ(taskStatus(past, state, now, procs), SCHED_S_TASK_READY); // a log-on is still to come
}

TEST(TriggerText, OwnWording)
{
    EXPECT_EQ(triggerText(daily(2026, 1, 1)), "At 21:00 every day, starting 1/1/2026");
    TASK_TRIGGER weekly = trigger(TASK_TIME_TRIGGER_WEEKLY, 2026, 3, 2, 8, 5);
    weekly.Type.setWeeksInterval(2);
    weekly.Type.setDaysOfTheWeek(TASK_MONDAY | TASK_FRIDAY);
    weekly.MinutesInterval = 10;
    weekly.MinutesDuration = 60;
    weekly.rgFlags = TASK_TRIGGER_FLAG_HAS_END_DATE | TASK_TRIGGER_FLAG_DISABLED;
    weekly.wEndYear = 2026;
    weekly.wEndMonth = 12;
    weekly.wEndDay = 31;
    EXPECT_EQ(triggerText(weekly), "At 8:05 every Mon, Fri of every 2 weeks, starting 3/2/2026, every 10 minutes "
                                   "for 60 minutes, until 12/31/2026 (disabled)");
    EXPECT_EQ(triggerText(trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 0, 0, 0)), "At system start-up");
}

} // namespace
