#pragma once
// The scheduling tab of the user options window as its presenter sees it:
// the list of task names, the value labels and text boxes of the selected
// task, the task buttons, the agent line and the two dialogs it opens. The
// form implements it; tests pass a fake.
#include <array>
#include <string>

namespace qm::options {

// The value labels (read-only) and text boxes of the tab, with their
// control names and captions.
enum class TaskField {
    TargetComputer,
    Status,
    LastExitCode,
    NextRunTime,
    LastRunTime,
    LastErrorCode,
    AssociatedFilename,
    ApplicationName,
    WorkingDirectory,
    MaxRunTime,
    Priority,
    Parameters,
    Flags,
    IdleWaitTime,
    MaxIdleWaitTime,
    Creator,
    Comment,
};

struct TaskFieldInfo {
    TaskField field;
    const char* name;    // the control's name
    const char* caption; // its label
    bool editable;       // a text box (else a value label)
};

inline constexpr std::array<TaskFieldInfo, 17> TaskFields{{
    {TaskField::TargetComputer, "TargetComputer_Value", "Target Computer", false},
    {TaskField::Status, "Status_Value", "Status", false},
    {TaskField::LastExitCode, "LastExitCode_Value", "Last Exit", false},
    {TaskField::NextRunTime, "NextRunTime_Value", "Next Runtime", false},
    {TaskField::LastRunTime, "LastRunTime_Value", "Last Runtime", false},
    {TaskField::LastErrorCode, "LastErrorCode_Value", "Last Error", false},
    {TaskField::AssociatedFilename, "AssociatedFilename_Value", "Associated Filename", false},
    {TaskField::ApplicationName, "ApplicationName_Value", "Application Name", true},
    {TaskField::WorkingDirectory, "WorkingDirectory_Value", "Working Folder", true},
    {TaskField::MaxRunTime, "MaxRunTime_Value", "MaxRunTime (in ms)", true},
    {TaskField::Priority, "Priority_Value", "Priority", true},
    {TaskField::Parameters, "Parameters_Value", "Parameters", true},
    {TaskField::Flags, "Flags_Value", "Flags", true},
    {TaskField::IdleWaitTime, "IdleWaitTime_Value", "IdleWaitTime (in minutes)", true},
    {TaskField::MaxIdleWaitTime, "MaxIdleWaitTime_Value", "MaxIdleWaitTime (in minutes)", true},
    {TaskField::Creator, "Creator_Value", "Creator", true},
    {TaskField::Comment, "Comment_Value", "Comment", true},
}};

inline const TaskFieldInfo& infoOf(TaskField f) { return TaskFields[static_cast<std::size_t>(f)]; }

class TaskTabView {
public:
    virtual ~TaskTabView() = default;

    // ---- TaskList
    virtual void clearTaskList() = 0;
    virtual void addTaskName(const std::string& name) = 0;
    // Marks entry `index` (from 0) selected; its click is the presenter's.
    virtual void selectTaskEntry(int index) = 0;
    // The selected entry's index, -1 when none.
    virtual int selectedTaskEntry() const = 0;

    // ---- Value labels and text boxes
    virtual void setText(TaskField field, const std::string& text) = 0;
    virtual std::string text(TaskField field) const = 0;

    // ---- Buttons: every task button but Refresh on or off
    virtual void enableTaskButtons(bool enabled) = 0;

    // ---- The agent line lblAgent
    virtual void setAgentText(const std::string& text) = 0;

    // ---- Dialogs, modal: they return when closed
    virtual void showNewTaskForm() = 0;
    virtual void showTriggersForm() = 0;
};

} // namespace qm::options
