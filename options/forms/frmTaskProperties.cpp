#include "options/forms/frmTaskProperties.h"

#include "app/ErrorBox.h"
#include "options/TaskSheet.h"
#include "platform/datetime/Clock.h"
#include "platform/tasksched/TriggerText.h"
#include "platform/ui/WidgetKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace qm::options {

namespace ts = qm::tasksched;
using qm::com::DWORD;
using qm::com::WORD;
using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

namespace {

constexpr DWORD Priorities[] = {ts::NORMAL_PRIORITY_CLASS, ts::IDLE_PRIORITY_CLASS, ts::HIGH_PRIORITY_CLASS,
                                ts::REALTIME_PRIORITY_CLASS};
constexpr const char* Weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* WeekdayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* MonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                      "July",    "August",   "September", "October", "November", "December"};
constexpr int MaxIdleMinutes = 65535; // the sixteen-bit idle counts

template <std::size_t N>
DWORD bitsOf(const std::array<QCheckBox*, N>& boxes)
{
    DWORD bits = 0;
    for (std::size_t i = 0; i < N; ++i)
        if (boxes[i]->isChecked())
            bits |= DWORD{1} << i;
    return bits;
}

template <std::size_t N>
void showBits(const std::array<QCheckBox*, N>& boxes, DWORD bits)
{
    for (std::size_t i = 0; i < N; ++i)
        boxes[i]->setChecked((bits >> i) & 1u);
}

QDate dateOf(WORD y, WORD m, WORD d)
{
    const QDate date(y, m, d);
    return date.isValid() ? date : QDate::currentDate();
}

QSpinBox* spin(QWidget* parent, const char* name, int maximum)
{
    auto* s = field<QSpinBox>(parent, name);
    s->setRange(0, maximum);
    return s;
}

} // namespace

