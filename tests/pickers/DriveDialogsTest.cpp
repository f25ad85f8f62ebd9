// The map-drive command from each of its hosts, the network browser and the
// disconnect dialog, offscreen, with the program's map-drive command.
#include "app/ProgramState.h"
#include "session/ArchiveKinds.h"
#include "engine/forms/frmSplitSize.h"
#include "pickers/MapDrive.h"
#include "pickers/NetworkMap.h"
#include "pickers/PickerWriters.h"
#include "pickers/forms/ChooseTargetDir.h"
#include "pickers/forms/PickDirFrm.h"
#include "pickers/forms/QtPickerForms.h"
#include "pickers/forms/frmMapDrive.h"
#include "pickers/forms/frmNetworkMap.h"
#include "pickers/forms/frmUnMapDrive.h"
#include "platform/ui/TreeView.h"

#include "FormTest.h"
#include "DialogScript.h"
#include "PickerHome.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <cstdlib>

using namespace qm::pickers;

namespace {

const std::string Public = "\\\\FILESRV\\public";

class DriveDialogsTest : public qm::test::DriveHome {
protected:
    DriveDialogsTest()
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        forms_.setMapNetworkDrive(networkDriveCommand(ui_));
    }
    // The next dialog shown: `fn` acts on it as the user would.
    template <class D>
    void next(std::function<void(D&)> fn)
    {
        qm::test::nextDialog<D>(ui_, std::move(fn));
    }
    // Command2 on the public share of a picker's "Network" tab.
    template <class D>
    static void mapPublic(D& d)
    {
        d.vsIndexTab1->setCurrentIndex(1);
        qm::test::openToShare(*d.tvwNetwork);
        d.tvwNetwork->select(Public);
        d.Command2->click();
    }
    // The log-in dialog opened by `host`: Okay with the letter offered.
    void logInOkay(const std::string& host)
    {
        next<frmMapDrive>([host](frmMapDrive& m) {
            EXPECT_EQ(m.ParentForm, host);
            EXPECT_EQ(m.Combo1->currentText(), "E");
            EXPECT_EQ(m.lblNetworkPath->text().toStdString(), Public);
            m.cmdOkay->click();
        });
    }

    qm::app::ProgramState state_{ui_};
    QtPickerForms forms_{state_};
};

TEST_F(DriveDialogsTest, TheTargetDialogOfTheSplitSizeDialogIsReloadedAndStillFillsIt)
{
    qm::engine::frmSplitSize split(state_, &forms_);
    split.ArchiveType = "ZIP";
    split.show();
    state_.Form1.ZipTypeBut.setValue(qm::session::kind::ZipMulti, true);
    next<ChooseTargetDir>([](ChooseTargetDir& d) { mapPublic(d); });
    logInOkay("ChooseTargetDir");
    next<ChooseTargetDir>([](ChooseTargetDir& d) {
        EXPECT_EQ(d.ParentForm, "frmSplitSize");
        EXPECT_EQ(d.SSTree1->text("E:"), "(E:)");
        EXPECT_EQ(d.vsIndexTab1->currentIndex(), 0);
        d.SSTree1->select("E:");
        d.cmdOkay->click();
    });
    split.cmdGetTarget->click();
    EXPECT_EQ(ui_.modalScriptsLeft(), 0u);
    EXPECT_EQ(split.Text2->text(), "E:");
    EXPECT_EQ(state_.ChosenFolder, "E:");
    EXPECT_EQ(remoteOf('E'), Public);
}

TEST_F(DriveDialogsTest, ThePickerIsReloadedForItsCallerWithItsPattern)
{
    next<PickDirFrm>([](PickDirFrm& d) { mapPublic(d); });
    logInOkay("PickDirFrm");
    next<PickDirFrm>([](PickDirFrm& d) {
        EXPECT_EQ(d.ParentForm, "Form1");
        d.SSTree1->select("E:");
        ASSERT_EQ(qm::test::texts(d.File1), std::vector<std::string>{"readme.txt"});
        d.File1->item(0)->setSelected(true);
        d.Command1->click();
    });
    Form1File(state_.Form1, forms_.chooseFile(Form1FileRequest("README.TXT")));
    EXPECT_EQ(ui_.modalScriptsLeft(), 0u);
    EXPECT_EQ(state_.Form1.ProjectName, "E:\\readme.txt");

    // Cancel in the log-in dialog: nothing connected, the picker stays.
    next<PickDirFrm>([this](PickDirFrm& d) {
        next<frmMapDrive>([](frmMapDrive& m) { m.cmdCancel->click(); });
        mapPublic(d);
        EXPECT_TRUE(d.isVisible());
        d.cmdCancel->click();
    });
    EXPECT_EQ(forms_.chooseFile(Form1FileRequest("x")).ending, Ending::Cancel);
    EXPECT_EQ(remoteOf('G'), "");
}

