#pragma once
// The user options window "User Options": the tab control vsIndexTab1 with
// "&Miscellaneous Options" (the card GridEX1 over the user options record
// and cmdSave) and "&Scheduling Options" (the scheduled tasks: TaskList,
// the task's values and text boxes, the eight task buttons, the frame on
// the main back-up task, and the scheduler agent's line), and cmdClose.
// It loads when it is made; it is deleted when it closes.
//
// The window holds widgets only; UserOptionsLogic and TaskTabPresenter decide.
#include "options/UserOptionsLogic.h"

#include <QWidget>

#include <map>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace qm::app {
class ProgramState;
}
namespace qm::ui {
class CardGrid;
}

namespace qm::options {

class OptionsRows;

class UserOptions : public QWidget, public UserOptionsView, public TaskTabView {
    Q_OBJECT
public:
    UserOptions(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers,
                std::function<ComPtr<IScheduler>()> makeScheduler, TaskAgent agent = systemTaskAgent(),
                qm::store::WinAceLookup lookup = qm::store::GetWinAceInfo, QWidget* parent = nullptr);
    ~UserOptions() override;

    UserOptionsLogic& logic() { return logic_; }
    TaskTabPresenter& tasks() { return logic_.tasks(); }
    // The window's public variables.
    std::string& ParentForm() { return logic_.ParentForm; }
    const std::string& CurrentForm() const { return logic_.CurrentForm; }
    ComPtr<IScheduler>& Scheduler() { return tasks().Scheduler; }
    ComPtr<ScheduledTasks>& Tasks() { return tasks().Tasks; }
    ComPtr<ScheduledTask>& Task() { return tasks().Task; }

    // ---- Controls, by their names
    QTabWidget* vsIndexTab1 = nullptr;
    qm::ui::CardGrid* GridEX1 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QListWidget* TaskList = nullptr;
    QPushButton* CreateTask = nullptr;
    QPushButton* EditTask = nullptr;
    QPushButton* DeleteTask = nullptr;
    QPushButton* SaveTask = nullptr;
    QPushButton* Refresh = nullptr;
    QPushButton* RunTask = nullptr;
    QPushButton* StopTask = nullptr;
    QPushButton* Triggers = nullptr;
    QGroupBox* Frame1 = nullptr; // "Back-up Task, Scheduler Instructions"
    QLabel* lblAgent = nullptr;
    QPushButton* cmdInstallAgent = nullptr;
    // The value labels and text boxes by field (TaskTabView.h gives their names).
    QLabel* valueLabel(TaskField f) const;
    QLineEdit* textBox(TaskField f) const;

    // ---- UserOptionsView
    void selectTab(int index) override;
    bool commitGrid() override;
    void refreshGrid() override;
    void closeWindow() override;

    // ---- TaskTabView
    void clearTaskList() override;
    void addTaskName(const std::string& name) override;
    void selectTaskEntry(int index) override;
    int selectedTaskEntry() const override;
    void setText(TaskField field, const std::string& text) override;
    std::string text(TaskField field) const override;
    void enableTaskButtons(bool enabled) override;
    void setAgentText(const std::string& text) override;
    void showNewTaskForm() override;
    void showTriggersForm() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeOptionsPage();
    QWidget* makeSchedulingPage();

    qm::app::ProgramState& state_;
    std::unique_ptr<OptionsRows> rows_;
    std::map<TaskField, QLabel*> labels_;
    std::map<TaskField, QLineEdit*> boxes_;
    UserOptionsLogic logic_;
};

} // namespace qm::options