frmTaskProperties::frmTaskProperties(ITask& task, qm::ui::UiServices& ui, QWidget* parent)
    : QDialog(parent), task_(task), ui_(ui), before_(std::make_unique<TaskSheet>(readSheet(task))),
      edited_(std::make_unique<TaskSheet>(*before_))
{
    setObjectName("frmTaskProperties");
    setWindowTitle("Task Properties");

    QGroupBox* taskBox = makeTaskBox();
    QGroupBox* scheduleBox = makeScheduleBox();
    cmdOK = named<QPushButton>(this, "cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "Cancel");
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(taskBox, 1);
    boxes->addWidget(scheduleBox, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes, 1);
    layout->addLayout(buttons);

    showTask();
    for (const TASK_TRIGGER& t : edited_->triggers)
        lstTriggers->addItem(qs(ts::triggerText(t)));
    showTrigger(edited_->triggers.empty() ? -1 : 0);
    resize(980, 640);
    qm::ui::placeOnScreen(*this);
}

QGroupBox* frmTaskProperties::makeTaskBox()
{
    auto* box = named<QGroupBox>(this, "fraTask", "Task");
    txtApplicationName = field<QLineEdit>(box, "txtApplicationName");
    txtParameters = field<QLineEdit>(box, "txtParameters");
    txtWorkingDirectory = field<QLineEdit>(box, "txtWorkingDirectory");
    txtComment = field<QLineEdit>(box, "txtComment");
    txtCreator = field<QLineEdit>(box, "txtCreator");
    txtAccount = field<QLineEdit>(box, "txtAccount");
    txtAccount->setToolTip("Empty, or the user who owns the tasks folder: tasks run as that user");
    cboPriority = field<QComboBox>(box, "cboPriority");
    cboPriority->addItems({"Normal", "Idle", "High", "Realtime"});
    chkTaskDisabled = named<QCheckBox>(box, "chkTaskDisabled", "Disabled");
    chkDeleteWhenDone = named<QCheckBox>(box, "chkDeleteWhenDone", "Delete the task when it has no run left");
    spnMaxRunTime = spin(box, "spnMaxRunTime", int(0xFFFFFFFEu / 60000));
    spnMaxRunTime->setSpecialValueText("no limit");
    spnMaxRunTime->setSuffix(" minutes");
    spnIdleMinutes = spin(box, "spnIdleMinutes", MaxIdleMinutes);
    spnDeadlineMinutes = spin(box, "spnDeadlineMinutes", MaxIdleMinutes);
    connect(spnMaxRunTime, &QSpinBox::valueChanged, this, [this](int minutes) {
        if (!loading_)
            edited_->MaxRunTimeMs = static_cast<DWORD>(minutes) * 60000u;
    });

    auto* form = new QFormLayout(box);
    form->addRow("&Run:", txtApplicationName);
    form->addRow("&Parameters:", txtParameters);
    form->addRow("Start &in:", txtWorkingDirectory);
    form->addRow("C&omment:", txtComment);
    form->addRow("C&reator:", txtCreator);
    form->addRow("Run &as:", txtAccount);
    form->addRow("Pri&ority:", cboPriority);
    form->addRow("Stop after:", spnMaxRunTime);
    form->addRow("Idle minutes:", spnIdleMinutes);
    form->addRow("Idle deadline:", spnDeadlineMinutes);
    form->addRow(chkTaskDisabled);
    form->addRow(chkDeleteWhenDone);
    return box;
}

QGroupBox* frmTaskProperties::makeScheduleBox()
{
    auto* box = named<QGroupBox>(this, "fraSchedule", "Schedule");
    lstTriggers = field<QListWidget>(box, "lstTriggers");
    lstTriggers->setWordWrap(true);
    lstTriggers->setMinimumWidth(240);
    cmdAddTrigger = named<QPushButton>(box, "cmdAddTrigger", "&New");
    cmdRemoveTrigger = named<QPushButton>(box, "cmdRemoveTrigger", "&Delete");
    connect(lstTriggers, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!loading_)
            showTrigger(row);
    });
    connect(cmdAddTrigger, &QPushButton::clicked, this, [this] { cmdAddTrigger_Click(); });
    connect(cmdRemoveTrigger, &QPushButton::clicked, this, [this] { cmdRemoveTrigger_Click(); });

    cboTriggerType = field<QComboBox>(box, "cboTriggerType");
    cboTriggerType->addItems({"Once", "Daily", "Weekly", "Monthly, on days of the month",
                              "Monthly, on a weekday of one week", "When idle", "At system start-up", "At log-on"});
    dtBeginDate = field<QDateEdit>(box, "dtBeginDate");
    dtBeginDate->setCalendarPopup(true);
    dtBeginDate->setDisplayFormat("M/d/yyyy");
    tmStartTime = field<QTimeEdit>(box, "tmStartTime");
    tmStartTime->setDisplayFormat("HH:mm");
    spnDaysInterval = spin(box, "spnDaysInterval", 65535);
    spnDaysInterval->setMinimum(1);
    spnWeeksInterval = spin(box, "spnWeeksInterval", 65535);
    spnWeeksInterval->setMinimum(1);
    cboWhichWeek = field<QComboBox>(box, "cboWhichWeek");
    cboWhichWeek->addItems({"first", "second", "third", "fourth", "last"});

    auto row = [box](const char* caption, QWidget* w, const char* after = nullptr) {
        auto* r = new QWidget(box);
        auto* l = new QHBoxLayout(r);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(new QLabel(caption, r));
        l->addWidget(w);
        if (after)
            l->addWidget(new QLabel(after, r));
        l->addStretch(1);
        return r;
    };
    rowDaily_ = row("Every", spnDaysInterval, "day(s)");
    rowWeekly_ = row("Every", spnWeeksInterval, "week(s), on:");
    rowWhichWeek_ = row("In the", cboWhichWeek, "week, on:");

    boxWeekdays_ = named<QGroupBox>(box, "fraWeekdays", "Days of the week");
    auto* weekdays = new QHBoxLayout(boxWeekdays_);
    for (std::size_t i = 0; i < chkWeekday.size(); ++i) {
        chkWeekday[i] = named<QCheckBox>(boxWeekdays_, "", Weekdays[i]);
        chkWeekday[i]->setObjectName(QString("chk") + WeekdayNames[i]);
        weekdays->addWidget(chkWeekday[i]);
    }
    boxMonthDays_ = named<QGroupBox>(box, "fraMonthDays", "Days of the month");
    auto* days = new QGridLayout(boxMonthDays_);
    for (std::size_t i = 0; i < chkMonthDay.size(); ++i) {
        chkMonthDay[i] = named<QCheckBox>(boxMonthDays_, "", QString::number(i + 1));
        chkMonthDay[i]->setObjectName(QString("chkDay%1").arg(i + 1));
        days->addWidget(chkMonthDay[i], int(i / 8), int(i % 8));
    }
    boxMonths_ = named<QGroupBox>(box, "fraMonths", "Months");
    auto* months = new QGridLayout(boxMonths_);
    for (std::size_t i = 0; i < chkMonth.size(); ++i) {
        chkMonth[i] = named<QCheckBox>(boxMonths_, "", Months[i]);
        chkMonth[i]->setObjectName(QString("chk") + MonthNames[i]);
        months->addWidget(chkMonth[i], int(i / 6), int(i % 6));
    }

    chkEndDate = named<QCheckBox>(box, "chkEndDate", "&End date:");
    dtEndDate = field<QDateEdit>(box, "dtEndDate");
    dtEndDate->setCalendarPopup(true);
    dtEndDate->setDisplayFormat("M/d/yyyy");
    spnDuration = spin(box, "spnDuration", 0x7FFFFFFF);
    spnDuration->setSuffix(" minutes");
    spnInterval = spin(box, "spnInterval", 0x7FFFFFFF);
    spnInterval->setSuffix(" minutes");
    chkTriggerDisabled = named<QCheckBox>(box, "chkTriggerDisabled", "Trigger disabled");

    auto* editors = new QFormLayout;
    editors->addRow("T&ype:", cboTriggerType);
    editors->addRow("&Begin date:", dtBeginDate);
    editors->addRow("Start &time:", tmStartTime);
    editors->addRow(rowDaily_);
    editors->addRow(rowWeekly_);
    editors->addRow(rowWhichWeek_);
    editors->addRow(boxWeekdays_);
    editors->addRow(boxMonthDays_);
    editors->addRow(boxMonths_);
    editors->addRow(chkEndDate, dtEndDate);
    editors->addRow("Repeat every:", spnInterval);
    editors->addRow("For (duration):", spnDuration);
    editors->addRow(chkTriggerDisabled);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(cmdAddTrigger);
    listButtons->addWidget(cmdRemoveTrigger);
    listButtons->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(lstTriggers, 1);
    left->addLayout(listButtons);
    auto* layout = new QHBoxLayout(box);
    layout->addLayout(left, 1);
    layout->addLayout(editors, 1);

    auto edited = [this] { triggerEdited(); };
    connect(cboTriggerType, &QComboBox::currentIndexChanged, this, edited);
    connect(dtBeginDate, &QDateEdit::dateChanged, this, edited);
    connect(tmStartTime, &QTimeEdit::timeChanged, this, edited);
    connect(spnDaysInterval, &QSpinBox::valueChanged, this, edited);
    connect(spnWeeksInterval, &QSpinBox::valueChanged, this, edited);
    connect(cboWhichWeek, &QComboBox::currentIndexChanged, this, edited);
    for (QCheckBox* c : chkWeekday)
        connect(c, &QCheckBox::toggled, this, edited);
    for (QCheckBox* c : chkMonthDay)
        connect(c, &QCheckBox::toggled, this, edited);
    for (QCheckBox* c : chkMonth)
        connect(c, &QCheckBox::toggled, this, edited);
    connect(chkEndDate, &QCheckBox::toggled, this, edited);
    connect(dtEndDate, &QDateEdit::dateChanged, this, edited);
    connect(spnDuration, &QSpinBox::valueChanged, this, edited);
    connect(spnInterval, &QSpinBox::valueChanged, this, edited);
    connect(chkTriggerDisabled, &QCheckBox::toggled, this, edited);
    return box;
}

