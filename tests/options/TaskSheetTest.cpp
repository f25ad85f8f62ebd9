// The task property sheet's data over the task scheduler's own tasks: new
// types start from what they need, and a sheet is written whole or not at all.
#include "options/TaskSheet.h"

#include "platform/com/ComPtr.h"
#include "platform/tasksched/TaskScheduler.h"

#include "TaskTabFixture.h"

using namespace qmtest;
using qm::com::ComPtr;

namespace {

class TaskSheetTest : public qm::test::ProgramHomeTest {
protected:
    ComPtr<ts::ITask> task(const std::string& name, const ts::Job& job)
    {
        ts::ensurePrivateFolder(tasks());
        ts::saveJob(tasks() / (name + ".job"), job);
        ComPtr<ts::ITask> t;
        scheduler_->Activate(qm::com::Bstr::fromUtf8(name).get(), ts::ITask::iid,
                             reinterpret_cast<qm::com::IUnknown**>(t.put()));
        return t;
    }
    ComPtr<ts::ITaskScheduler> scheduler_ = ComPtr<ts::ITaskScheduler>::attach(ts::createTaskScheduler(tasks()));
};

TEST(TaskSheet, NewTypesStartFromWhatTheyNeed)
{
    ts::TASK_TRIGGER t = newTrigger({2026, 3, 11, 21, 45, 10}); // a Wednesday
    EXPECT_EQ(t.TriggerType, ts::TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(t.Type.DaysInterval(), 1);
    EXPECT_EQ(t.wStartHour, 21);
    EXPECT_EQ(t.wStartMinute, 45);
    setTriggerType(t, ts::TASK_TIME_TRIGGER_WEEKLY);
    EXPECT_EQ(t.Type.WeeksInterval(), 1);
    EXPECT_EQ(t.Type.DaysOfTheWeek(), ts::TASK_WEDNESDAY);
    t.Type.setDaysOfTheWeek(ts::TASK_MONDAY);
    setTriggerType(t, ts::TASK_TIME_TRIGGER_WEEKLY); // the same type changes nothing
    EXPECT_EQ(t.Type.DaysOfTheWeek(), ts::TASK_MONDAY);
    setTriggerType(t, ts::TASK_TIME_TRIGGER_MONTHLYDATE);
    EXPECT_EQ(t.Type.Days(), ts::monthDayBit(11));
    EXPECT_EQ(t.Type.Months(), ts::TASK_ALL_MONTHS);
    setTriggerType(t, ts::TASK_TIME_TRIGGER_MONTHLYDOW);
    EXPECT_EQ(t.Type.WhichWeek(), ts::TASK_FIRST_WEEK);
    EXPECT_EQ(t.Type.DaysOfTheWeek(), ts::TASK_WEDNESDAY);
    setTriggerType(t, ts::TASK_EVENT_TRIGGER_AT_LOGON);
    EXPECT_EQ(t.Type, ts::TriggerWords{});
    EXPECT_EQ(triggerProblem(t), "");
}

TEST_F(TaskSheetTest, SheetReplacesTheTriggersAndSavesTheJob)
{
    ts::Job three;
    three.triggers = {dailyAt(1), dailyAt(2), dailyAt(3)};
    ComPtr<ts::ITask> t = task("Three", three);
    const TaskSheet before = readSheet(*t);
    EXPECT_EQ(before, three);
    TaskSheet sheet = before;
    sheet.triggers = {dailyAt(9)};
    sheet.Comment = "one left";
    EXPECT_EQ(applySheet(*t, sheet, before), "");
    const ts::Job saved = *ts::loadJob(tasks() / "Three.job");
    ASSERT_EQ(saved.triggers.size(), 1u);
    EXPECT_EQ(saved.triggers[0].wStartHour, 9);
    EXPECT_EQ(saved.Comment, "one left");
}

TEST_F(TaskSheetTest, RefusedSheetLeavesTheTaskAsItWasAndTheFileUnwritten)
{
    ts::Job one;
    one.triggers = {dailyAt(5)};
    one.Comment = "kept";
    ComPtr<ts::ITask> t = task("One", one);
    const TaskSheet before = readSheet(*t);
    TaskSheet sheet = before;
    sheet.Comment = "lost";
    sheet.triggers.push_back(dailyAt(6));
    sheet.Account = "someone-else";
    EXPECT_EQ(applySheet(*t, sheet, before).rfind("Tasks run as the user who owns the tasks folder", 0), 0u);
    EXPECT_EQ(readSheet(*t), before);
    EXPECT_EQ(*ts::loadJob(tasks() / "One.job"), one);

    sheet.Account.clear();
    sheet.triggers[1].MinutesInterval = 10; // not below its duration (0)
    EXPECT_EQ(applySheet(*t, sheet, before),
              "Trigger 2: The repetition interval must be shorter than the duration it repeats for.");
    EXPECT_EQ(readSheet(*t), before);
}

} // namespace
