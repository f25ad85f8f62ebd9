// The user options window, its dialogs and the task property sheet,
// offscreen, over the built Cronolet and a temporary tasks folder. With
// QM_OPTIONS_SCREENSHOTS=<folder> the windows are saved there as pictures.
#include "options/forms/NewTaskForm.h"
#include "options/forms/QtOptionsForms.h"
#include "options/forms/TriggersForm.h"
#include "options/forms/UserOptions.h"
#include "options/forms/frmTaskProperties.h"

#include "app/ProgramState.h"
#include "options/OptionsColumns.h"
#include "platform/com/Date.h"
#include "platform/ui/CardGrid.h"

#include "FakeWindows.h"
#include "FormTest.h"
#include "TaskTabFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include <cstdlib>

using namespace qmtest;
using qm::test::child;

namespace {

class OptionsFormsTest : public TaskTabTest {
protected:
    OptionsFormsTest() { std::filesystem::create_directories(native("Options")); }
    void SetUp() override
    {
        TaskTabTest::SetUp();
        previousHook_ = ts::setPropertySheetHook(forms_.propertySheet());
    }
    void TearDown() override
    {
        ts::setPropertySheetHook(previousHook_);
        delete forms_.openWindow();
        TaskTabTest::TearDown();
    }
    UserOptions& window(bool modal = false)
    {
        forms_.showUserOptions(modal);
        return *forms_.openWindow();
    }
    qm::ui::CardGrid& grid() { return *forms_.openWindow()->GridEX1; }
    void shoot(QWidget& w, const char* name)
    {
        if (const char* folder = std::getenv("QM_OPTIONS_SCREENSHOTS"))
            w.grab().save(QString(folder) + "/" + name + ".png");
    }