frmTaskProperties::~frmTaskProperties() = default;

const TaskSheet& frmTaskProperties::sheet()
{
    takeTask();
    return *edited_;
}

void frmTaskProperties::showTask()
{
    loading_ = true;
    txtApplicationName->setText(qs(edited_->ApplicationName));
    txtParameters->setText(qs(edited_->Parameters));
    txtWorkingDirectory->setText(qs(edited_->WorkingDirectory));
    txtComment->setText(qs(edited_->Comment));
    txtCreator->setText(qs(edited_->Creator));
    txtAccount->setText(qs(edited_->Account));
    const auto priority = std::find(std::begin(Priorities), std::end(Priorities), edited_->Priority);
    cboPriority->setCurrentIndex(priority == std::end(Priorities) ? 0 : int(priority - std::begin(Priorities)));
    chkTaskDisabled->setChecked(edited_->Flags & ts::TASK_FLAG_DISABLED);
    chkDeleteWhenDone->setChecked(edited_->Flags & ts::TASK_FLAG_DELETE_WHEN_DONE);
    const bool unlimited = edited_->MaxRunTimeMs == ts::INFINITE_RUN_TIME;
    spnMaxRunTime->setValue(unlimited ? 0 : int(edited_->MaxRunTimeMs / 60000u));
    spnIdleMinutes->setValue(edited_->IdleMinutes);
    spnDeadlineMinutes->setValue(edited_->DeadlineMinutes);
    loading_ = false;
}

