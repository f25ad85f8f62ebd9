// The record editor's dialogs as windows offscreen: their widgets carry
// the logic's state and the user's input reaches it.
#include "editor/forms/QtEditorDialogs.h"
#include "editor/forms/SlotForms.h"
#include "editor/forms/frmAddFiles.h"
#include "editor/forms/frmCloneComment.h"
#include "editor/forms/frmData.h"

#include "app/ProgramState.h"
#include "platform/ui/CardGrid.h"

#include "FakeMainWindowView.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"
#include "FormTest.h"
#include "ProgramHome.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

using namespace qm::editor;
using qm::test::child;

namespace {

class EditorDialogsFormTest : public qm::test::ProgramHomeTest {
protected:
    EditorDialogsFormTest() : ProgramHomeTest({"Projects", "Options", "Filelists"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        std::filesystem::create_directories(native("src"));
        qm::store::ProjectRecord r;
        r[F::ProjectName] = "Sample";
        r[F::ProjectFolder] = win("src");
        r[F::UseTempFolder] = "yes";
        r[F::AutoBackupFormat] = "ZIP";
        r[F::ZIPFilesToProcess] = "(list)";
        r[F::ZIPBackupExcludeTypes] = "doc|txt";
        r[F::ACEComments] = "Made weekly";
        r[F::SFXAssociateExtension] = "Text file|txt|%w\\notepad.exe\rLog file|log|C:\\Tools\\view.exe";
        r[F::SFXAddGroupItemApp] = "Sample tools";
        r[F::SFXAddGroupItemDescription] = "%d\\Tool.exe|Tool\r%d\\Readme.txt|Read me";
        writeProject("Sample", r);
        qm::test::writeFile(native("Filelists/Sample-ZIP"), "Report.doc\r\nData\\*.*\r\n");
        state_.store.CurrentProjectIni = win("Projects/Sample");
    }
    // Saves `w` as <name>.png when QM_EDITOR_SCREENSHOTS names a folder.
    static void screenshot(QWidget& w, const char* name)
    {
        if (const char* folder = std::getenv("QM_EDITOR_SCREENSHOTS")) {
            QApplication::processEvents();
            w.grab().save(QString(folder) + "/" + name + ".png");
        }
    }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::test::FakeMainWindowView main_;
    qm::test::FakePickerForms pickers_;
    QtEditorDialogs dialogs_{ui_};
};

TEST_F(EditorDialogsFormTest, TheFileListWindowShowsTheListAndItsOkayWritesTheWorkingCopy)
{
    frmData editor(state_, main_, pickers_, dialogs_, {});
    ui_.onShowModal([&](QWidget& w) {
        auto& form = dynamic_cast<frmAddFiles&>(w);
        form.show();
        EXPECT_EQ(form.windowTitle(), "Files for Backing Up");
        EXPECT_EQ(form.Label3->text(), "creating archive type: ZIP (QMT)");
        EXPECT_EQ(form.lblProjectName->text(), "Sample");
        EXPECT_EQ(qm::test::texts(form.List1), (std::vector<std::string>{"Report.doc", "Data\\*.*"}));
        screenshot(form, "frmAddFiles");
        form.List1->item(0)->setSelected(true);
        form.Command1->click();
        form.Option1[1]->click(); // no absolute entry: cleared
        EXPECT_EQ(form.List1->count(), 0);
        EXPECT_TRUE(form.Option1[1]->isChecked());
        form.OptCloneList[0]->click();
        EXPECT_EQ(form.List1->count(), 2);
        form.List1->item(1)->setSelected(true);
        form.Command1->click();
        form.cmdOkay->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    editor.logic().GridEX1_BeforeColEdit(9);
    EXPECT_EQ(qm::test::readFile(native("Filelists/Sample-ZIP-hold")), "Report.doc\r\n");
    EXPECT_TRUE(editor.logic().NewZip);
    EXPECT_EQ(ui_.lastBox().title, "List updated");
}

TEST_F(EditorDialogsFormTest, TheCommentWindowFollowsItsSourceButtons)
{
    frmData editor(state_, main_, pickers_, dialogs_, {});
    ui_.onShowModal([&](QWidget& w) {
        auto& form = dynamic_cast<frmCloneComment&>(w);
        form.show();
        EXPECT_TRUE(form.Option1[2]->isChecked());
        EXPECT_EQ(form.txtComment->toPlainText(), "Made weekly");
        EXPECT_FALSE(form.txtComment->isEnabled());
        screenshot(form, "frmCloneComment");
        form.Check3->click();
        EXPECT_FALSE(form.Check3->isChecked());
        form.Option1[4]->click();
        EXPECT_TRUE(form.txtComment->isEnabled());
        EXPECT_EQ(form.txtComment->toPlainText(), "");
        QTest::keyClicks(form.txtComment, "New one");
        form.Check1->click();
        form.Command2->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    editor.logic().GetComments(29);
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPComments], "New one");
}

TEST_F(EditorDialogsFormTest, TheSlotWindowsShowTheStoredItemsAndRefuseABadExtension)
{
    frmData editor(state_, main_, pickers_, dialogs_, {});
    ui_.onShowModal([&](QWidget& w) {
        auto& form = dynamic_cast<frmExtensions&>(w);
        form.show();
        ASSERT_EQ(form.Text1.size(), 24u);
        EXPECT_EQ(form.Text1[4]->text(), "log");
        EXPECT_EQ(form.windowTitle(), "Creating/Editing file extension associations for Sample");
        screenshot(form, "frmExtensions");
        QTest::keyClicks(form.Text1[7], ".x");
        EXPECT_EQ(ui_.lastBox().prompt, "Illegal character");
        EXPECT_EQ(form.Text1[7]->text(), "x"); // the dot was refused, the next key taken
        form.Combo1->setEditText("02");
        form.cmdGo->click();
        EXPECT_EQ(form.Text1[4]->text(), "");
        form.cmdSave->click();
        EXPECT_EQ(ui_.lastBox().prompt.substr(0, 40), "Cannot save a file extension association");
        form.cmdCancel->click();
    });
    editor.GridEX1->cellButton(1, 121)->click();
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::SFXAssociateExtension],
              "Text file|txt|%w\\notepad.exe\rLog file|log|C:\\Tools\\view.exe");

    ui_.onShowModal([&](QWidget& w) {
        auto& form = dynamic_cast<frmProgramGroup&>(w);
        form.show();
        ASSERT_EQ(form.Text1.size(), 16u);
        EXPECT_EQ(form.Text1[3]->text(), "Read me");
        EXPECT_EQ(form.Label15->text(), "Sample");
        screenshot(form, "frmProgramGroup");
        form.cmdSave->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    editor.GridEX1->cellButton(1, 125)->click();
    EXPECT_EQ(ui_.modalShows().size(), 2u);
}

TEST_F(EditorDialogsFormTest, TheExcludeEditorLocksTheWindowUntilOkayOrABackgroundClick)
{
    frmData editor(state_, main_, pickers_, dialogs_, {});
    editor.show();
    // The cell button gives the simple opening only.
    editor.GridEX1->cellButton(1, 5)->click();
    EXPECT_TRUE(editor.Frame2->isVisible());
    EXPECT_EQ(editor.Text1->toPlainText(), "doc|txt");
    EXPECT_TRUE(editor.cmdSave->isEnabled());
    EXPECT_FALSE(editor.GridEX1->inputLocked());

    editor.logic().GridEX1_BeforeColEdit(5);
    EXPECT_EQ(editor.Text1->toPlainText(), "doc\ntxt");
    for (QWidget* w : std::initializer_list<QWidget*>{editor.Frame1, editor.cmdInsDefaults, editor.cmdHelp,
                                                      editor.cmdSave, editor.cmdClose})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(editor.GridEX1->inputLocked());
    screenshot(editor, "frmDataFrame2");
    editor.Text1->setPlainText("doc\ntxt\ntmp");
    editor.cmdExcludeOkay->click();
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPBackupExcludeTypes], "doc|txt|tmp");
    EXPECT_FALSE(editor.Frame2->isVisible());
    EXPECT_TRUE(editor.cmdSave->isEnabled());

    editor.logic().GridEX1_BeforeColEdit(5);
    QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(editor.width() - 3, editor.height() - 3));
    EXPECT_FALSE(editor.Frame2->isVisible());
    EXPECT_TRUE(editor.cmdClose->isEnabled());
    EXPECT_FALSE(editor.GridEX1->inputLocked());
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPBackupExcludeTypes], "doc|txt|tmp");
}

} // namespace
