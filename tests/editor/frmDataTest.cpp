// The record editor window offscreen, on a record written to its file.
#include "editor/forms/QtEditorDialogs.h"
#include "editor/forms/QtEditorForms.h"
#include "editor/forms/frmData.h"

#include "app/ProgramState.h"
#include "pickers/forms/ChooseTargetDir.h"
#include "pickers/forms/QtPickerForms.h"
#include "platform/ui/CardGrid.h"
#include "platform/ui/TreeView.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "FakeUiServices.h"
#include "FormTest.h"
#include "ProgramHome.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

using namespace qm::editor;
using qm::test::child;

namespace {

class frmDataTest : public qm::test::ProgramHomeTest {
protected:
    frmDataTest() : ProgramHomeTest({"Projects", "Options", "Filelists"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        qm::store::ProjectRecord r;
        r[F::ProjectName] = "Sample";
        r[F::ProjectFolder] = "C:\\data";
        r[F::ZIPUseComments] = "maybe";
        r[F::ZIPDefaultSplitSize] = "1457000";
        r[F::ZIPComments] = "weekly";
        r[F::UseTempFolder] = "yes";
        r[F::AutoBackupFormat] = "ZIP";
        r[F::ZIPDefaultRestoreFromFolder] = "D:\\backups";
        writeProject("Sample", r);
        state_.store.CurrentProjectIni = win("Projects/Sample");
    }
    std::string& field(F f) { return state_.store.ProjectRecord(1)[f]; }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::test::FakeMainWindowView main_;
    qm::test::FakePickerForms pickers_;
    QtEditorDialogs dialogs_{ui_};
};

TEST_F(frmDataTest, ShowsTheRecordOnItsCard)
{
    frmData form(state_, main_, pickers_, dialogs_, {});
    EXPECT_EQ(form.windowTitle(), "Quillmate version 3.0");
    qm::ui::CardGrid& grid = child<qm::ui::CardGrid>(form, "GridEX1");
    EXPECT_EQ(grid.findChild<QLabel*>("cardCaption")->text(), "Sample");
    EXPECT_EQ(grid.captionLabel(1, 43)->text(), "Default Split Size");
    EXPECT_EQ(grid.cellText(1, 43), "1.44 megabytes");
    EXPECT_EQ(grid.cellText(1, 7), "maybe");
    EXPECT_EQ(grid.cellText(1, 2), "C:\\data");
    EXPECT_FALSE(grid.columnVisible(45));
    EXPECT_EQ(child<QPushButton>(form, "cmdClose").toolTip(), "Do no save changes, but return to main menu");
    EXPECT_EQ(child<QPushButton>(form, "cmdInsDefaults").text(), "&Insert my Default Values");
    EXPECT_EQ(child<QGroupBox>(form, "Frame1").title(), "View");
    EXPECT_FALSE(child<QGroupBox>(form, "Frame2").isVisibleTo(&form));
    EXPECT_EQ(child<QPushButton>(form, "cmdExcludeOkay").text(), "&Okay");
    QTabWidget& tabs = child<QTabWidget>(form, "vsIndexTab1");
    EXPECT_EQ(tabs.tabText(1), "ACE/EXE");
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_NE(child<QLabel>(form, "Label6").text().indexOf("WinAce 2.11"), -1);
}

TEST_F(frmDataTest, AnEditReachesTheRecordAndNothingElseDoes)
{
    field(F::SFXPasswordPromptMsg) = "prompt kept";
    frmData form(state_, main_, pickers_, dialogs_, {});
    // Loading replaced the record: field 64 is what the file gave (nothing).
    field(F::SFXPasswordPromptMsg) = "prompt kept";
    qm::ui::CardGrid& grid = *form.GridEX1;
    QTest::keyClicks(grid.cellEditor(1, 3), "new.qmt");
    // A line break typed into the comment is kept as one CR.
    auto* comment = qobject_cast<QPlainTextEdit*>(grid.cellEditor(1, 6));
    comment->moveCursor(QTextCursor::End);
    QTest::keyClick(comment, Qt::Key_Return);
    QTest::keyClicks(comment, "monthly");
    form.reReadGrid();
    EXPECT_EQ(field(F::ZIPBackFile), "new.qmt");
    EXPECT_EQ(field(F::ZIPComments), "weekly\rmonthly");
    EXPECT_EQ(field(F::ZIPUseComments), "maybe");
    EXPECT_EQ(field(F::SFXPasswordPromptMsg), "prompt kept");
    EXPECT_EQ(field(F::Unused167), "");
    // A pick in a drop-down writes its stored value.
    qobject_cast<QComboBox*>(grid.cellEditor(1, 44))->activated(3);
    EXPECT_EQ(field(F::ZIPCompressionLevel), "none");

    child<QPushButton>(form, "cmdSave").click();
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    const std::string text = projectText("Sample");
    EXPECT_NE(text.find("ZIPBackFile=new.qmt\r\n"), std::string::npos);
    EXPECT_NE(text.find("ZIPUseComments=maybe\r\n"), std::string::npos);
    EXPECT_NE(text.find("ZIPComments=weekly\rmonthly\r\n"), std::string::npos);
    EXPECT_EQ(main_.calls.back(), "rebuildList");
    EXPECT_TRUE(main_.visible);
}

// A value the file would give back cut is refused where it is typed, and
// stays in its cell to be shortened; Save writes nothing while it does.
TEST_F(frmDataTest, ACellRefusesAValueTheFileWouldCutUntilItIsShortened)
{
    frmData form(state_, main_, pickers_, dialogs_, {});
    field(F::ZIPBackFile) = "sample.qmt";
    const std::string before = projectText("Sample");
    const std::string deep = "C:\\" + std::string(269, 'd');
    auto* folder = qobject_cast<QLineEdit*>(form.GridEX1->cellEditor(1, 2));
    folder->selectAll();
    QApplication::clipboard()->setText(QString::fromStdString(deep));
    QTest::keyClick(folder, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(folder, Qt::Key_Return);
    const std::string refusal = "The field \"Project Folder\" is too long to be saved: it takes 272 bytes";
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().prompt.rfind(refusal, 0), 0u) << ui_.lastBox().prompt;
    EXPECT_EQ(field(F::ProjectFolder), "C:\\data");
    EXPECT_EQ(folder->text().toStdString(), deep);

    child<QPushButton>(form, "cmdSave").click();
    EXPECT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.lastBox().prompt.rfind(refusal, 0), 0u);
    EXPECT_EQ(projectText("Sample"), before);
    EXPECT_TRUE(main_.calls.empty());

