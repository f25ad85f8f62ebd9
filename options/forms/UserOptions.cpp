#include "options/forms/UserOptions.h"

#include "app/ProgramState.h"
#include "options/OptionsColumns.h"
#include "options/forms/NewTaskForm.h"
#include "options/forms/TriggersForm.h"
#include "platform/ui/CardGrid.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::options {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

namespace {

constexpr const char* Instructions =
    "Nightwick.job is the main back-up task. Windows will launch the back-up and include every project that is due "
    "for back-up according to options you've set for each project defined in Quillmate. You can also create "
    "additional Quillmate schedules under any job name.";

} // namespace

UserOptions::UserOptions(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers,
                         std::function<ComPtr<IScheduler>()> makeScheduler, TaskAgent agent,
                         qm::store::WinAceLookup lookup, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), rows_(std::make_unique<OptionsRows>(state.store)),
      logic_(state, pickers, *this, *this, std::move(makeScheduler), std::move(agent), std::move(lookup))
{
    setObjectName("UserOptions");
    setWindowTitle("User Options");

    vsIndexTab1 = field<QTabWidget>(this, "vsIndexTab1");
    vsIndexTab1->addTab(makeOptionsPage(), "&Miscellaneous Options");
    vsIndexTab1->addTab(makeSchedulingPage(), "&Scheduling Options");
    cmdClose = named<QPushButton>(this, "cmdClose", "&Close");
    connect(cmdClose, &QPushButton::clicked, this, [this] { logic_.cmdClose_Click(); });

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(vsIndexTab1, 1);
    layout->addLayout(bottom);

    std::vector<QWidget*> order{GridEX1, cmdSave, TaskList};
    for (const TaskFieldInfo& f : TaskFields)
        if (f.editable)
            order.push_back(boxes_.at(f.field));
    for (QWidget* w : {static_cast<QWidget*>(CreateTask), static_cast<QWidget*>(EditTask),
                       static_cast<QWidget*>(DeleteTask), static_cast<QWidget*>(SaveTask),
                       static_cast<QWidget*>(Refresh), static_cast<QWidget*>(RunTask),
                       static_cast<QWidget*>(StopTask), static_cast<QWidget*>(Triggers),
                       static_cast<QWidget*>(cmdInstallAgent), static_cast<QWidget*>(cmdClose),
                       static_cast<QWidget*>(vsIndexTab1)})
        order.push_back(w);
    qm::ui::chainTabOrder(order);

    resize(860, 600);
    qm::ui::placeOnScreen(*this);
    logic_.Form_Load();
}

UserOptions::~UserOptions() = default;

