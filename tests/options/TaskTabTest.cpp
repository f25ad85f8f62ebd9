// The scheduling tab, the new-task dialog and the trigger viewer over the
// real libCronolet.so and a temporary tasks folder.
#include "TaskTabFixture.h"

#include "options/TriggerViewer.h"
#include "platform/com/Registration.h"
#include "RefusingScheduler.h"

using namespace qmtest;
using qm::options::TaskField;
namespace com = qm::com;

namespace {

struct FakeTriggersView : TriggersView {
    std::vector<std::string> list;
    int selected = -1;
    std::map<TriggerField, std::string> texts;
    std::string count;
    void clearTriggerList() override { list.clear(); }
    void addTrigger(const std::string& text) override { list.push_back(text); }
    void selectTriggerEntry(int index) override { selected = index; }
    int selectedTriggerEntry() const override { return selected; }
    void setText(TriggerField f, const std::string& text) override { texts[f] = text; }
    void setTriggerCount(const std::string& text) override { count = text; }
};

bool registered()
{
    com::CLSID clsid{};
    return com::SUCCEEDED(com::CLSIDFromProgID(u"Cronolet.Scheduler", &clsid));
}

TEST_F(TaskTabTest, SchedulerRegistersItsLibraryWhenNotRegisteredAndListsTheFirstTask)
{
    ts::Job a;
    a.ApplicationName = "C:\\bin\\a.exe";
    a.Comment = "first";
    a.Priority = ts::HIGH_PRIORITY_CLASS;
    writeJob("Alpha", a);
    writeJob("Beta");
    EXPECT_FALSE(registered());
    TaskTabPresenter& tab = open();
    ASSERT_TRUE(tab.Scheduler);
    EXPECT_TRUE(registered());
    EXPECT_EQ(view_.names, (std::vector<std::string>{"Alpha.job", "Beta.job"}));
    EXPECT_EQ(view_.selected, 0);
    EXPECT_EQ(tab.CurrentPosition, 1);
    EXPECT_TRUE(view_.buttons);
    EXPECT_EQ(view_.text(TaskField::ApplicationName), "C:\\bin\\a.exe");
    EXPECT_EQ(view_.text(TaskField::Comment), "first");
    EXPECT_EQ(view_.text(TaskField::Priority), "3");
    EXPECT_EQ(view_.text(TaskField::Status), "Not Scheduled");
    EXPECT_EQ(view_.text(TaskField::TargetComputer).rfind("\\\\", 0), 0u);
    EXPECT_NE(view_.text(TaskField::AssociatedFilename).find("Alpha.job"), std::string::npos);
    EXPECT_EQ(view_.text(TaskField::LastRunTime), "12:00:00 AM"); // never ran: the date left at 0
    EXPECT_EQ(view_.lastError(), "");
    EXPECT_EQ(view_.agent, agentLine(false));

    view_.selected = 1;
    tab.TaskList_Click();
    EXPECT_EQ(view_.text(TaskField::Comment), "");
    EXPECT_EQ(view_.text(TaskField::Priority), "1");
}

TEST_F(TaskTabTest, EmptyFolderShowsNoTaskAndTriggersAsksForOne)
{
    TaskTabPresenter& tab = open();
    EXPECT_TRUE(view_.names.empty());
    EXPECT_FALSE(tab.Task);
    EXPECT_TRUE(view_.texts.empty());
    bool viewer = false;
    view_.onTriggers = [&] { viewer = true; };
    tab.Triggers_Click();
    EXPECT_FALSE(viewer);
    EXPECT_EQ(ui_.lastBox().prompt, "Please create a new Task first");
    EXPECT_EQ(ui_.lastBox().title, "Quillmate");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::None);
    // The task buttons do nothing without tasks.
    tab.SaveTask_Click();
    tab.RunTask_Click();
    tab.DeleteTask_Click();
    EXPECT_EQ(ui_.boxes().size(), 1u);
}

TEST_F(TaskTabTest, StatusTextsAndAnEventTriggersTask)
{
    EXPECT_EQ(statusText(9), "Event Trigger - No set run time");
    EXPECT_EQ(statusText(0), "Unknown state");
    EXPECT_EQ(statusText(10), "Unknown state");
    EXPECT_EQ(statusText(1), "Ready");
    ts::Job logon;
    logon.triggers.push_back(dailyAt(1));
    logon.triggers[0].TriggerType = ts::TASK_EVENT_TRIGGER_AT_LOGON;
    writeJob("Logon", logon);
    open();
    EXPECT_EQ(view_.text(TaskField::Status), "Event Trigger - No set run time");
}

