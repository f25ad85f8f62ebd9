#include "options/TaskTab.h"

#include "app/ErrorBox.h"
#include "platform/datetime/Numbers.h"
#include "platform/ui/UiServices.h"
#include "store/SystemLookups.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace qm::options {

namespace com = qm::com;
using com::Bstr;
using com::LONG;
using com::Variant;

namespace {

constexpr const char* NoScheduler = "-50";

std::optional<LONG> wholeNumber(const std::string& text)
{
    const std::optional<long long> n = qm::datetime::parseWholeNumber(text);
    if (!n || *n < INT32_MIN || *n > INT32_MAX)
        return std::nullopt;
    return static_cast<LONG>(*n);
}

} // namespace

std::string statusText(long code)
{
    static const char* const texts[] = {"Ready",         "Running",         "Disabled",
                                        "Not yet run",   "No more runs",    "Not Scheduled",
                                        "Task Terminated", "No valid Triggers", "Event Trigger - No set run time"};
    return code >= 1 && code <= 9 ? texts[code - 1] : "Unknown state";
}

TaskTabPresenter::TaskTabPresenter(qm::ui::UiServices& ui, TaskTabView& view,
                                   std::function<ComPtr<IScheduler>()> makeScheduler, TaskAgent agent)
    : ui_(ui), view_(view), makeScheduler_(std::move(makeScheduler)), agent_(std::move(agent))
{
}

long TaskTabPresenter::TaskCount() const { return Tasks ? valueOf(*Tasks, &ScheduledTasks::get_Count) : 0; }

void TaskTabPresenter::showCode(const std::string& code) { view_.setText(TaskField::LastErrorCode, code); }

void TaskTabPresenter::showAgent()
{
    view_.setAgentText(agentLine(agent_.installed && agent_.installed()));
}

void TaskTabPresenter::Start()
{
    if (makeScheduler_)
        Scheduler = makeScheduler_();
    view_.enableTaskButtons(static_cast<bool>(Scheduler));
    if (!Scheduler) {
        showCode(NoScheduler);
    } else {
        LoadTaskList();
        if (TaskCount() > 0) {
            CurrentPosition = 0;
            selectEntry(0);
            ShowTaskDetails();
        }
    }
    showAgent();
}

void TaskTabPresenter::LoadTaskList()
{
    listed_.clear();
    Variant result;
    Scheduler->get_Tasks(result.out());
    Tasks = objectOf<ScheduledTasks>(result);
    if (!Tasks) {
        Task = nullptr;
        showCode(errorText(*Scheduler));
        return;
    }
    forEach<ScheduledTask>(*Tasks, [this](const ComPtr<ScheduledTask>& each) {
        Task = each;
        if (!each)
            return;
        listed_.push_back(textOf(*each, &ScheduledTask::get_Name));
        view_.addTaskName(listed_.back());
    });
    // As after a For Each: the loop variable holds nothing.
    Task = nullptr;
}

void TaskTabPresenter::selectEntry(int index)
{
    view_.selectTaskEntry(index);
    TaskList_Click();
}

void TaskTabPresenter::TaskList_Click()
{
    CurrentPosition = static_cast<short>(view_.selectedTaskEntry() + 1);
    if (!Tasks)
        return;
    Variant item;
    Tasks->get_Item(CurrentPosition, item.out());
    Task = objectOf<ScheduledTask>(item);
    ShowTaskDetails();
}

void TaskTabPresenter::ShowTaskDetails()
{
    if (!Task)
        return;
    ScheduledTask& t = *Task;
    view_.setText(TaskField::AssociatedFilename, textOf(t, &ScheduledTask::get_AssociatedFileName));
    view_.setText(TaskField::LastRunTime, dateText(valueOf(t, &ScheduledTask::get_LastRunTime)));
    view_.setText(TaskField::NextRunTime, dateText(valueOf(t, &ScheduledTask::get_NextRunTime)));
    view_.setText(TaskField::LastExitCode, std::to_string(valueOf(t, &ScheduledTask::get_LastExitCode)));
    view_.setText(TaskField::Status, statusText(valueOf(t, &ScheduledTask::get_Status)));
    view_.setText(TaskField::TargetComputer, textOf(*Scheduler, &IScheduler::get_TargetComputer));
    view_.setText(TaskField::ApplicationName, textOf(t, &ScheduledTask::get_ApplicationName));
    view_.setText(TaskField::WorkingDirectory, textOf(t, &ScheduledTask::get_WorkingDirectory));
    view_.setText(TaskField::MaxRunTime, std::to_string(valueOf(t, &ScheduledTask::get_MaxRunTime)));
    view_.setText(TaskField::Priority, std::to_string(valueOf(t, &ScheduledTask::get_Priority)));
    view_.setText(TaskField::Parameters, textOf(t, &ScheduledTask::get_Parameters));
    view_.setText(TaskField::Flags, std::to_string(valueOf(t, &ScheduledTask::get_Flags)));
    view_.setText(TaskField::IdleWaitTime, std::to_string(valueOf(t, &ScheduledTask::get_IdleWaitTime)));
    view_.setText(TaskField::MaxIdleWaitTime, std::to_string(valueOf(t, &ScheduledTask::get_MaxIdleWaitTime)));
    view_.setText(TaskField::Creator, textOf(t, &ScheduledTask::get_Creator));
    view_.setText(TaskField::Comment, textOf(t, &ScheduledTask::get_Comment));
}

