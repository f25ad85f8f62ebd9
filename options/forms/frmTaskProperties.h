#pragma once
// The property sheet of a scheduled task, "Task Properties": what the task
// runs and how (program, parameters, folder, comment, creator, account,
// priority, flags, time limit, idle wait), and its schedule: the list of
// triggers with New and Delete, and the selected trigger's type, begin date,
// start time, repetition by days, weeks (with weekdays) or months (with
// days, or with a week and weekdays), end date, duration and interval, and
// whether it is disabled. OK writes the task and saves its job file (a
// refusal is shown and the sheet stays open); Cancel changes nothing.
//
// The task scheduler shows it for Cronolet's EditTask (the program installs
// it as the property sheet hook at start-up).
#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace qm::tasksched {
struct ITask;
struct Job;
}
namespace qm::ui {
class UiServices;
}

namespace qm::options {

using qm::tasksched::ITask;
using TaskSheet = qm::tasksched::Job;

class frmTaskProperties : public QDialog {
    Q_OBJECT
public:
    frmTaskProperties(ITask& task, qm::ui::UiServices& ui, QWidget* parent = nullptr);
    ~frmTaskProperties() override;

    // What the sheet holds now (the task's fields as the boxes show them).
    const TaskSheet& sheet();

    // ---- The task
    QLineEdit* txtApplicationName = nullptr;
    QLineEdit* txtParameters = nullptr;
    QLineEdit* txtWorkingDirectory = nullptr;
    QLineEdit* txtComment = nullptr;
    QLineEdit* txtCreator = nullptr;
    QLineEdit* txtAccount = nullptr;
    QComboBox* cboPriority = nullptr;
    QCheckBox* chkTaskDisabled = nullptr;
    QCheckBox* chkDeleteWhenDone = nullptr;
    QSpinBox* spnMaxRunTime = nullptr; // minutes, 0: no limit
    QSpinBox* spnIdleMinutes = nullptr;
    QSpinBox* spnDeadlineMinutes = nullptr;

    // ---- The schedule
    QListWidget* lstTriggers = nullptr;
    QPushButton* cmdAddTrigger = nullptr;
    QPushButton* cmdRemoveTrigger = nullptr;
    QComboBox* cboTriggerType = nullptr;
    QDateEdit* dtBeginDate = nullptr;
    QTimeEdit* tmStartTime = nullptr;
    QSpinBox* spnDaysInterval = nullptr;
    QSpinBox* spnWeeksInterval = nullptr;
    QComboBox* cboWhichWeek = nullptr;
    std::array<QCheckBox*, 7> chkWeekday{};   // Sunday to Saturday
    std::array<QCheckBox*, 31> chkMonthDay{}; // days 1 to 31
    std::array<QCheckBox*, 12> chkMonth{};    // January to December
    QCheckBox* chkEndDate = nullptr;
    QDateEdit* dtEndDate = nullptr;
    QSpinBox* spnDuration = nullptr;
    QSpinBox* spnInterval = nullptr;
    QCheckBox* chkTriggerDisabled = nullptr;

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdAddTrigger_Click();
    void cmdRemoveTrigger_Click();
    void cmdOK_Click();

private:
    QGroupBox* makeTaskBox();
    QGroupBox* makeScheduleBox();
    void showTask();
    void takeTask();
    // The editors show trigger `index` of the sheet (none: -1).
    void showTrigger(int index);
    // The editors' values into the current trigger.
    void triggerEdited();
    void fitToType(int type);

    ITask& task_;
    qm::ui::UiServices& ui_;
    std::unique_ptr<const TaskSheet> before_; // as the task held it when the sheet opened
    std::unique_ptr<TaskSheet> edited_;
    int current_ = -1;
    bool loading_ = false;
    QWidget* rowDaily_ = nullptr;
    QWidget* rowWeekly_ = nullptr;
    QWidget* rowWhichWeek_ = nullptr;
    QGroupBox* boxWeekdays_ = nullptr;
    QGroupBox* boxMonthDays_ = nullptr;
    QGroupBox* boxMonths_ = nullptr;
};

} // namespace qm::options
