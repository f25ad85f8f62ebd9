#include "options/forms/NewTaskForm.h"

#include "options/TaskTab.h"
#include "platform/ui/WidgetKit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::options {

using qm::ui::field;
using qm::ui::named;

NewTaskForm::NewTaskForm(TaskTabPresenter& tab, QWidget* parent) : QDialog(parent), tab_(tab)
{
    setObjectName("NewTaskForm");
    setWindowTitle("New Task");
    Label1 = named<QLabel>(this, "Label1", "Task Name");
    TaskName_Value = field<QLineEdit>(this, "TaskName_Value");
    Label1->setBuddy(TaskName_Value);
    Label2 = named<QLabel>(this, "Label2", "* You can modify other properties by clicking EditTask button on main form.");
    Label2->setWordWrap(true);
    SaveClose = named<QPushButton>(this, "SaveClose", "Save && Close");
    SaveClose->setDefault(true);
    Close = named<QPushButton>(this, "Close", "Close");
    connect(SaveClose, &QPushButton::clicked, this, [this] { SaveClose_Click(); });
    connect(Close, &QPushButton::clicked, this, [this] { Close_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SaveClose);
    buttons->addWidget(Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(TaskName_Value);
    layout->addWidget(Label2);
    layout->addLayout(buttons);
    qm::ui::chainTabOrder({TaskName_Value, SaveClose, Close});
    resize(380, sizeHint().height());
}

void NewTaskForm::SaveClose_Click()
{
    tab_.NewTask_SaveClose(qm::ui::str(TaskName_Value->text()));
    accept();
}

void NewTaskForm::Close_Click() { reject(); }

} // namespace qm::options