TEST_F(TaskTabTest, SaveTaskChecksTheNumbersThenPutsAndShowsTheSaveCode)
{
    writeJob("Work");
    TaskTabPresenter& tab = open();
    view_.texts[TaskField::MaxRunTime] = "9000000000"; // past 32 bits
    view_.texts[TaskField::Comment] = "changed";
    tab.SaveTask_Click();
    EXPECT_EQ(ui_.lastBox().prompt, "Please enter a whole number for MaxRunTime (in ms).");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    view_.texts[TaskField::MaxRunTime] = "60000";
    view_.texts[TaskField::IdleWaitTime] = "1.5";
    tab.SaveTask_Click();
    EXPECT_EQ(ui_.lastBox().prompt, "Please enter a whole number for IdleWaitTime (in minutes).");
    EXPECT_EQ(job("Work")->Comment, "");
    EXPECT_EQ(view_.lastError(), "");

    view_.texts[TaskField::IdleWaitTime] = "15";
    view_.texts[TaskField::Priority] = "7";
    view_.texts[TaskField::ApplicationName] = "C:\\bin\\nightly.exe";
    tab.SaveTask_Click();
    EXPECT_EQ(view_.lastError(), "0");
    const ts::Job saved = *job("Work");
    EXPECT_EQ(saved.Priority, ts::NORMAL_PRIORITY_CLASS); // 7 is no priority code
    EXPECT_EQ(saved.Comment, "changed");
    EXPECT_EQ(saved.ApplicationName, "C:\\bin\\nightly.exe");
    EXPECT_EQ(saved.MaxRunTimeMs, 60000u);
    EXPECT_EQ(saved.IdleMinutes, 15);
}

TEST_F(TaskTabTest, DeleteAsksNothingSelectsTheFirstRemainingAndShowsOnlyItsOwnFailure)
{
    writeJob("A");
    writeJob("B");
    writeJob("C");
    TaskTabPresenter& tab = open();
    // An earlier failure stays in the scheduler's code (-39 here) ...
    tab.NewTask_SaveClose("B");
    EXPECT_EQ(view_.lastError(), "-39");
    view_.selected = 1;
    tab.TaskList_Click();
    tab.DeleteTask_Click();
    // ... but the delete that worked shows 0.
    EXPECT_EQ(view_.names, (std::vector<std::string>{"A.job", "C.job"}));
    EXPECT_EQ(view_.selected, 0);
    EXPECT_EQ(textOf(*tab.Task, &ScheduledTask::get_Name), "A.job");
    EXPECT_EQ(view_.lastError(), "0");
    EXPECT_EQ(ui_.boxes().size(), 1u); // the new task's box only

    RefusingBackend refusing; // schedulers made from now on cannot delete
    refusing.refuse.deleteTask = true;
    tab_.reset();
    TaskTabPresenter& again = open();
    again.DeleteTask_Click();
    EXPECT_EQ(view_.names, (std::vector<std::string>{"A.job", "C.job"}));
    EXPECT_EQ(view_.lastError(), "-40");
}

TEST_F(TaskTabTest, NewTaskIsJudgedByItsResultAndListedOnlyAfterRefresh)
{
    writeJob("Old");
    TaskTabPresenter& tab = open();
    view_.onNewTask = [&] { tab.NewTask_SaveClose("Fresh"); };
    tab.CreateTask_Click();
    EXPECT_EQ(view_.lastError(), "0");
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_TRUE(job("Fresh"));
    EXPECT_EQ(view_.names, (std::vector<std::string>{"Old.job"}));
    tab.Refresh_Click();
    EXPECT_EQ(view_.names, (std::vector<std::string>{"Fresh.job", "Old.job"}));

    tab.NewTask_SaveClose("bad/name");
    EXPECT_EQ(view_.lastError(), "-38");
    EXPECT_EQ(ui_.lastBox().prompt, "Error while creating new Task");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::None);
}

