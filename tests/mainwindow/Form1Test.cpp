// The main window offscreen: its surfaces and their wiring to the
// procedures, the start-up timers, the list, the hidden archive kind frame,
// the archive contents window hand-over and Exit.
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "editor/forms/QtEditorForms.h"
#include "editor/forms/frmData.h"
#include "platform/ui/CardGrid.h"
#include "engine/forms/QtEngineForms.h"
#include "engine/forms/StatusFrm.h"
#include "mainwindow/OutsidePrograms.h"
#include "mainwindow/Procedures.h"
#include "mainwindow/forms/ButtonBar.h"
#include "mainwindow/forms/Form1.h"
#include "mainwindow/forms/QtMainForms.h"
#include "mainwindow/forms/frmAbout.h"
#include "options/forms/QtOptionsForms.h"
#include "options/forms/UserOptions.h"
#include "pickers/forms/QtPickerForms.h"
#include "FakeUiServices.h"
#include "restore/forms/QtRestoreForms.h"
#include "platform/fs/Paths.h"
#include "platform/ui/ReportList.h"
#include "restore/ViewZip.h"
#include "restore/forms/frmViewZip.h"

#include "FormTest.h"
#include "WiredForm1.h"
#include "ProgramHome.h"
#include "Recording.h"
#include "RecordingLauncher.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QComboBox>
#include <QTreeWidget>

#include <set>

using namespace qm::app;
using qm::test::Wired;
using qm::test::WiredForm1;