void frmTaskProperties::takeTask()
{
    edited_->ApplicationName = qm::ui::str(txtApplicationName->text());
    edited_->Parameters = qm::ui::str(txtParameters->text());
    edited_->WorkingDirectory = qm::ui::str(txtWorkingDirectory->text());
    edited_->Comment = qm::ui::str(txtComment->text());
    edited_->Creator = qm::ui::str(txtCreator->text());
    edited_->Account = qm::ui::str(txtAccount->text());
    edited_->Priority = Priorities[std::max(0, cboPriority->currentIndex())];
    DWORD flags = edited_->Flags & ~ts::TASK_FLAGS_KNOWN;
    if (chkTaskDisabled->isChecked())
        flags |= ts::TASK_FLAG_DISABLED;
    if (chkDeleteWhenDone->isChecked())
        flags |= ts::TASK_FLAG_DELETE_WHEN_DONE;
    edited_->Flags = flags;
    edited_->IdleMinutes = static_cast<WORD>(spnIdleMinutes->value());
    edited_->DeadlineMinutes = static_cast<WORD>(spnDeadlineMinutes->value());
}

void frmTaskProperties::fitToType(int type)
{
    const bool timed = type <= ts::TASK_TIME_TRIGGER_MONTHLYDOW;
    dtBeginDate->setEnabled(timed);
    tmStartTime->setEnabled(timed);
    rowDaily_->setVisible(type == ts::TASK_TIME_TRIGGER_DAILY);
    rowWeekly_->setVisible(type == ts::TASK_TIME_TRIGGER_WEEKLY);
    rowWhichWeek_->setVisible(type == ts::TASK_TIME_TRIGGER_MONTHLYDOW);
    boxWeekdays_->setVisible(type == ts::TASK_TIME_TRIGGER_WEEKLY || type == ts::TASK_TIME_TRIGGER_MONTHLYDOW);
    boxMonthDays_->setVisible(type == ts::TASK_TIME_TRIGGER_MONTHLYDATE);
    boxMonths_->setVisible(type == ts::TASK_TIME_TRIGGER_MONTHLYDATE || type == ts::TASK_TIME_TRIGGER_MONTHLYDOW);
}

void frmTaskProperties::showTrigger(int index)
{
    current_ = index >= 0 && index < int(edited_->triggers.size()) ? index : -1;
    for (QWidget* w : std::initializer_list<QWidget*>{cboTriggerType, chkEndDate, dtEndDate, spnDuration,
                                                      spnInterval, chkTriggerDisabled, cmdRemoveTrigger})
        w->setEnabled(current_ >= 0);
    if (current_ < 0) {
        fitToType(-1);
        dtBeginDate->setEnabled(false);
        tmStartTime->setEnabled(false);
        return;
    }
    const TASK_TRIGGER& t = edited_->triggers[static_cast<std::size_t>(current_)];
    loading_ = true;
    lstTriggers->setCurrentRow(current_);
    cboTriggerType->setCurrentIndex(t.TriggerType);
    dtBeginDate->setDate(dateOf(t.wBeginYear, t.wBeginMonth, t.wBeginDay));
    tmStartTime->setTime(QTime(std::min<int>(t.wStartHour, 23), std::min<int>(t.wStartMinute, 59)));
    spnDaysInterval->setValue(std::max<int>(1, t.Type.DaysInterval()));
    spnWeeksInterval->setValue(std::max<int>(1, t.Type.WeeksInterval()));
    cboWhichWeek->setCurrentIndex(std::clamp<int>(t.Type.WhichWeek(), 1, 5) - 1);
    showBits(chkWeekday, t.Type.DaysOfTheWeek());
    showBits(chkMonthDay, t.Type.Days());
    showBits(chkMonth, t.Type.Months());
    chkEndDate->setChecked(t.rgFlags & ts::TASK_TRIGGER_FLAG_HAS_END_DATE);
    dtEndDate->setDate(dateOf(t.wEndYear, t.wEndMonth, t.wEndDay));
    spnDuration->setValue(int(std::min<DWORD>(t.MinutesDuration, 0x7FFFFFFF)));
    spnInterval->setValue(int(std::min<DWORD>(t.MinutesInterval, 0x7FFFFFFF)));
    chkTriggerDisabled->setChecked(t.rgFlags & ts::TASK_TRIGGER_FLAG_DISABLED);
    fitToType(t.TriggerType);
    dtEndDate->setEnabled(chkEndDate->isChecked());
    loading_ = false;
}