TEST_F(TaskTabTest, WithoutSchedulerOnlyRefreshWorksAndTriesAgain)
{
    bool available = false;
    int made = 0;
    writeJob("Later");
    TaskTabPresenter& tab = open([&] {
        ++made;
        return available ? createScheduler(QM_CRONOLET) : ComPtr<IScheduler>();
    });
    EXPECT_EQ(view_.lastError(), "-50");
    EXPECT_FALSE(view_.buttons);
    EXPECT_EQ(tab.TaskCount(), 0);
    tab.Triggers_Click();
    tab.NewTask_SaveClose("X");
    EXPECT_FALSE(job("X"));
    tab.Refresh_Click();
    EXPECT_EQ(made, 2);
    EXPECT_FALSE(view_.buttons);
    available = true;
    tab.Refresh_Click();
    EXPECT_TRUE(view_.buttons);
    EXPECT_EQ(view_.names, (std::vector<std::string>{"Later.job"}));
}

TEST_F(TaskTabTest, SchedulerWithoutTaskSchedulerListsNothingAndShowsItsCode)
{
    writeJob("Hidden");
    dropTaskScheduler();
    TaskTabPresenter& tab = open();
    ASSERT_TRUE(tab.Scheduler);
    EXPECT_FALSE(tab.Tasks);
    EXPECT_TRUE(view_.names.empty());
    EXPECT_EQ(view_.lastError(), "-50");
    tab.Refresh_Click();
    EXPECT_EQ(view_.lastError(), "-50");
}

TEST_F(TaskTabTest, ViewerListsTheTriggersAndShowsTheSelectedOne)
{
    ts::Job three;
    three.triggers = {dailyAt(1, 10), dailyAt(2, 20), dailyAt(3, 30)};
    three.triggers[2].TriggerType = ts::TASK_TIME_TRIGGER_ONCE;
    writeJob("Three", three);
    writeJob("Zero");
    TaskTabPresenter& tab = open();
    FakeTriggersView v;
    TriggersPresenter viewer(tab, v);
    viewer.Form_Load();
    EXPECT_EQ(v.count, "3");
    ASSERT_EQ(v.list.size(), 3u);
    EXPECT_EQ(v.list[0], "At 1:10 every day, starting 1/5/2026");
    EXPECT_EQ(v.texts[TriggerField::StartHour], "1");
    EXPECT_EQ(v.texts[TriggerField::BeginYear], "2026");
    EXPECT_EQ(v.texts[TriggerField::TriggerType], "1");
    v.selected = 1;
    viewer.TriggerList_Click();
    EXPECT_EQ(viewer.CurrentPosition, 2);
    EXPECT_EQ(valueOf(*viewer.CurrentTrigger, &Trigger::get_Index), 1);
    EXPECT_EQ(v.texts[TriggerField::StartMinute], "20");

    view_.selected = 1;
    tab.TaskList_Click();
    FakeTriggersView none;
    none.texts[TriggerField::StartHour] = "as before";
    TriggersPresenter empty(tab, none);
    empty.Form_Load();
    EXPECT_TRUE(none.list.empty());
    EXPECT_EQ(none.count, "0");
    EXPECT_EQ(none.texts[TriggerField::StartHour], "as before");
}

TEST_F(TaskTabTest, TriggersThatCannotBeReadOpenAnEmptyViewer)
{
    ts::Job one;
    one.triggers = {dailyAt(4)};
    writeJob("One", one);
    RefusingBackend refusing;
    refusing.refuse.triggers = true;
    TaskTabPresenter& tab = open();
    ASSERT_EQ(tab.TaskCount(), 1);
    FakeTriggersView v;
    TriggersPresenter viewer(tab, v);
    viewer.Form_Load();
    EXPECT_FALSE(viewer.TaskTriggers);
    EXPECT_TRUE(v.list.empty());
    EXPECT_EQ(v.count, "0");
}

TEST_F(TaskTabTest, AgentLineFollowsTheInstallAndAFailureShowsTheAgentsWords)
{
    bool installed = false;
    agent_.installed = [&] { return installed; };
    agent_.install = [&] { return AgentAnswer{false, "no scheduler backend: install cron or run a systemd user session"}; };
    TaskTabPresenter& tab = open();
    EXPECT_EQ(view_.agent, agentLine(false));
    tab.cmdInstallAgent_Click();
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(ui_.lastBox().prompt, "no scheduler backend: install cron or run a systemd user session");
    EXPECT_FALSE(ui_.isBusy());
    tab_.reset();
    agent_.install = [&] {
        installed = true;
        return AgentAnswer{true, {}};
    };
    TaskTabPresenter& again = open();
    ui_.clearRecords();
    again.cmdInstallAgent_Click();
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(view_.agent, agentLine(true));
}

} // namespace