void TaskTabPresenter::reList()
{
    view_.clearTaskList();
    LoadTaskList();
    if (TaskCount() > 0) {
        CurrentPosition = 0;
        selectEntry(0);
    }
}

void TaskTabPresenter::Refresh_Click()
{
    if (!Scheduler) {
        Start();
        return;
    }
    reList();
}

void TaskTabPresenter::SaveTask_Click()
{
    if (TaskCount() < 1 || !Task)
        return;
    const TaskField numeric[] = {TaskField::MaxRunTime, TaskField::Priority, TaskField::Flags, TaskField::IdleWaitTime,
                                 TaskField::MaxIdleWaitTime};
    LONG numbers[5] = {};
    for (std::size_t i = 0; i < std::size(numeric); ++i) {
        const std::optional<LONG> n = wholeNumber(view_.text(numeric[i]));
        if (!n) {
            qm::app::showError(ui_, std::string("Please enter a whole number for ") + infoOf(numeric[i]).caption + ".");
            return;
        }
        numbers[i] = *n;
    }
    auto text = [this](TaskField f) { return Bstr::fromUtf8(view_.text(f)); };
    ScheduledTask& t = *Task;
    t.put_ApplicationName(text(TaskField::ApplicationName).get());
    t.put_WorkingDirectory(text(TaskField::WorkingDirectory).get());
    t.put_MaxRunTime(numbers[0]);
    t.put_Priority(numbers[1]);
    t.put_Parameters(text(TaskField::Parameters).get());
    t.put_Flags(numbers[2]);
    t.put_IdleWaitTime(numbers[3]);
    t.put_MaxIdleWaitTime(numbers[4]);
    t.put_Creator(text(TaskField::Creator).get());
    t.put_Comment(text(TaskField::Comment).get());
    t.SaveTask();
    showCode(errorText(t));
}

void TaskTabPresenter::RunTask_Click()
{
    if (TaskCount() < 1 || !Task)
        return;
    Task->Run();
    showCode(errorText(*Task));
}

void TaskTabPresenter::StopTask_Click()
{
    if (TaskCount() < 1 || !Task)
        return;
    Task->StopTask();
    showCode(errorText(*Task));
}

void TaskTabPresenter::EditTask_Click()
{
    if (TaskCount() < 1 || !Task)
        return;
    // The task is held across the sheet, whatever the sheet does meanwhile.
    ComPtr<ScheduledTask> task = Task;
    task->EditTask();
    showCode(errorText(*task));
}

void TaskTabPresenter::DeleteTask_Click()
{
    if (TaskCount() < 1 || !Task)
        return;
    const std::string name = textOf(*Task, &ScheduledTask::get_Name);
    Scheduler->DeleteTask(Bstr::fromUtf8(name).get());
    reList();
    // A listing that failed has shown its own code.
    if (Tasks)
        showCode(std::find(listed_.begin(), listed_.end(), name) != listed_.end() ? errorText(*Scheduler) : "0");
}

void TaskTabPresenter::CreateTask_Click() { view_.showNewTaskForm(); }

void TaskTabPresenter::NewTask_SaveClose(const std::string& TaskName)
{
    ComPtr<ScheduledTask> created;
    if (Scheduler) {
        Variant result;
        Scheduler->CreateNewTask(Bstr::fromUtf8(TaskName).get(), result.out());
        created = objectOf<ScheduledTask>(result);
    }
    if (created) {
        showCode("0");
        return;
    }
    showCode(Scheduler ? errorText(*Scheduler) : NoScheduler);
    ui_.msgBox(NewTaskFailedMessage, qm::ui::mb::OKOnly);
}

void TaskTabPresenter::Triggers_Click()
{
    if (TaskCount() < 1) {
        ui_.msgBox(NoTaskMessage, qm::ui::mb::OKOnly);
        return;
    }
    view_.showTriggersForm();
}

void TaskTabPresenter::cmdInstallAgent_Click()
{
    if (!agent_.install)
        return;
    qm::store::BusyPointer(ui_);
    const AgentAnswer answer = agent_.install();
    qm::store::NormalPointer(ui_);
    if (!answer.ok)
        qm::app::showError(ui_, answer.message);
    showAgent();
}

void TaskTabPresenter::ReleaseTasks() { Tasks = nullptr; }

} // namespace qm::options
