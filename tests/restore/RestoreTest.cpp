// The action log window and the archive contents window's shell.
#include "app/ProgramState.h"
#include "platform/fs/Paths.h"
#include "FakeUiServices.h"
#include "restore/ActionLog.h"
#include "restore/ViewZipRows.h"
#include "restore/forms/frmAction.h"
#include "platform/ui/ReportList.h"
#include "restore/forms/frmViewZip.h"
#include "restore/forms/QtRestoreForms.h"

#include "FakeMainWindowView.h"

#include "FormTest.h"
#include "TestSupport.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace qm::restore;

namespace {

TEST(ActionLogTest, LogLivesBesideTheProgram)
{
    EXPECT_EQ(actionLogPath("C:\\Program Files\\WinAce\\winace.exe"), "C:\\Program Files\\WinAce\\action.log");
    EXPECT_EQ(actionLogPath("C:\\winace.exe"), "C:\\action.log");
    EXPECT_EQ(actionLogPath("winace.exe"), "action.log");
    EXPECT_EQ(actionLogPath(""), "action.log");
}

TEST(ActionLogTest, WindowListsTheLinesInOrder)
{
    qm::test::TempDir dir("qm-action");
    qm::test::writeFile(dir / "action.log", "first line\r\n\r\nthird\nfourth\rlast");
    const std::string winace = qm::fs::fromNative(dir / "winace.exe");
    qm::ui::FakeUiServices ui;
    qm::app::ProgramState state(ui);
    qm::test::FakeMainWindowView view;
    QtRestoreForms forms(state, view);
    ui.busyPointer();
    bool shown = false;
    ui.onShowModal([&](QWidget& w) {
        auto& form = dynamic_cast<frmAction&>(w);
        shown = true;
        EXPECT_EQ(form.windowTitle(), "ACE Processing Results");
        EXPECT_EQ(qm::test::texts(form.List1),
                  (std::vector<std::string>{"first line", "", "third", "fourth", "last"}));
        EXPECT_FALSE(ui.isBusy());
        EXPECT_EQ(form.cmdClose->text(), "&Close");
        form.show();
        form.cmdClose->click();
        EXPECT_FALSE(form.isVisible());
    });
    forms.showActionLog(winace);
    EXPECT_TRUE(shown);
}

TEST(ActionLogTest, MissingLogIsError53BeforeTheWindowShowsAndAnEmptyOneAnEmptyList)
{
    qm::test::TempDir dir("qm-action");
    qm::ui::FakeUiServices ui;
    qm::app::ProgramState state(ui);
    qm::test::FakeMainWindowView view;
    QtRestoreForms forms(state, view);
    for (std::string location : {qm::fs::fromNative(dir / "winace.exe"), std::string(), std::string("Q:\\x\\y.exe")})
        EXPECT_EQ(qm::test::rtErrorNumber([&] { forms.showActionLog(location); }), 53) << location;
    EXPECT_TRUE(ui.modalShows().empty());
    EXPECT_TRUE(ui.boxes().empty());

    qm::test::writeFile(dir / "action.log", "");
    int rows = -1;
    ui.onShowModal([&](QWidget& w) { rows = dynamic_cast<frmAction&>(w).List1->count(); });
    forms.showActionLog(qm::fs::fromNative(dir / "winace.exe"));
    EXPECT_EQ(rows, 0);
}

TEST(ViewZipTest, DesignOfTheContentsWindow)
{
    qm::ui::FakeUiServices ui;
    qm::app::ProgramState state(ui);
    auto* form = new frmViewZip(state);
    QStringList headers;
    for (int i = 0; i < form->ListView1->columnCount(); ++i)
        headers << form->ListView1->headerItem()->text(i);
    EXPECT_EQ(headers, (QStringList{"Filename", "Size", "Compressed", "Modified", "Created", "Attributes"}));
    EXPECT_EQ(form->Label1->text(), "Files:");
    EXPECT_EQ(form->Label3->text(), "Compressed size:");
    EXPECT_EQ(form->Label5->text(), "Uncompressed size:");
    EXPECT_EQ(form->Label7->text(), "Ratio:");
    EXPECT_EQ(form->Label9->text(), "Spanned:");
    EXPECT_EQ(form->Label11->text(), "Archive Comment:");
    EXPECT_EQ(form->lblDescription->text(), "");
    EXPECT_TRUE(form->Frame5->isHidden());
    EXPECT_TRUE(form->cmdClose->isEnabled());
    delete form;
}

TEST(ViewZipTest, RowsGoWhereTheCountSaysAndNeverFail)
{
    EXPECT_EQ(rowPosition(1, 0), 0);
    EXPECT_EQ(rowPosition(3, 2), 2);
    EXPECT_EQ(rowPosition(40000, 2), 2); // a count that ran ahead appends
    EXPECT_EQ(rowPosition(0, 2), 0);

    qm::datetime::DateTime when{2026, 3, 7, 14, 5, 9};
    const ViewZipRow row = listedRow("docs\\a.txt", 1200, 300, when, qm::datetime::DateTime{2026, 3, 7}, 33);
    EXPECT_EQ(row, (ViewZipRow{"docs\\a.txt", "1200", "300", "3/7/2026 2:05:09 PM", "3/7/2026", "33"}));
}

TEST(ViewZipTest, ClosingUnloadsAndResetsTheRowCount)
{
    qm::ui::FakeUiServices ui;
    qm::app::ProgramState state(ui);
    int unloads = 0;
    QPointer<frmViewZip> form = new frmViewZip(state);
    form->onUnload([&] { ++unloads; });
    form->show();
    form->AddListedRow(1, {"a", "1", "1", "", "", "32"});
    form->AddListedRow(5, {"b", "1", "1", "", "", "32"});
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 2);
    state.Form1.mRowCount = 2;
    form->cmdClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(state.Form1.mRowCount, 0);
    EXPECT_EQ(unloads, 1);

    // Any other close does the same.
    QPointer<frmViewZip> other = new frmViewZip(state);
    other->show();
    state.Form1.mRowCount = 7;
    other->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(other.isNull());
    EXPECT_EQ(state.Form1.mRowCount, 0);
}

} // namespace