namespace {

// A listed archive entry of that name, as the zip control reports it.
qm::zip::ListedEntry entry(const std::string& name)
{
    qm::zip::ListedEntry e;
    e.name = name;
    e.attributes = 32;
    return e;
}
// Every command only records that its procedure was called.
struct RecordingForm1 : Wired<Recording<Procedures>> {
    using Wired::Wired;
    std::vector<std::string>& calls = procs.calls;
};

class Form1Test : public qm::test::ProgramHomeTest {
protected:
    Form1Test() { ui_.setUnscriptedResult(qm::ui::mb::OK); }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
};

std::string procedureOf(const std::string& name, const std::vector<MenuRoute>& routes)
{
    for (const MenuRoute& r : routes)
        if (name == r.item)
            return r.procedure;
    return {};
}

TEST_F(Form1Test, MenuBarHasTheMenusAndItemsInOrder)
{
    RecordingForm1 form(state_);
    EXPECT_EQ(form.windowTitle(), "Quillmate 3.0");
    EXPECT_EQ(form.objectName(), "Form1");
    const QList<QAction*> menus = form.menuBar()->actions();
    const std::vector<std::pair<std::string, std::string>> expected{
        {"FileMnu", "&File"},         {"mnuArchive", "&Archive"},     {"mnuRecords", "&Records"},
        {"mnuOptions", "&Options"},   {"mnuUtilities", "&Utilities"}, {"HelpMnu", "&Help"}};
    ASSERT_EQ(menus.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(menus[i]->objectName().toStdString(), expected[static_cast<std::size_t>(i)].first);
        EXPECT_EQ(menus[i]->text().toStdString(), expected[static_cast<std::size_t>(i)].second);
    }
    auto captions = [&](const char* menu) {
        std::vector<std::string> out;
        for (QAction* a : form.menu(menu)->actions())
            out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return out;
    };
    EXPECT_EQ(captions("FileMnu"),
              (std::vector<std::string>{"Open E&xternal Zip Program", "Open &NotePad", "Open Other &Favorite",
                                        "Send &QMT to", "Send &EXE to", "&Map Network Drive",
                                        "&Unmap Network Drive", "&Exit"}));
    EXPECT_EQ(captions("mnuArchive"),
              (std::vector<std::string>{"&Back up Single Project", "Back up All Projects &Due", "&Restore", "&View",
                                        "&Test", "-", "&Glidepack"}));
    EXPECT_EQ(captions("mnuRecords"),
              (std::vector<std::string>{"&Add", "&Edit", "&Delete", "Re&name", "&Clone"}));
    EXPECT_EQ(captions("mnuOptions"), (std::vector<std::string>{"&User Settings", "Record &Defaults"}));
    EXPECT_EQ(captions("mnuUtilities"),
              (std::vector<std::string>{"&Back up Data", "&Restore Data", "&View Log", "&Clear Log"}));
    EXPECT_EQ(captions("HelpMnu"), (std::vector<std::string>{"&Contents", "&About"}));
    EXPECT_EQ(captions("File1PopMnu"),
              (std::vector<std::string>{"Add", "Edit", "Delete", "Rename", "Refresh", "Clone", "-", "Send QMT to",
                                        "Send EXE to", "-", "Back up", "Restore", "Test", "View"}));
    EXPECT_EQ(form.File1PopMnu->title(), "");
    EXPECT_FALSE(form.menuBar()->actions().contains(form.File1PopMnu->menuAction()));
}

TEST_F(Form1Test, EveryMenuItemIsWiredToItsProcedure)
{
    RecordingForm1 form(state_);
    for (const MenuRoute& route : ExpectedMenus) {
        QAction* a = form.action(route.item);
        ASSERT_NE(a, nullptr) << route.item;
        EXPECT_EQ(a->objectName(), route.item);
        const bool available = commandAvailable(*menuCommand(route.item));
        EXPECT_EQ(a->isEnabled(), available) << route.item;
        a->setEnabled(true); // disabled items still reach their (empty) procedure
        form.calls.clear();
        a->trigger();
        EXPECT_EQ(form.calls, std::vector<std::string>{route.procedure}) << route.item;
    }
    // The procedures of this build are the enabled ones.
    RecordingForm1 fresh(state_);
    std::set<std::string> enabled;
    for (const MenuRoute& route : ExpectedMenus)
        if (fresh.action(route.item)->isEnabled())
            enabled.insert(route.item);
    EXPECT_EQ(enabled, (std::set<std::string>{"mnuBackup", "BackUpMnu", "mnuDue", "mnuZIPManager", "RefreshPopMnu",
                                              "ExitMnu", "ContentsMnu", "mnuViewLog", "mnuClearLog", "ExternalMnu",
                                              "NotePadMnu", "OtherMnu", "AboutMnu", "mnuAdd", "mnuEdit", "mnuDelete",
                                              "mnuRename", "mnuClone", "mnuDefaults", "AddPopMnu", "EditPopMnu",
                                              "DeletePopMnu", "RenamePopMnu", "CloneMnu", "mnuBackupData",
                                              "mnuRestoreData", "sendQMTMnu", "sendQMTsubMnu", "SendEXEMnu",
                                              "sendEXEsubMnu", "mnuMapNet", "mnuUnMap", "mnuRestore", "mnuView",
                                              "mnuTest", "RestoreMnu", "TestMnu", "ViewMnu", "mnuUserSettings"}));
    EXPECT_EQ(procedureOf("mnuUserSettings", ExpectedMenus), "UserOptionsModeless");
}

TEST_F(Form1Test, ButtonBarHasItsGroupsAndItemsWiredToTheirProcedures)
{
    RecordingForm1 form(state_);
    ButtonBar* bar = form.ButtonBar1;
    ASSERT_EQ(bar->count(), 6);
    const std::vector<std::vector<std::string>> groups{
        {"Archive", "Back up, restore, test, view your projects"},
        {"Records", "Add, Edit, Delete, Rename, Clone Projects"},
        {"Options", "User options and program defaults"},
        {"Utilities", "View and maintain log, back up project definitions"},
        {"File", "Miscellaneous file operations"},
        {"Help", "Help topics and other info"}};
    for (int i = 0; i < 6; ++i) {
        const auto& g = groups[static_cast<std::size_t>(i)];
        EXPECT_EQ(bar->itemText(i).toStdString(), g[0]);
        EXPECT_EQ(bar->widget(i)->objectName().toStdString(), g[0]);
        EXPECT_EQ(bar->itemToolTip(i).toStdString(), g[1]);
    }
    for (const BarItem& item : barItems()) {
        QToolButton* b = bar->item(QString::fromUtf8(item.group.data(), item.group.size()), item.position);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->objectName().toStdString(), item.key);
        EXPECT_EQ(b->text().toStdString(), item.caption);
        EXPECT_EQ(b->toolTip().toStdString(), item.tooltip);
        EXPECT_EQ(b->isEnabled(), commandAvailable(item.command));
    }
    EXPECT_EQ(bar->itemCount("Archive"), 6);
    EXPECT_EQ(bar->itemCount("File"), 7);
    for (const BarRoute& route : ExpectedBar) {
        QToolButton* b = bar->item(route.group, route.position);
        b->setEnabled(true);
        form.calls.clear();
        b->click();
        EXPECT_EQ(form.calls, std::vector<std::string>{route.procedure}) << route.group << route.position;
    }
    form.calls.clear();
    form.ButtonBar1_ItemClick("Archive", 7);
    form.ButtonBar1_ItemClick("Help", 0);
    EXPECT_TRUE(form.calls.empty());
    // Spot checks of texts as specified.
    EXPECT_EQ(bar->item("Archive", 5)->toolTip().toStdString(),
              "Test the selected's projects ZIP file for defects (will try to repair if a problem exists)");
    EXPECT_EQ(bar->item("File", 1)->text().toStdString(), "Open External ZIPper");
    EXPECT_EQ(bar->item("Help", 2)->objectName().toStdString(), "About");
}