    // Shortened to 255 bytes, it is saved whole.
    folder->setCursorPosition(folder->text().size());
    for (int i = 0; i < 17; ++i)
        QTest::keyClick(folder, Qt::Key_Backspace);
    child<QPushButton>(form, "cmdSave").click();
    EXPECT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
    EXPECT_EQ(qm::store::Store::readProject(win("Projects/Sample"))[F::ProjectFolder], deep.substr(0, 255));
}

TEST_F(frmDataTest, TheDefaultsRecordOpensWithoutItsInsertButtonAndClosingShowsTheMainWindow)
{
    qm::store::ProjectRecord defaults;
    defaults[F::ZIPCompressionLevel] = "high";
    qm::test::writeFile(native("Options/My Data Defaults"), qm::store::projectFileText(defaults));
    state_.store.CurrentProjectIni = qm::store::Store::defaultsPath();
    state_.store.UserOptionsRecord(1).UserDefaultCompression = "ACE";
    QtEditorForms forms(state_, main_, pickers_);
    forms.showEditor({.defaults = true});
    frmData* form = forms.openEditor();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(main_.visible);
    EXPECT_FALSE(form->cmdInsDefaults->isVisible());
    EXPECT_EQ(form->vsIndexTab1->currentIndex(), 1);
    EXPECT_EQ(form->GridEX1->cellText(1, 44), "high");
    form->close();
    EXPECT_TRUE(main_.visible);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(forms.openEditor(), nullptr);
}

} // namespace