TEST_F(DriveDialogsTest, TheBrowserKeepsItsTreeAndClosesOnAShare)
{
    next<frmNetworkMap>([this](frmNetworkMap& d) {
        qm::test::openToShare(*d.tvwNetwork);
        d.tvwNetwork->select(Public);
        logInOkay("frmNetworkMap");
        d.Command2->click();
        EXPECT_EQ(remoteOf('E'), Public);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.tvwNetwork->selectedKey(), Public);
        EXPECT_TRUE(d.tvwNetwork->contains(Public + "\\Docs"));

        const size_t boxes = ui_.boxes().size();
        for (const std::string& key : {Public + "\\readme.txt", std::string("_ROOT")}) {
            d.tvwNetwork->select(key);
            d.cmdOkay->click();
            EXPECT_TRUE(d.isVisible()) << key;
        }
        EXPECT_EQ(ui_.boxes().size(), boxes + 2);
        EXPECT_EQ(ui_.lastBox().title, "Error!");
        d.tvwNetwork->select(Public + "\\Docs");
        d.cmdOkay->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(forms_.showNetworkMap(), Ending::Okay);

    state_.ChosenFolder = "F:\\";
    next<frmNetworkMap>([](frmNetworkMap& d) { d.cmdCancel->click(); });
    EXPECT_EQ(forms_.showNetworkMap(), Ending::Cancel);
    EXPECT_EQ(state_.ChosenFolder, "");
}

TEST_F(DriveDialogsTest, TheDisconnectDialogListsAndUnmapsTheDrive)
{
    ASSERT_TRUE(mapDriveOkay(ui_, "E", Public, "", ""));
    state_.ChosenFolder = "F:\\";
    next<frmUnMapDrive>([](frmUnMapDrive& d) {
        EXPECT_EQ(d.ParentForm, "Form1");
        EXPECT_EQ(d.SSTree1->text("E:"), "(E:)");
        d.SSTree1->select("C:");
        d.cmdOkay->click();
        EXPECT_TRUE(d.isVisible());
        d.SSTree1->expand("E:");
        d.SSTree1->select("E:\\Docs");
        d.cmdOkay->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(forms_.showUnMapDrive("Form1"), Ending::Okay);
    EXPECT_EQ(remoteOf('E'), "");
    EXPECT_EQ(ui_.lastBox().prompt, std::string(UnmappedMessage));
    EXPECT_EQ(state_.ChosenFolder, "F:\\");

    next<frmUnMapDrive>([](frmUnMapDrive& d) { d.cmdCancel->click(); });
    EXPECT_EQ(forms_.showUnMapDrive("Form1"), Ending::Cancel);
    EXPECT_EQ(state_.ChosenFolder, "");
}

TEST_F(DriveDialogsTest, CaptionsAndScreenshots)
{
    frmMapDrive map(ui_);
    map.DrvLtr = "E";
    map.show();
    map.lblNetworkPath->setText(QString::fromStdString(Public));
    EXPECT_EQ(map.windowTitle().toStdString(), MapDriveCaption);
    EXPECT_EQ(map.Label1->text(), "First available drive letter is  E");
    EXPECT_EQ(map.Combo1->count(), 22);
    EXPECT_EQ(map.Frame1->title(), "Optional");
    EXPECT_EQ(map.txtPassword->echoMode(), QLineEdit::Password);
    frmNetworkMap browser(ui_, networkDriveCommand(ui_));
    browser.show();
    EXPECT_EQ(browser.windowTitle().toStdString(), NetworkMapCaption);
    EXPECT_EQ(browser.Command2->text(), "Map Selected &Network Drive");
    EXPECT_TRUE(browser.Command2->isEnabled());
    ASSERT_TRUE(mapDriveOkay(ui_, "E", Public, "", ""));
    frmUnMapDrive unmap(ui_);
    unmap.show();
    EXPECT_EQ(unmap.windowTitle().toStdString(), UnMapDriveCaption);
    EXPECT_EQ(unmap.cmdOkay->text(), "&Unmap");

    const char* folder = std::getenv("QM_PICKER_SCREENSHOTS");
    if (!folder)
        return;
    map.txtUsername->setText("ann");
    map.txtPassword->setText("secret");
    map.grab().save(QString(folder) + "/frmMapDrive.png");
    qm::test::openToShare(*browser.tvwNetwork);
    browser.tvwNetwork->select(Public + "\\Docs");
    browser.grab().save(QString(folder) + "/frmNetworkMap.png");
    unmap.SSTree1->select("E:");
    unmap.grab().save(QString(folder) + "/frmUnMapDrive.png");
}

} // namespace