TEST_F(Form1Test, WindowControlsReachTheirProcedures)
{
    RecordingForm1 form(state_);
    form.Command1->click();
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(form.Picture1, &release);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(form.ListView1->viewport(), &dbl);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"ExitProgram", "GoFenwold", "ViewArchive"}));
    EXPECT_TRUE(form.Command1->text().isEmpty());
    // Tab goes from the bar to the list to the exit button.
    EXPECT_EQ(qm::test::nextTab(form.ListView1), form.Command1);
}

// Real programs: a text editor and an xdg-open that note their arguments,
// first on PATH, and a program folder with a blank in its name.
TEST_F(Form1Test, TheLogAndTheWebSiteReachRealPrograms)
{
    namespace stdfs = std::filesystem;
    const stdfs::path bin = native("bin");
    stdfs::create_directories(bin);
    auto recorder = [&](const char* name) {
        const stdfs::path p = bin / name;
        qm::test::writeFile(p, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + p.string() + ".tmp\"\nmv \"" + p.string() +
                                   ".tmp\" \"" + p.string() + ".args\"\n");
        stdfs::permissions(p, stdfs::perms::owner_all);
        return p.string() + ".args";
    };
    auto written = [](const std::string& file) {
        qm::test::eventually([&] { return stdfs::exists(file); });
        return stdfs::exists(file) ? qm::test::readFile(file) : std::string("(nothing)");
    };
    const std::string editorArgs = recorder("edit");
    const std::string openArgs = recorder("xdg-open");
    qm::test::ScopedEnv visual("VISUAL", (bin / "edit").string());
    qm::test::ScopedEnv path("PATH", bin.string() + ":" + std::getenv("PATH"));
    stdfs::create_directories(native("Quill mate"));
    qm::test::ScopedEnv home("QUILLMATE_HOME", native("Quill mate").string());

    WiredForm1 form(state_);
    form.action("mnuViewLog")->trigger();
    EXPECT_EQ(written(editorArgs), native("Quill mate/autoback.log").string() + "\n");

    form.action("AboutMnu")->trigger();
    ASSERT_NE(form.mainForms.about(), nullptr);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(form.mainForms.about()->Label1, &release);
    EXPECT_EQ(written(openArgs), "https://quillmate.example.org/\n");
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(Form1Test, ListIsFilledByTheFirstTimerAndTheArchiveOpensAfterTheSecond)
{
    project("Work", {"[SOURCES]", "ProjectName=Work", "[FILES AND FOLDERS-QMT]", "ZIPLastBackupDate=1/1/1900"});
    project("Home", {"[SOURCES]", "ProjectName=Home"});
    makeSource("x", {{"a.txt", "alpha"}});
    std::filesystem::create_directories(native("Back ups"));
    qm::zip::PavikZip zip;
    zip.SourceFolder = win("src-x");
    zip.ArchivePath = win("Back ups/x.qmt");
    ASSERT_EQ(zip.Build(), 0);
    const std::string argument = "\"" + native("Back ups/x.qmt").string() + "\"";
    WiredForm1 form(state_);
    form.Form_Load("  " + argument + "  ", nullptr);
    EXPECT_EQ(ui_.timerDelays(), (std::vector<int>{100, 3000}));
    EXPECT_TRUE(form.Frame1->isHidden());
    EXPECT_TRUE(form.ListView1->isHidden());

    ASSERT_TRUE(ui_.fireNextTimer());
    EXPECT_FALSE(form.ListView1->isHidden());
    EXPECT_EQ(qm::test::texts(form.ListView1, 0), (std::vector<std::string>{"Home", "Work"}));
    EXPECT_EQ(ui_.busyCalls(), 1);
    EXPECT_FALSE(ui_.isBusy());

    ASSERT_TRUE(ui_.fireNextTimer());
    EXPECT_EQ(ui_.nowMs(), 3000);
    qm::restore::frmViewZip& view = form.viewZip();
    EXPECT_EQ(view.windowTitle().toStdString(), "Viewing: " + argument);
    EXPECT_EQ(view.logic().strRunCommand, argument);
    // The window's operations read the archive in Windows form, without quotes.
    EXPECT_EQ(view.logic().ProjectName, win("Back ups/x.qmt"));
    EXPECT_EQ(state_.Form1.ProjectName, win("Back ups/x.qmt"));
    EXPECT_EQ(qm::test::texts(view.ListView1, 0), std::vector<std::string>{"a.txt"});
    view.close();
}

TEST_F(Form1Test, ANewProjectTypedAndSavedIsInItsFileAndTheList)
{
    project("Home", {"[SOURCES]", "ProjectName=Home"});
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.show();
    ui_.answerText("Fresh");
    form.action("mnuAdd")->trigger();
    qm::editor::frmData* editor = form.editor.openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(form.isVisible());
    QTest::keyClicks(editor->GridEX1->cellEditor(1, 2), "C:\\data");
    QTest::keyClicks(editor->GridEX1->cellEditor(1, 3), "fresh.qmt");
    QTest::keyClicks(editor->GridEX1->cellEditor(1, 4), "D:\\backups");
    qobject_cast<QComboBox*>(editor->GridEX1->cellEditor(1, 132))->activated(0); // yes
    qobject_cast<QComboBox*>(editor->GridEX1->cellEditor(1, 176))->activated(1); // ZIP
    editor->cmdSave->click();
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_NE(projectText("Fresh").find("ProjectFolder=C:\\data\r\n"), std::string::npos);
    EXPECT_EQ(qm::test::texts(form.ListView1, 0), (std::vector<std::string>{"Fresh", "Home"}));
    EXPECT_EQ(qm::test::texts(form.ListView1, 4)[0], "C:\\data");
    EXPECT_TRUE(form.isVisible());
}

TEST_F(Form1Test, TimersOfAClosedMainWindowDoNotFire)
{
    project("Work", {"[SOURCES]", "ProjectName=Work"});
    WiredForm1 form(state_);
    form.Form_Load("C:\\x.qmt", nullptr);
    form.show();
    form.close();
    EXPECT_EQ(ui_.fireTimers(), 2);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->objectName() == "frmViewZip" && w->isVisible());
}

