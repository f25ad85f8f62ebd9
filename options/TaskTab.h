#pragma once
// The scheduling tab of the user options window: a general editor of the
// scheduled tasks over Cronolet. It lists the tasks by name, shows the
// selected task's properties and status, writes the edited properties back,
// runs, stops, edits, deletes and creates tasks, and opens the trigger
// viewer. Failures of the server show only as the number in "Last Error".
//
// The scheduler lives as long as the presenter; Tasks is the last listing,
// Task the selected task. When the scheduler cannot be made, "Last Error"
// shows -50 and every task button but Refresh is off; Refresh tries again.
#include "options/SchedulerClient.h"
#include "options/TaskAgent.h"
#include "options/TaskTabView.h"

#include <functional>
#include <string>
#include <vector>

namespace qm::ui {
class UiServices;
}

namespace qm::options {

// The text the tab shows for a task's Status code.
std::string statusText(long code);

inline constexpr const char* NoTaskMessage = "Please create a new Task first";
inline constexpr const char* NewTaskFailedMessage = "Error while creating new Task";

class TaskTabPresenter {
public:
    // `makeScheduler` gives the scheduler object (createScheduler over the
    // program folder's library in the program); `agent` the task agent.
    TaskTabPresenter(qm::ui::UiServices& ui, TaskTabView& view, std::function<ComPtr<IScheduler>()> makeScheduler,
                     TaskAgent agent = systemTaskAgent());

    // ---- Public variables of the window
    ComPtr<IScheduler> Scheduler;
    ComPtr<ScheduledTasks> Tasks;
    ComPtr<ScheduledTask> Task;
    short CurrentPosition = 0; // 1-based position of the selected name

    // The number of listed tasks (0 while Tasks is null).
    long TaskCount() const;

    // From the window's load: the scheduler made, the list filled, the
    // first task selected and shown; the agent line.
    void Start();
    // Adds the names of Scheduler.Tasks to the list (it is not emptied).
    void LoadTaskList();
    void TaskList_Click();
    void ShowTaskDetails();

    // ---- Buttons
    void Refresh_Click();
    // The five numbers checked first (whole, 32-bit); then the ten
    // properties put in order and the task saved.
    void SaveTask_Click();
    void RunTask_Click();
    void StopTask_Click();
    void EditTask_Click();
    // No question asked; the list is read afresh.
    void DeleteTask_Click();
    void CreateTask_Click();
    void Triggers_Click();
    void cmdInstallAgent_Click();

    // NewTaskForm's "Save && Close": a task of that name made.
    void NewTask_SaveClose(const std::string& TaskName);

    // The window's Close: the task collection let go.
    void ReleaseTasks();

private:
    void selectEntry(int index);
    void showCode(const std::string& code);
    // The list filled afresh and its first entry selected.
    void reList();
    void showAgent();

    qm::ui::UiServices& ui_;
    TaskTabView& view_;
    std::function<ComPtr<IScheduler>()> makeScheduler_;
    TaskAgent agent_;
    std::vector<std::string> listed_; // the names of the last listing
};

} // namespace qm::options