namespace {

std::vector<int> checkedGroups(const frmData& form)
{
    std::vector<int> on;
    for (int g = 0; g < GroupCount; ++g)
        if (form.Option1[static_cast<std::size_t>(g)]->isChecked())
            on.push_back(g);
    return on;
}

TEST_F(frmDataTest, GroupButtonsChooseTheColumnsOverBothPages)
{
    frmData form(state_, main_, pickers_, dialogs_, {});
    form.show();
    QRadioButton* required = form.Option1[RequiredGroup];
    EXPECT_EQ(required->parentWidget(), form.vsIndexTab1->widget(0));
    EXPECT_EQ(form.Option1[27]->parentWidget(), form.vsIndexTab1->widget(1));
    EXPECT_FALSE(form.Option1[42]->isVisibleTo(&form));
    EXPECT_TRUE(checkedGroups(form).empty());
    EXPECT_TRUE(form.GridEX1->columnVisible(9));

    required->click();
    EXPECT_EQ(checkedGroups(form), std::vector<int>{RequiredGroup});
    EXPECT_FALSE(form.GridEX1->columnVisible(9));
    EXPECT_TRUE(form.GridEX1->columnVisible(132));
    form.vsIndexTab1->setCurrentIndex(1);
    form.Option1[29]->click();
    EXPECT_EQ(checkedGroups(form), std::vector<int>{29});
    EXPECT_TRUE(form.GridEX1->columnVisible(135));
    EXPECT_FALSE(form.GridEX1->columnVisible(132));

    // The start-up choice of an old record goes through the same rule.
    form.logic().selectGroup(RequiredGroup);
    EXPECT_EQ(checkedGroups(form), std::vector<int>{RequiredGroup});
    EXPECT_FALSE(ui_.isBusy());
}

TEST_F(frmDataTest, TheProjectFoldersButtonOpensTheFolderDialog)
{
    qm::pickers::QtPickerForms pickers(state_);
    frmData form(state_, main_, pickers, dialogs_, {});
    form.show();
    std::string caption;
    ui_.onShowModal([&](QWidget& w) {
        auto& d = dynamic_cast<qm::pickers::ChooseTargetDir&>(w);
        d.show();
        caption = d.windowTitle().toStdString();
        d.SSTree1->select("C:");
        d.cmdOkay->click();
    });
    form.GridEX1->cellButton(1, 2)->click();
    EXPECT_EQ(caption, "Choose Source Drive and/or Source Folder");
    EXPECT_EQ(form.GridEX1->cellText(1, 2), "C:");
    EXPECT_EQ(field(F::ProjectFolder), "C:");

    ui_.onShowModal([&](QWidget& w) {
        caption = w.windowTitle().toStdString();
        dynamic_cast<qm::pickers::ChooseTargetDir&>(w).cmdCancel->click();
    });
    form.GridEX1->cellButton(1, 4)->click();
    EXPECT_EQ(caption, "Choose Target Drive and/or Target Folder");
    EXPECT_EQ(form.GridEX1->cellText(1, 4), "D:\\backups");
}

// QM_EDITOR_SCREENSHOTS=<folder>: the editor on each page with a group chosen.
TEST_F(frmDataTest, Screenshots)
{
    const char* folder = std::getenv("QM_EDITOR_SCREENSHOTS");
    if (!folder)
        GTEST_SKIP();
    frmData form(state_, main_, pickers_, dialogs_, {});
    form.show();
    form.Option1[0]->click();
    QApplication::processEvents();
    form.grab().save(QString(folder) + "/frmDataQmt.png");
    form.vsIndexTab1->setCurrentIndex(1);
    form.Option1[28]->click();
    QApplication::processEvents();
    form.grab().save(QString(folder) + "/frmDataAce.png");
}

} // namespace