TEST_F(Form1Test, TheDataRestoreClosesTheOtherWindowsOnly)
{
    WiredForm1 form(state_);
    form.show();
    form.procs.About();
    form.viewZip().show();
    ASSERT_NE(form.mainForms.about(), nullptr);
    form.action("mnuRestoreData")->trigger(); // no data backup anywhere: the picker is not there either
    QApplication::processEvents();
    EXPECT_EQ(form.mainForms.about(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w != &form && w->isVisible()) << w->objectName().toStdString();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(ui_.lastBox().prompt, "Operation cancelled. Error in selecting folder.");
    form.close();
}

TEST_F(Form1Test, NoCommandLineNoSecondTimer)
{
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    EXPECT_EQ(ui_.timerDelays(), std::vector<int>{100});
}

TEST_F(Form1Test, ColumnClicksSortByTextFlippingTheOrder)
{
    project("a", {"[SOURCES]", "ProjectName=a", "[COMMENTS]", "ZIPComments=beta"});
    project("b", {"[SOURCES]", "ProjectName=b", "[COMMENTS]", "ZIPComments=Alpha"});
    project("c", {"[SOURCES]", "ProjectName=c", "[COMMENTS]", "ZIPComments=gamma"});
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.ListView1_ColumnClick(3);
    EXPECT_EQ(qm::test::texts(form.ListView1, 3), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
    form.ListView1_ColumnClick(3);
    EXPECT_EQ(qm::test::texts(form.ListView1, 3), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    form.ListView1_ColumnClick(0);
    EXPECT_EQ(qm::test::texts(form.ListView1, 0), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(Form1Test, RefreshRereadsTheFolderButNotTheRows)
{
    project("a", {"[SOURCES]", "ProjectName=a"});
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    EXPECT_FALSE(state_.store.CurrentProjectIni.empty());
    project("b", {"[SOURCES]", "ProjectName=b"});
    form.action("RefreshPopMnu")->trigger();
    EXPECT_EQ(state_.store.CurrentProjectIni, "");
    EXPECT_EQ(form.File1.ListCount(), 2);
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 1);
}

TEST_F(Form1Test, HiddenFrameMirrorsTheArchiveKindState)
{
    Form1 form(state_);
    EXPECT_EQ(form.Frame1->title(), "Please Select Backup/Restore Type");
    EXPECT_EQ(form.ZipTypeBut[7]->text(), "ACE EXE");
    EXPECT_EQ(form.ZipTypeBut[11]->text(), "ACE EXE span");
    EXPECT_EQ(form.Check1->text(), "Delete old back-up and rebuild");

    state_.Form1.ZipTypeBut.setValue(4, true);
    EXPECT_TRUE(form.ZipTypeBut[4]->isChecked());
    state_.Form1.ZipTypeBut.setValue(9, true);
    EXPECT_FALSE(form.ZipTypeBut[4]->isChecked());
    EXPECT_TRUE(form.ZipTypeBut[9]->isChecked());
    state_.Form1.Check1.setValue(1);
    EXPECT_TRUE(form.Check1->isChecked());

    // Setting the window's option sets the state (and clears the others).
    form.ZipTypeBut[2]->setChecked(true);
    EXPECT_EQ(state_.Form1.ZipTypeBut.selected(), 2);
    EXPECT_FALSE(form.ZipTypeBut[9]->isChecked());
    form.Check1->setChecked(false);
    EXPECT_EQ(state_.Form1.Check1.value(), 0);
}

TEST_F(Form1Test, StateOutlivesTheWindow)
{
    {
        Form1 form(state_);
        state_.Form1.ZipTypeBut.setValue(1, true);
    }
    state_.Form1.ZipTypeBut.setValue(5, true); // no window listens any more
    state_.Form1.Check1.setValue(1);
    EXPECT_EQ(state_.Form1.ZipTypeBut.selected(), 5);
}

TEST_F(Form1Test, ListedRowsGoToTheContentsWindowCountedByRowCount)
{
    WiredForm1 form(state_);
    form.procs.session().PavikZip1_FileListed(entry("a.txt"));
    form.procs.session().PavikZip1_FileListed(entry("b.txt"));
    EXPECT_EQ(state_.Form1.mRowCount, 2);
    qm::restore::frmViewZip& view = form.viewZip();
    EXPECT_TRUE(view.ListView1->isHidden());
    EXPECT_EQ(qm::test::texts(view.ListView1, 0), (std::vector<std::string>{"a.txt", "b.txt"}));
    form.hide();
    view.cmdClose->click();
    EXPECT_EQ(state_.Form1.mRowCount, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isVisible()); // the main window shows itself again
    // A new listing makes a new window.
    form.procs.session().PavikZip1_FileListed(entry("c.txt"));
    EXPECT_EQ(qm::test::texts(form.viewZip().ListView1, 0), std::vector<std::string>{"c.txt"});
    // Once the main window has been closed, the contents window leaves it closed.
    form.close();
    form.viewZip().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Form1Test, ExitClosesEveryWindowAndEndsTheProgram)
{
    WiredForm1 form(state_);
    int quits = 0;
    form.setQuit([&] { ++quits; });
    form.show();
    form.procs.ExplorerView("C:\\x.qmt");
    QPointer<qm::restore::frmViewZip> view(&form.viewZip());
    QDialog other;
    other.show();
    state_.Form1.mRowCount = 3;

    form.action("ExitMnu")->trigger();
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(other.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(view.isNull());
    EXPECT_EQ(state_.Form1.mRowCount, 0);
}

TEST_F(Form1Test, CommandsAreOffWhileAnOperationRunsAllButHelpAndExit)
{
    RecordingForm1 form(state_);
    form.enableCommands(false);
    EXPECT_FALSE(form.action("mnuDue")->isEnabled());
    EXPECT_FALSE(form.action("RefreshPopMnu")->isEnabled());
    EXPECT_TRUE(form.ButtonBar1->item("Help", 1)->isEnabled());
    EXPECT_TRUE(form.action("ContentsMnu")->isEnabled());
    EXPECT_TRUE(form.action("ExitMnu")->isEnabled());
    form.ButtonBar1_ItemClick("Archive", 2);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(form.ListView1->viewport(), &dbl);
    form.ButtonBar1_ItemClick("Help", 1);
    form.Command1->click();
    EXPECT_EQ(form.calls, (std::vector<std::string>{"Help", "ExitProgram"}));

    form.enableCommands(true);
    EXPECT_TRUE(form.action("mnuDue")->isEnabled());
    EXPECT_TRUE(form.ButtonBar1->item("Help", 1)->isEnabled());
    EXPECT_TRUE(form.action("mnuUserSettings")->isEnabled());
}

TEST_F(Form1Test, RowsAreReachedByTheirPositionAsShown)
{
    for (const char* name : {"a", "b", "c"})
        project(name, {"[SOURCES]", std::string("ProjectName=") + name});
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.ListView1_ColumnClick(0); // c, b, a
    form.ListView1->topLevelItem(0)->setSelected(true);
    form.ListView1->topLevelItem(2)->setSelected(true);
    const std::vector<ListRow> rows = form.selectedRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].index, 0);
    EXPECT_EQ(rows[0].text, "c");
    EXPECT_EQ(rows[1].index, 2);
    EXPECT_EQ(rows[1].text, "a");
    form.setCell(2, 1, "3/7/2026 2:05:09 PM");
    form.setCell(9, 1, "no such row");
    form.setCell(0, 6, "no such column");
    EXPECT_EQ(qm::test::texts(form.ListView1, 1), (std::vector<std::string>{"", "", "3/7/2026 2:05:09 PM"}));
}

TEST_F(Form1Test, BackUpSingleMakesTheArchiveWithTheProgressWindowShowing)
{
    makeSource("Home", {{"a.txt", "alpha"}});
    std::filesystem::create_directories(native("out"));
    writeProject("Home", zipProject("Home"));
    writeProject("Zeta", zipProject("Zeta"));
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.ListView1_ColumnClick(0); // shown as Zeta, Home
    form.ListView1->topLevelItem(1)->setSelected(true);
    ui_.onShowModal([](QWidget& w) { qm::test::child<QPushButton>(w, "cmdOkay").click(); });
    bool progressShown = false;
    ui_.onDoEvents([&] {
        if (qm::engine::StatusFrm* f = form.engine.status().current())
            progressShown = progressShown || (f->isVisible() && f->windowTitle() == "Compressing Home files");
        form.ListView1->clearSelection();
    });
    form.action("mnuBackup")->trigger();
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(form.engine.status().current(), nullptr);
    EXPECT_EQ(ui_.lastBox().prompt, "Back-up operation successful.");
    EXPECT_TRUE(std::filesystem::exists(native("out/Home.qmt")));
    EXPECT_EQ(qm::test::texts(form.ListView1, 1)[0], "");
    EXPECT_NE(qm::test::texts(form.ListView1, 1)[1], "");
    EXPECT_TRUE(form.action("mnuBackup")->isEnabled());
}

TEST_F(Form1Test, AMissingOrUnstartableRunnerOrZipManagerIsReportedAndTheWindowGoesOn)
{
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    form.show();
    form.ButtonBar1->item("Archive", 2)->click();
    form.action("mnuZIPManager")->trigger();
    qm::test::writeFile(native("glidepack"), "not a program"); // there, but it cannot start
    form.ButtonBar1->item("Archive", 6)->click();
    const std::string app = qm::fs::appPath();
    auto prompt = [&](std::size_t i) { return i < ui_.boxes().size() ? ui_.boxes()[i].prompt : std::string(); };
    ASSERT_EQ(ui_.boxes().size(), 3u);
    EXPECT_EQ(prompt(0), "Could not start the unattended back-up program:\r\n\r\n" + app + "\\Nightwick.exe usemax");
    EXPECT_EQ(prompt(1), "Could not start the ZIP manager:\r\n\r\n" + app + "\\glidepack.exe");
    EXPECT_EQ(prompt(2), prompt(1));
    for (const auto& box : ui_.boxes())
        EXPECT_EQ(box.title, "Error!");
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.ButtonBar1->item("Archive", 6)->isEnabled());
    EXPECT_TRUE(form.action("mnuDue")->isEnabled());
}

// While an operation holds the busy switch every surface but Help and Exit
// is off, and a click that still arrives (the bar's handler, a menu's
// action, the window's own controls) reaches no procedure.
TEST_F(Form1Test, WhileTheBusySwitchIsOnOnlyHelpAndExitReachTheirProcedures)
{
    RecordingForm1 form(state_);
    form.show();
    auto allowed = [](const std::string& procedure) { return procedure == "Help" || procedure == "ExitProgram"; };
    auto reached = [&](const std::string& procedure) {
        return allowed(procedure) ? std::vector<std::string>{procedure} : std::vector<std::string>{};
    };
    {
        BusySwitch::Operation running = form.procs.busy().begin(nullptr);
        for (const BarRoute& route : ExpectedBar) {
            EXPECT_EQ(form.ButtonBar1->item(route.group, route.position)->isEnabled(), allowed(route.procedure))
                << route.group << " " << route.position;
            form.calls.clear();
            form.ButtonBar1_ItemClick(route.group, route.position);
            EXPECT_EQ(form.calls, reached(route.procedure)) << route.group << " " << route.position;
        }
        for (const MenuRoute& route : ExpectedMenus) {
            QAction* a = form.action(route.item);
            EXPECT_EQ(a->isEnabled(), allowed(route.procedure)) << route.item;
            a->setEnabled(true);
            form.calls.clear();
            a->trigger();
            EXPECT_EQ(form.calls, reached(route.procedure)) << route.item;
        }
        form.calls.clear();
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.Picture1, &release);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(form.ListView1->viewport(), &dbl);
        QTest::keyClick(form.ListView1, Qt::Key_F1);
        form.Command1->click();
        EXPECT_EQ(form.calls, (std::vector<std::string>{"Help", "ExitProgram"}));
    }
    // Off again: each surface as its command's availability says.
    for (const BarItem& item : barItems())
        EXPECT_EQ(form.ButtonBar1->item(QString::fromUtf8(item.group.data(), item.group.size()), item.position)->isEnabled(),
                  commandAvailable(item.command));
}

// F1 and the Help command reach the help opener with the help file's path:
// the main window's as the page, another window's at its part of it, the
// record editor's at the topic of its current field.
class Form1HelpTest : public qm::test::ProgramHomeTest {
protected:
    Form1HelpTest() { ui_.setUnscriptedResult(qm::ui::mb::OK); }
    std::vector<std::string> opened() const
    {
        std::vector<std::string> files;
        for (const auto& r : launcher_.requests)
            files.push_back(r.file);
        return files;
    }
    std::string page(const std::string& section) const
    {
        return "file://" + native("Quillmate.html").string() + "#" + section;
    }

    qm::ui::FakeUiServices ui_;
    qm::test::RecordingLauncher launcher_;
    ProgramState state_{ui_, &launcher_};
};

TEST_F(Form1HelpTest, F1InTheMainWindowAndInAModalDialogOpensTheHelpFile)
{
    qm::test::writeFile(native("Quillmate.html"), "<html></html>");
    writeProject("Home", [&] {
        qm::store::ProjectRecord r = zipProject("Home");
        r[qm::store::ProjectField::SFXBackFile] = "Home.exe"; // two kinds: the kind dialog is asked
        return r;
    }());
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.show();
    EXPECT_EQ(state_.HelpFile, qm::fs::fromNative(native("Quillmate.html")));

    QTest::keyClick(form.ListView1, Qt::Key_F1);
    EXPECT_EQ(opened(), std::vector<std::string>{state_.HelpFile});

    form.ListView1->topLevelItem(0)->setSelected(true);
    ui_.onShowModal([&](QWidget& w) {
        w.setWindowModality(Qt::ApplicationModal);
        w.show();
        QTest::keyClick(&w, Qt::Key_F1);
        qm::test::child<QPushButton>(w, "cmdCancel").click();
    });
    form.action("mnuBackup")->trigger();
    ASSERT_EQ(ui_.modalShows().size(), 1u);
    EXPECT_EQ(opened(), (std::vector<std::string>{state_.HelpFile, page("frmBackupType")}));
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt, "Archive operation cancelled."); // the dialog's Cancel

    // While an operation runs Help still opens.
    BusySwitch::Operation running = form.procs.busy().begin(nullptr);
    form.ButtonBar1->item("Help", 1)->click();
    EXPECT_EQ(opened().back(), state_.HelpFile);
}

