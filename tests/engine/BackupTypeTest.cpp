// The archive kind dialog: its design, how callers prepare it, and what
// Okay, Cancel and closing it leave in the main window's state.
#include "session/BackupType.h"
#include "engine/forms/QtEngineForms.h"
#include "engine/forms/frmBackupType.h"
#include "app/ProgramState.h"
#include "FakeUiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "FormTest.h"

#include <gtest/gtest.h>

using namespace qm::engine;
using namespace qm::session;

namespace {

using qm::test::nextTab;

class BackupTypeTest : public ::testing::Test {
protected:
    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::app::Form1Variables& f_ = state_.Form1;
};

TEST_F(BackupTypeTest, DesignState)
{
    frmBackupType d(state_);
    EXPECT_EQ(d.windowTitle(), "Archive Options");
    EXPECT_EQ(d.Frame1->title(), "Please Select Backup/Restore Type");
    const char* captions[] = {"QMT single file", "EXE single file",    "QMT split size",     "EXE split size",
                              "QMT spanned",     "EXE spanned",        "ACE single file",    "ACE EXE single file",
                              "ACE split size",  "ACE EXE split size", "ACE spanned",        "ACE EXE spanned"};
    for (int i = 0; i < ArchiveKindCount; ++i) {
        QRadioButton* b = d.ZipTypeBut[static_cast<std::size_t>(i)];
        EXPECT_EQ(b->text().toStdString(), captions[i]);
        EXPECT_EQ(b->objectName(), "ZipTypeBut");
        EXPECT_EQ(b->property("Index").toInt(), i);
        EXPECT_FALSE(b->isChecked());
        EXPECT_EQ(b->isHidden(), i == 3) << i;
        EXPECT_FALSE(b->toolTip().isEmpty()) << i;
    }
    EXPECT_EQ(d.ZipTypeBut[4]->toolTip(), "Creates a ZIP file over mutiple disks, such as a floppy");
    EXPECT_EQ(d.ZipTypeBut[8]->toolTip(), "Similar to span but it breaks up the archive into designated file sizes");
    EXPECT_EQ(d.Check1->text(), "Delete old back-up and rebuild");
    EXPECT_FALSE(d.Check1->isHidden());
    EXPECT_FALSE(d.Check1->isChecked());
    EXPECT_TRUE(d.Label1->isHidden());
    EXPECT_EQ(d.cmdOkay->text(), "&Okay");
    EXPECT_EQ(d.cmdCancel->text(), "&Cancel");
    // Tab order: the options top to bottom, the box, then the buttons.
    EXPECT_EQ(nextTab(d.ZipTypeBut[2]), d.ZipTypeBut[3]);
    EXPECT_EQ(nextTab(d.Check1), d.cmdOkay);
    EXPECT_EQ(nextTab(d.cmdOkay), d.cmdCancel);
}

TEST_F(BackupTypeTest, CallersPrepareIt)
{
    frmBackupType d(state_);
    d.apply(setupForBackup());
    EXPECT_EQ(d.Frame1->title(), "Select type of archive to create");
    EXPECT_TRUE(d.ZipTypeBut[0]->isChecked());
    EXPECT_TRUE(d.ZipTypeBut[3]->isHidden());
    EXPECT_FALSE(d.Check1->isHidden());
    EXPECT_TRUE(d.Label1->isHidden());

    frmBackupType v(state_);
    v.apply(setupForViewing());
    EXPECT_EQ(v.Frame1->title(), "Archive Type");
    for (int i = 0; i < ArchiveKindCount; ++i)
        EXPECT_EQ(v.ZipTypeBut[static_cast<std::size_t>(i)]->isHidden(), i >= 2 && i <= 5) << i;
    EXPECT_FALSE(v.Label1->isHidden());
    EXPECT_TRUE(v.Check1->isHidden());
    EXPECT_TRUE(v.ZipTypeBut[0]->isChecked());
}

TEST_F(BackupTypeTest, OkayRecordsTheKindAndTheDeleteFlag)
{
    frmBackupType d(state_);
    d.apply(setupForBackup());
    d.ZipTypeBut[5]->setChecked(true);
    d.Check1->setChecked(true);
    d.cmdOkay->click();
    EXPECT_EQ(f_.ProjectType, "exespan");
    EXPECT_EQ(f_.ZipTypeBut.selected(), 5);
    EXPECT_EQ(f_.Check1.value(), 1);
    EXPECT_EQ(d.result(), QDialog::Accepted);

    // Every index gives its own kind string.
    const char* kinds[] = {"zip", "exe", "zipmulti", "exemulti", "zipspan", "exespan",
                           "ace", "aceexe", "acemulti", "aceexemulti", "acespan", "aceexespan"};
    for (int i = 0; i < ArchiveKindCount; ++i) {
        frmBackupType k(state_);
        k.ZipTypeBut[static_cast<std::size_t>(i)]->setChecked(true);
        k.cmdOkay->click();
        EXPECT_EQ(f_.ProjectType, kinds[i]);
        EXPECT_EQ(f_.ZipTypeBut.selected(), i);
    }
}

TEST_F(BackupTypeTest, OkayWithNothingSetGivesBlankAndKeepsTheEarlierKind)
{
    f_.ZipTypeBut.setValue(8, true);
    f_.Check1.setValue(1);
    frmBackupType d(state_); // design state: nothing set
    d.cmdOkay->click();
    EXPECT_EQ(f_.ProjectType, "blank");
    EXPECT_EQ(f_.ZipTypeBut.selected(), 8);
    // An unticked box leaves the main window's flag as it was.
    EXPECT_EQ(f_.Check1.value(), 1);
}

TEST_F(BackupTypeTest, CancelAndClosingLeaveTheStateUntouched)
{
    f_.ZipTypeBut.setValue(2, true);
    for (int how = 0; how < 2; ++how) {
        f_.ProjectType = "zip";
        frmBackupType d(state_);
        d.apply(setupForBackup());
        d.ZipTypeBut[6]->setChecked(true);
        d.Check1->setChecked(true);
        if (how == 0)
            d.cmdCancel->click();
        else {
            d.show();
            d.close(); // the frame's close box (and Esc) reject the dialog
        }
        EXPECT_EQ(f_.ProjectType, "Cancel") << how;
        EXPECT_EQ(f_.ZipTypeBut.selected(), 2) << how;
        EXPECT_EQ(f_.Check1.value(), 0) << how;
    }
}

TEST_F(BackupTypeTest, ShownModallyThroughTheWindowRuntime)
{
    QtEngineForms forms(state_);
    ui_.onShowModal([](QWidget& w) {
        auto& d = dynamic_cast<frmBackupType&>(w);
        EXPECT_EQ(d.Frame1->title(), "Archive Type");
        d.ZipTypeBut[7]->setChecked(true);
        d.cmdOkay->click();
    });
    forms.showBackupType(setupForViewing());
    EXPECT_EQ(f_.ProjectType, "aceexe");
    EXPECT_EQ(f_.ZipTypeBut.selected(), 7);
    EXPECT_TRUE(ui_.problems().empty());
}

TEST_F(BackupTypeTest, ActivationRestoresTheNormalPointer)
{
    ui_.busyPointer();
    frmBackupType d(state_);
    d.show();
    d.activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(d.isActiveWindow());
    EXPECT_FALSE(ui_.isBusy());
    d.close();
}

} // namespace