QWidget* UserOptions::makeOptionsPage()
{
    auto* page = new QWidget(vsIndexTab1);
    GridEX1 = new qm::ui::CardGrid(OptionsColumns, *rows_, page);
    GridEX1->setObjectName("GridEX1");
    GridEX1->setCardCaption("User Options");
    GridEX1->onBeforeUpdate(
        [this](int, int column, const std::string& value) { return logic_.GridEX1_BeforeColUpdate(column, value); });
    GridEX1->onCellButton([this](int, int column) { logic_.GridEX1_ColButtonClick(column); });
    GridEX1->setItemCount(1);
    cmdSave = named<QPushButton>(page, "cmdSave", "&Save");
    cmdSave->setToolTip("Save the user options");
    connect(cmdSave, &QPushButton::clicked, this, [this] { logic_.cmdSave_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(GridEX1, 1);
    layout->addLayout(buttons);
    return page;
}

QWidget* UserOptions::makeSchedulingPage()
{
    auto* page = new QWidget(vsIndexTab1);
    auto* listLabel = named<QLabel>(page, "Label1", "Task, Schedule List");
    TaskList = field<QListWidget>(page, "TaskList");
    listLabel->setBuddy(TaskList);
    connect(TaskList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            tasks().TaskList_Click();
    });

    auto* values = new QGridLayout;
    int row = 0;
    for (const TaskFieldInfo& f : TaskFields) {
        auto* caption = new QLabel(qs(f.caption), page);
        values->addWidget(caption, row, 0);
        if (f.editable) {
            auto* box = field<QLineEdit>(page, f.name);
            caption->setBuddy(box);
            boxes_[f.field] = box;
            values->addWidget(box, row, 1);
        } else {
            auto* value = field<QLabel>(page, f.name);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            value->setFrameShape(QFrame::StyledPanel);
            labels_[f.field] = value;
            values->addWidget(value, row, 1);
        }
        if (f.field == TaskField::Priority)
            values->addWidget(named<QLabel>(page, "Label2", "Codes: 1 normal, 2 idle, 3 high, 4 realtime"), row, 2);
        ++row;
    }
    values->setColumnStretch(1, 1);

    CreateTask = named<QPushButton>(page, "CreateTask", "&New");
    EditTask = named<QPushButton>(page, "EditTask", "&Edit");
    DeleteTask = named<QPushButton>(page, "DeleteTask", "&Delete");
    SaveTask = named<QPushButton>(page, "SaveTask", "&Save");
    Refresh = named<QPushButton>(page, "Refresh", "&Refresh");
    RunTask = named<QPushButton>(page, "RunTask", "R&un");
    StopTask = named<QPushButton>(page, "StopTask", "Sto&p");
    Triggers = named<QPushButton>(page, "Triggers", "&Triggers");
    TaskTabPresenter& t = tasks();
    connect(CreateTask, &QPushButton::clicked, this, [&t] { t.CreateTask_Click(); });
    connect(EditTask, &QPushButton::clicked, this, [&t] { t.EditTask_Click(); });
    connect(DeleteTask, &QPushButton::clicked, this, [&t] { t.DeleteTask_Click(); });
    connect(SaveTask, &QPushButton::clicked, this, [&t] { t.SaveTask_Click(); });
    connect(Refresh, &QPushButton::clicked, this, [&t] { t.Refresh_Click(); });
    connect(RunTask, &QPushButton::clicked, this, [&t] { t.RunTask_Click(); });
    connect(StopTask, &QPushButton::clicked, this, [&t] { t.StopTask_Click(); });
    connect(Triggers, &QPushButton::clicked, this, [&t] { t.Triggers_Click(); });
    auto* buttons = new QGridLayout;
    QPushButton* all[] = {CreateTask, EditTask, DeleteTask, SaveTask, Refresh, RunTask, StopTask, Triggers};
    for (int i = 0; i < 8; ++i)
        buttons->addWidget(all[i], i / 4, i % 4);

    Frame1 = named<QGroupBox>(page, "Frame1", "Back-up Task, Scheduler Instructions");
    auto* instructions = named<QLabel>(Frame1, "Label3", Instructions);
    instructions->setWordWrap(true);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(instructions);
    lblAgent = field<QLabel>(page, "lblAgent");
    lblAgent->setWordWrap(true);
    cmdInstallAgent = named<QPushButton>(page, "cmdInstallAgent", "Install scheduler agent");
    connect(cmdInstallAgent, &QPushButton::clicked, this, [&t] { t.cmdInstallAgent_Click(); });
    auto* agent = new QHBoxLayout;
    agent->addWidget(lblAgent, 1);
    agent->addWidget(cmdInstallAgent);

    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(TaskList, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(values);
    right->addLayout(buttons);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 5);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top, 1);
    layout->addWidget(Frame1);
    layout->addLayout(agent);
    return page;
}

QLabel* UserOptions::valueLabel(TaskField f) const
{
    auto it = labels_.find(f);
    return it == labels_.end() ? nullptr : it->second;
}

QLineEdit* UserOptions::textBox(TaskField f) const
{
    auto it = boxes_.find(f);
    return it == boxes_.end() ? nullptr : it->second;
}

// ---- UserOptionsView

void UserOptions::selectTab(int index) { vsIndexTab1->setCurrentIndex(index); }
bool UserOptions::commitGrid() { return GridEX1->reRead(); }

void UserOptions::refreshGrid()
{
    GridEX1->reRead();
    GridEX1->repaint();
}

void UserOptions::closeWindow() { close(); }

// ---- TaskTabView

// The presenter's own changes of the list are no clicks.
void UserOptions::clearTaskList()
{
    const QSignalBlocker quiet(TaskList);
    TaskList->clear();
}

void UserOptions::addTaskName(const std::string& name)
{
    const QSignalBlocker quiet(TaskList);
    TaskList->addItem(qs(name));
}

void UserOptions::selectTaskEntry(int index)
{
    const QSignalBlocker quiet(TaskList);
    TaskList->setCurrentRow(index);
}

int UserOptions::selectedTaskEntry() const { return TaskList->currentRow(); }

void UserOptions::setText(TaskField f, const std::string& text)
{
    if (QLineEdit* box = textBox(f))
        box->setText(qs(text));
    else if (QLabel* label = valueLabel(f))
        label->setText(qs(text));
}

std::string UserOptions::text(TaskField f) const
{
    if (QLineEdit* box = textBox(f))
        return qm::ui::str(box->text());
    QLabel* label = valueLabel(f);
    return label ? qm::ui::str(label->text()) : std::string();
}

void UserOptions::enableTaskButtons(bool enabled)
{
    for (QPushButton* b : {CreateTask, EditTask, DeleteTask, SaveTask, RunTask, StopTask, Triggers})
        b->setEnabled(enabled);
}

void UserOptions::setAgentText(const std::string& text) { lblAgent->setText(qs(text)); }

void UserOptions::showNewTaskForm()
{
    NewTaskForm dialog(tasks(), this);
    state_.ui().showModal(dialog);
}

void UserOptions::showTriggersForm()
{
    TriggersForm dialog(tasks(), this);
    state_.ui().showModal(dialog);
}

void UserOptions::closeEvent(QCloseEvent* event)
{
    logic_.Form_Unload();
    QWidget::closeEvent(event);
}

} // namespace qm::options