TEST_F(Form1HelpTest, F1InTheRecordEditorOpensTheTopicOfItsField)
{
    qm::test::writeFile(native("Quillmate.html"), "<html></html>");
    project("Home", {"[SOURCES]", "ProjectName=Home", "[FILES AND FOLDERS-QMT]", "UseTempFolder=no"});
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    ui_.fireTimers();
    form.show();
    form.ListView1->topLevelItem(0)->setSelected(true);
    form.action("mnuEdit")->trigger();
    qm::editor::frmData* editor = form.editor.openEditor();
    ASSERT_NE(editor, nullptr);
    editor->GridEX1->setCurrentColumn(4); // Target Folder
    QTest::keyClick(editor->GridEX1->cellEditor(1, 4), Qt::Key_F1);
    editor->cmdHelp->click();
    EXPECT_EQ(opened(), (std::vector<std::string>{page("frmData-4"), page("frmData-4")}));
    // With its Help button off (the exclude-types editor open), F1 opens its part of the page.
    editor->cmdHelp->setEnabled(false);
    QTest::keyClick(editor->GridEX1->cellEditor(1, 4), Qt::Key_F1);
    EXPECT_EQ(opened().back(), page("frmData"));
    editor->close();
}

} // namespace

namespace {

// With every command built, each surface is on from the start and reaches
// its procedure as it is.
TEST_F(Form1Test, EverySurfaceIsOnAndReachesItsProcedure)
{
    RecordingForm1 form(state_);
    form.show();
    for (const BarRoute& route : ExpectedBar) {
        QToolButton* b = form.ButtonBar1->item(route.group, route.position);
        EXPECT_TRUE(b->isEnabled()) << route.group << " " << route.position;
        form.calls.clear();
        b->click();
        EXPECT_EQ(form.calls, std::vector<std::string>{route.procedure}) << route.group << " " << route.position;
    }
    for (const MenuRoute& route : ExpectedMenus) {
        QAction* a = form.action(route.item);
        EXPECT_TRUE(a->isEnabled()) << route.item;
        form.calls.clear();
        a->trigger();
        EXPECT_EQ(form.calls, std::vector<std::string>{route.procedure}) << route.item;
    }
}

// The options window opened from the menu (modeless), then from the bar
// (modal): the open one comes forward and no second one is shown.
TEST_F(Form1Test, UserSettingsFromTheBarRaisesTheOpenOptionsWindow)
{
    std::filesystem::create_directories(native("Options"));
    WiredForm1 form(state_);
    form.Form_Load("", nullptr);
    form.show();
    form.action("mnuUserSettings")->trigger();
    qm::options::UserOptions* open = form.options.openWindow();
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(open->isVisible());
    form.ButtonBar1->item("Options", 1)->click();
    EXPECT_EQ(form.options.openWindow(), open);
    int shown = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        shown += top->objectName() == "UserOptions" && top->isVisible();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(ui_.modalShows().empty());
    open->close();
}

} // namespace