void frmTaskProperties::triggerEdited()
{
    if (loading_ || current_ < 0)
        return;
    TASK_TRIGGER& t = edited_->triggers[static_cast<std::size_t>(current_)];
    const QDate begin = dtBeginDate->date();
    t.wBeginYear = static_cast<WORD>(begin.year());
    t.wBeginMonth = static_cast<WORD>(begin.month());
    t.wBeginDay = static_cast<WORD>(begin.day());
    t.wStartHour = static_cast<WORD>(tmStartTime->time().hour());
    t.wStartMinute = static_cast<WORD>(tmStartTime->time().minute());
    if (cboTriggerType->currentIndex() != t.TriggerType) {
        // A new type starts from what it needs; the editors show it.
        setTriggerType(t, cboTriggerType->currentIndex());
    } else {
        switch (t.TriggerType) {
        case ts::TASK_TIME_TRIGGER_DAILY:
            t.Type.setDaysInterval(static_cast<WORD>(spnDaysInterval->value()));
            break;
        case ts::TASK_TIME_TRIGGER_WEEKLY:
            t.Type.setWeeksInterval(static_cast<WORD>(spnWeeksInterval->value()));
            t.Type.setDaysOfTheWeek(static_cast<WORD>(bitsOf(chkWeekday)));
            break;
        case ts::TASK_TIME_TRIGGER_MONTHLYDATE:
            t.Type.setDays(bitsOf(chkMonthDay));
            t.Type.setMonths(static_cast<WORD>(bitsOf(chkMonth)));
            break;
        case ts::TASK_TIME_TRIGGER_MONTHLYDOW:
            t.Type.setWhichWeek(static_cast<WORD>(cboWhichWeek->currentIndex() + 1));
            t.Type.setDaysOfTheWeek(static_cast<WORD>(bitsOf(chkWeekday)));
            t.Type.setMonths(static_cast<WORD>(bitsOf(chkMonth)));
            break;
        default:
            break;
        }
    }
    t.rgFlags &= ~(ts::TASK_TRIGGER_FLAG_HAS_END_DATE | ts::TASK_TRIGGER_FLAG_DISABLED);
    if (chkEndDate->isChecked()) {
        t.rgFlags |= ts::TASK_TRIGGER_FLAG_HAS_END_DATE;
        const QDate end = dtEndDate->date();
        t.wEndYear = static_cast<WORD>(end.year());
        t.wEndMonth = static_cast<WORD>(end.month());
        t.wEndDay = static_cast<WORD>(end.day());
    }
    if (chkTriggerDisabled->isChecked())
        t.rgFlags |= ts::TASK_TRIGGER_FLAG_DISABLED;
    t.MinutesDuration = static_cast<DWORD>(spnDuration->value());
    t.MinutesInterval = static_cast<DWORD>(spnInterval->value());
    lstTriggers->item(current_)->setText(qs(ts::triggerText(t)));
    showTrigger(current_);
}

void frmTaskProperties::cmdAddTrigger_Click()
{
    edited_->triggers.push_back(newTrigger(qm::datetime::systemClock().now()));
    loading_ = true;
    lstTriggers->addItem(qs(ts::triggerText(edited_->triggers.back())));
    loading_ = false;
    showTrigger(int(edited_->triggers.size()) - 1);
}

void frmTaskProperties::cmdRemoveTrigger_Click()
{
    if (current_ < 0)
        return;
    const int removed = current_;
    edited_->triggers.erase(edited_->triggers.begin() + removed);
    loading_ = true;
    delete lstTriggers->takeItem(removed);
    loading_ = false;
    showTrigger(std::min(removed, int(edited_->triggers.size()) - 1));
}

void frmTaskProperties::cmdOK_Click()
{
    takeTask();
    const std::string problem = applySheet(task_, *edited_, *before_);
    if (!problem.empty()) {
        qm::app::showError(ui_, problem);
        return;
    }
    accept();
}

} // namespace qm::options
