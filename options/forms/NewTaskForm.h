#pragma once
// The new-task dialog "New Task": a task name, "Save && Close" (the task
// made through the scheduling tab's scheduler) and Close. Shown modally
// from the scheduling tab; the list is not read afresh afterwards.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm::options {

class TaskTabPresenter;

class NewTaskForm : public QDialog {
    Q_OBJECT
public:
    explicit NewTaskForm(TaskTabPresenter& tab, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* TaskName_Value = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* SaveClose = nullptr;
    QPushButton* Close = nullptr;

    void SaveClose_Click();
    void Close_Click();

private:
    TaskTabPresenter& tab_;
};

} // namespace qm::options