    qm::app::ProgramState state_{ui_};
    qm::test::FakePickerForms pickers_;
    QtOptionsForms forms_{state_, pickers_, [] { return createScheduler(QM_CRONOLET); },
                          TaskAgent{[] { return false; }, [] { return AgentAnswer{true, {}}; }}};
    ts::PropertySheetHook previousHook_;
};

TEST_F(OptionsFormsTest, WindowHasItsTabsButtonsAndFrameAndOpensOnce)
{
    writeJob("Nightwick");
    UserOptions& w = window();
    EXPECT_EQ(w.windowTitle(), "User Options");
    EXPECT_EQ(w.ParentForm(), "Form1");
    EXPECT_EQ(w.CurrentForm(), "UserOptions");
    EXPECT_EQ(w.vsIndexTab1->currentIndex(), 0);
    EXPECT_EQ(w.vsIndexTab1->tabText(0), "&Miscellaneous Options");
    EXPECT_EQ(w.vsIndexTab1->tabText(1), "&Scheduling Options");
    EXPECT_EQ(w.Frame1->title(), "Back-up Task, Scheduler Instructions");
    for (const char* name : {"CreateTask", "EditTask", "DeleteTask", "SaveTask", "Refresh", "RunTask", "StopTask",
                             "Triggers", "cmdSave", "cmdClose", "cmdInstallAgent"})
        EXPECT_NO_THROW(child<QPushButton>(w, name)) << name;
    for (const TaskFieldInfo& f : TaskFields)
        EXPECT_NO_THROW(child(w, f.name)) << f.name;
    EXPECT_EQ(child<QListWidget>(w, "TaskList").count(), 1);
    EXPECT_EQ(w.textBox(TaskField::MaxRunTime)->text(), "259200000");
    EXPECT_EQ(w.lblAgent->text().toStdString(), agentLine(false));
    EXPECT_EQ(grid().cardCaption(1), "User Options");
    EXPECT_FALSE(grid().columnVisible(11));

    shoot(w, "UserOptions");
    w.vsIndexTab1->setCurrentIndex(1);
    shoot(w, "UserOptionsScheduling");

    // Opening it again, from the menu or the bar, brings this one forward.
    forms_.showUserOptions(false);
    forms_.showUserOptions(true);
    EXPECT_EQ(forms_.openWindow(), &w);
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += qobject_cast<UserOptions*>(top) && top->isVisible();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(ui_.modalShows().empty());

    w.cmdClose->click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(forms_.openWindow(), nullptr);
}

TEST_F(OptionsFormsTest, CardShowsCaptionsOfStoredValuesAndSaveTakesAnOpenEdit)
{
    auto& options = state_.store.UserOptionsRecord(1);
    window();
    for (const qm::ui::ValueChoice& v : lists::SplitSize) {
        options.UserSplitSize = std::string(v.stored);
        grid().reRead();
        EXPECT_EQ(grid().cellText(1, 6), v.shown);
    }
    for (const char* view : {"0", "42"}) {
        options.UserView = view;
        grid().reRead();
        EXPECT_EQ(grid().cellText(1, 7), std::string(view) == "0" ? "Folder and Files (QMT)"
                                                                   : "Install/Network (ACE EXE)");
    }
    auto* size = qobject_cast<QComboBox*>(grid().cellEditor(1, 6));
    size->activated(size->findText("ZIP 250 megabytes"));
    EXPECT_EQ(options.UserSplitSize, "238000000");
    auto* views = qobject_cast<QComboBox*>(grid().cellEditor(1, 7));
    views->activated(views->findText("Folder and Files (QMT)"));
    EXPECT_EQ(options.UserView, "0");

    QTest::keyClicks(grid().cellEditor(1, 5), "7");
    ui_.answer(qm::ui::mb::OK);
    forms_.openWindow()->cmdSave->click();
    EXPECT_EQ(ui_.lastBox().prompt, "User Options saved");
    const std::string file = qm::test::readFile(native("Options/User Options"));
    EXPECT_NE(file.find("UserBackINISchedule=7\r\n"), std::string::npos);
    EXPECT_NE(file.find("UserSplitSize=238000000\r\n"), std::string::npos);
}

TEST_F(OptionsFormsTest, PickerAnswerShowsOnTheCard)
{
    window();
    pickers_.folders = {qm::pickers::FolderAnswer::okay("D:\\Scratch")};
    grid().cellButton(1, 8)->click();
    EXPECT_EQ(grid().cellText(1, 8), "D:\\Scratch");
}

// A typed value the options file would give back cut is refused as the
// record editor refuses it, and stays in its cell; Save writes nothing meanwhile.
TEST_F(OptionsFormsTest, ACellRefusesAValueTheFileWouldCutAndSaveWritesNothing)
{
    UserOptions& w = window();
    const std::string deep = "C:\\" + std::string(269, 'd');
    auto* program = qobject_cast<QLineEdit*>(grid().cellEditor(1, 1));
    QApplication::clipboard()->setText(QString::fromStdString(deep));
    QTest::keyClick(program, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(program, Qt::Key_Return);
    const std::string refusal = "The field \"External ZIP Program\" is too long to be saved: it takes 272 bytes";
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().prompt.rfind(refusal, 0), 0u) << ui_.lastBox().prompt;
    EXPECT_EQ(state_.store.UserOptionsRecord(1).UserZIPShellPath, "");
    EXPECT_EQ(program->text().toStdString(), deep);
    shoot(w, "UserOptionsRefused");

    w.cmdSave->click();
    EXPECT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.lastBox().prompt.rfind(refusal, 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(native("Options/User Options")));
}

TEST_F(OptionsFormsTest, NewTaskAndTriggerViewerWorkTheTab)
{
    ts::Job three;
    three.triggers = {dailyAt(6), dailyAt(7, 15), dailyAt(8, 30)};
    writeJob("Three", three);
    UserOptions& w = window();
    w.vsIndexTab1->setCurrentIndex(1);

    ui_.onShowModal([&](QWidget& dialog) {
        auto& form = dynamic_cast<NewTaskForm&>(dialog);
        EXPECT_EQ(form.windowTitle(), "New Task");
        EXPECT_EQ(form.SaveClose->text(), "Save && Close");
        form.TaskName_Value->setText("Weekly");
        shoot(form, "NewTaskForm");
        form.SaveClose->click();
    });
    w.CreateTask->click();
    EXPECT_EQ(w.valueLabel(TaskField::LastErrorCode)->text(), "0");
    EXPECT_TRUE(job("Weekly"));

    ui_.onShowModal([&](QWidget& dialog) {
        auto& form = dynamic_cast<TriggersForm&>(dialog);
        EXPECT_EQ(form.windowTitle(), "Form1");
        EXPECT_EQ(form.TriggerCount_Value->text(), "3");
        EXPECT_EQ(form.TriggerList->count(), 3);
        EXPECT_EQ(child<QLineEdit>(form, "StartHour_Value").text(), "6");
        form.TriggerList->setCurrentRow(2);
        EXPECT_EQ(child<QLineEdit>(form, "StartMinute_Value").text(), "30");
        EXPECT_TRUE(child<QLineEdit>(form, "StartMinute_Value").isReadOnly());
        shoot(form, "TriggersForm");
        form.Close->click();
    });
    w.Triggers->click();
    EXPECT_EQ(ui_.modalScriptsLeft(), 0u);
}

TEST_F(OptionsFormsTest, PropertySheetAddsAWeeklyMondayTriggerThatTheTaskThenRuns)
{
    ts::Job plain;
    plain.ApplicationName = "C:\\bin\\backup.exe";
    writeJob("Plain", plain);
    UserOptions& w = window();
    w.vsIndexTab1->setCurrentIndex(1);
    ui_.onShowModal([&](QWidget& dialog) {
        auto& sheet = dynamic_cast<frmTaskProperties&>(dialog);
        EXPECT_EQ(sheet.txtApplicationName->text(), "C:\\bin\\backup.exe");
        EXPECT_EQ(sheet.lstTriggers->count(), 0);
        sheet.cmdAddTrigger->click();
        sheet.cboTriggerType->setCurrentIndex(ts::TASK_TIME_TRIGGER_WEEKLY);
        for (QCheckBox* day : sheet.chkWeekday)
            day->setChecked(day == sheet.chkWeekday[1]);
        sheet.tmStartTime->setTime(QTime(21, 30));
        sheet.txtComment->setText("every Monday");
        EXPECT_EQ(sheet.lstTriggers->item(0)->text().toStdString().rfind("At 21:30 every Mon of every week", 0), 0u)
            << sheet.lstTriggers->item(0)->text().toStdString();
        shoot(sheet, "frmTaskProperties");
        sheet.cmdOK->click();
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
    });
    w.EditTask->click();
    EXPECT_EQ(w.valueLabel(TaskField::LastErrorCode)->text(), "0");

    const ts::Job saved = *job("Plain");
    EXPECT_EQ(saved.Comment, "every Monday");
    ASSERT_EQ(saved.triggers.size(), 1u);
    EXPECT_EQ(saved.triggers[0].TriggerType, ts::TASK_TIME_TRIGGER_WEEKLY);
    EXPECT_EQ(saved.triggers[0].Type.DaysOfTheWeek(), ts::TASK_MONDAY);
    EXPECT_EQ(saved.triggers[0].Type.WeeksInterval(), 1);

    // The tab's task, read afresh: its trigger and its next run agree.
    w.Refresh->click();
    ComPtr<ScheduledTask>& task = w.Task();
    qm::com::Variant list;
    task->get_Triggers(list.out());
    ComPtr<Triggers> triggers = objectOf<Triggers>(list);
    ASSERT_TRUE(triggers);
    EXPECT_EQ(valueOf(*triggers, &Triggers::get_Count), 1);
    qm::com::Variant first;
    triggers->get_Item(1, first.out());
    ComPtr<Trigger> trigger = objectOf<Trigger>(first);
    EXPECT_EQ(valueOf(*trigger, &Trigger::get_DaysOfTheWeek), ts::TASK_MONDAY);
    qm::com::SYSTEMTIME next;
    ASSERT_TRUE(qm::com::VariantTimeToSystemTime(valueOf(*task, &ScheduledTask::get_NextRunTime), &next));
    EXPECT_EQ(next.wDayOfWeek, 1);
    EXPECT_EQ(next.wHour, 21);
    EXPECT_EQ(next.wMinute, 30);
}

TEST_F(OptionsFormsTest, PropertySheetRefusalStaysOpenAndCancelChangesNothing)
{
    ts::Job one;
    one.triggers = {dailyAt(5)};
    writeJob("One", one);
    UserOptions& w = window();
    ui_.answer(qm::ui::mb::OK);
    ui_.onShowModal([&](QWidget& dialog) {
        auto& sheet = dynamic_cast<frmTaskProperties&>(dialog);
        sheet.spnDuration->setValue(10);
        sheet.spnInterval->setValue(30);
        sheet.txtComment->setText("not kept");
        sheet.cmdOK->click();
        EXPECT_NE(sheet.result(), QDialog::Accepted);
        EXPECT_EQ(ui_.lastBox().title, "Error!");
        EXPECT_EQ(ui_.lastBox().prompt,
                  "Trigger 1: The repetition interval must be shorter than the duration it repeats for.");
        sheet.cmdRemoveTrigger->click();
        EXPECT_EQ(sheet.lstTriggers->count(), 0);
        sheet.cmdCancel->click();
    });
    w.EditTask->click();
    EXPECT_EQ(*job("One"), one);
    EXPECT_EQ(valueOf(*w.Task(), &ScheduledTask::get_TaskChanged), 0);
}

} // namespace
