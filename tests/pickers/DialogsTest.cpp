// The two picker dialogs, offscreen, opened as their callers open them and
// answered through the callers' writers.
#include "app/ProgramState.h"
#include "pickers/PickDir.h"
#include "pickers/PickerWriters.h"
#include "pickers/TargetDir.h"
#include "pickers/forms/ChooseTargetDir.h"
#include "pickers/forms/PickDirFrm.h"
#include "pickers/forms/QtPickerForms.h"
#include "platform/ui/TreeView.h"

#include "DialogScript.h"
#include "FakeMainWindowView.h"
#include "FormTest.h"
#include "PickerHome.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <cstdlib>

namespace stdfs = std::filesystem;
using namespace qm::pickers;
namespace mb = qm::ui::mb;

namespace {

class DialogsTest : public qm::test::PickerHome {
protected:
    // The next dialog shown: `fn` acts on it as the user would.
    template <class D>
    void next(std::function<void(D&)> fn)
    {
        qm::test::nextDialog<D>(ui_, std::move(fn));
    }
    static void onNetworkTab(QTabWidget* tabs) { tabs->setCurrentIndex(1); }

    qm::app::ProgramState state_{ui_};
    qm::test::FakeMainWindowView view_;
    QtPickerForms forms_{state_, &view_};
};

TEST_F(DialogsTest, TargetDirOkayThroughEachCaller)
{
    // User options, column 8, drive C on the Local tab: "C:", no backslash.
    next<ChooseTargetDir>([](ChooseTargetDir& d) {
        EXPECT_EQ(d.ParentForm, "UserOptions");
        EXPECT_EQ(d.vsIndexTab1->currentIndex(), 0);
        d.SSTree1->select("C:");
        d.cmdOkay->click();
    });
    EXPECT_TRUE(UserOptionsFolder(state_, 8, forms_.chooseTargetDir(UserOptionsFolderRequest())));
    EXPECT_EQ(state_.store.UserOptionsRecord(1).UserTempFolder, "C:");

    // The editor, column 4, a share on the Network tab; a spanned kind is set,
    // so ChosenFolder takes it too.
    state_.Form1.ZipTypeBut.setValue(4, true);
    next<ChooseTargetDir>([](ChooseTargetDir& d) {
        onNetworkTab(d.vsIndexTab1);
        qm::test::openToShare(*d.tvwNetwork);
        d.tvwNetwork->select("\\\\FILESRV\\public");
        d.cmdOkay->click();
    });
    EXPECT_TRUE(EditorFolder(state_, 4, forms_.chooseTargetDir(EditorFolderRequest())));
    EXPECT_EQ(state_.store.ProjectRecord(1)[qm::store::ProjectField::ZIPDefaultRestoreFromFolder],
              "\\\\FILESRV\\public");
    EXPECT_EQ(state_.ChosenFolder, "\\\\FILESRV\\public");

    // A copy from the main window: a read-only folder is a folder; the main
    // window is repainted after the Okay.
    stdfs::permissions(root_ / "f/empty", stdfs::perms::owner_write, stdfs::perm_options::remove);
    next<ChooseTargetDir>([](ChooseTargetDir& d) {
        d.SSTree1->expand("F:");
        d.SSTree1->select("F:\\empty");
        d.cmdOkay->click();
    });
    Form1Folder(state_, forms_.chooseTargetDir(CopyTargetRequest(state_)));
    EXPECT_EQ(CopyTarget(state_.Form1), "F:\\empty");
    EXPECT_EQ(view_.calls, std::vector<std::string>{"repaintList"});
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_TRUE(ui_.problems().empty());
}

TEST_F(DialogsTest, TargetDirRefusesFilesAndFailsOnKeysThatAreNoPaths)
{
    state_.ChosenFolder = "E:\\kept";
    state_.Form1.ZipTypeBut.setValue(2, true);
    next<ChooseTargetDir>([this](ChooseTargetDir& d) {
        onNetworkTab(d.vsIndexTab1);
        qm::test::openToShare(*d.tvwNetwork);
        d.tvwNetwork->select("\\\\FILESRV\\public\\readme.txt");
        d.cmdOkay->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(ui_.lastBox().prompt, std::string(NotAFolderMessage));
        EXPECT_EQ(ui_.lastBox().title, "Error!");
        d.tvwNetwork->select("_ROOT");
        d.cmdOkay->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_FALSE(SplitSizeTarget(state_, forms_.chooseTargetDir(SplitSizeRequest())));
    ASSERT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.boxes()[1].prompt.rfind("Error: 52\r\n", 0), 0u) << ui_.boxes()[1].prompt;
    EXPECT_EQ(ui_.boxes()[1].title, "Quillmate");
    EXPECT_EQ(state_.ChosenFolder, "E:\\kept");

    // Cancel keeps a waiting copy's "_" and empties ChosenFolder; the frame
    // closes with nothing written.
    next<ChooseTargetDir>([](ChooseTargetDir& d) { d.cmdCancel->click(); });
    Form1Folder(state_, forms_.chooseTargetDir(CopyTargetRequest(state_)));
    EXPECT_EQ(state_.Form1.TargetCopy, "_");
    EXPECT_EQ(state_.ChosenFolder, "");
    state_.ChosenFolder = "E:\\again";
    next<ChooseTargetDir>([](ChooseTargetDir& d) { d.close(); });
    FolderAnswer closed = forms_.chooseTargetDir(BackupFolderRequest(state_));
    state_.ChosenFolder = "E:\\again";
    Form1Folder(state_, closed);
    EXPECT_EQ(closed.ending, Ending::Closed);
    EXPECT_EQ(state_.ChosenFolder, "E:\\again");
}

TEST_F(DialogsTest, MakeNewFolderAndMake)
{
    ChooseTargetDir d(ui_);
    d.show();
    d.cmdNewDir_Click();
    EXPECT_EQ(ui_.lastBox().prompt, std::string(NoNodeMessage));
    EXPECT_FALSE(d.Text1->isVisible());

    d.SSTree1->expand("F:");
    d.SSTree1->select("F:\\DOCS");
    d.cmdNewDir->click();
    EXPECT_FALSE(d.cmdNewDir->isVisible());
    EXPECT_TRUE(d.Label1->isVisible() && d.Text1->isVisible() && d.Command1->isVisible());
    EXPECT_EQ(d.Text1->text(), "F:\\DOCS\\");
    d.Text1->setText("F:\\DOCS\\Made");
    d.Command1->click();
    EXPECT_TRUE(stdfs::is_directory(root_ / "f/DOCS/Made"));
    EXPECT_EQ(ui_.lastBox().title, "Folder created");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Information);
    // The drive part is built again: drives listed, none opened.
    EXPECT_EQ(d.SSTree1->childCount("My Computer"), 4);
    EXPECT_EQ(d.SSTree1->childCount("F:"), 0);

    d.Command1->click(); // exists now
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 75\r\n", 0), 0u) << ui_.lastBox().prompt;
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    d.Text1->setText("Relative");
    d.Command1->click();
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 52\r\n", 0), 0u);
    EXPECT_TRUE(d.Text1->isVisible());
    EXPECT_EQ(d.Text1->text(), "Relative");
}

TEST_F(DialogsTest, FilePickerLocalTab)
{
    qm::test::writeFile(root_ / "f/Backup.QMT", "b");
    qm::test::writeFile(root_ / "f/other.qmt", "o");
    // The main window looks for an archive: its pattern is matched without case.
    state_.Form1.ProjectName = "C:\\missing.qmt";
    next<PickDirFrm>([](PickDirFrm& d) {
        d.SSTree1->select("F:");
        EXPECT_EQ(qm::test::texts(d.File1), std::vector<std::string>{"Backup.QMT"});
        d.Command1->click(); // nothing selected
    });
    Form1File(state_.Form1, forms_.chooseFile(Form1FileRequest("backup.qmt")));
    EXPECT_EQ(state_.Form1.ProjectName, "C:\\missing.qmt");
    next<PickDirFrm>([](PickDirFrm& d) {
        EXPECT_EQ(d.windowTitle(), "Locate");
        d.SSTree1->select("F:");
        d.File1->item(0)->setSelected(true);
        d.Command1->click();
    });
    Form1File(state_.Form1, forms_.chooseFile(Form1FileRequest("backup.qmt", "Locate")));
    EXPECT_EQ(state_.Form1.ProjectName, "F:\\Backup.QMT");

    // The file list editor: three files in list order, bare names for a
    // project-folder list, the folder itself when no file is chosen.
    std::vector<std::string> List1;
    bool CancelAdd = true;
    auto pickAll = [](PickDirFrm& d) {
        EXPECT_FALSE(d.File1->isVisible());
        EXPECT_TRUE(d.File2->isVisible());
        for (int i = 0; i < d.File2->count(); ++i)
            d.File2->item(i)->setSelected(true);
        d.Command1->click();
    };
    next<PickDirFrm>([&](PickDirFrm& d) {
        d.SSTree1->select("F:");
        pickAll(d);
    });
    AddFiles(List1, CancelAdd, forms_.chooseFile(AddFilesRequest()));
    EXPECT_EQ(List1, (std::vector<std::string>{"F:\\Backup.QMT", "F:\\other.qmt", "F:\\top.txt"}));
    EXPECT_FALSE(CancelAdd);
    List1.clear();
    next<PickDirFrm>([&](PickDirFrm& d) {
        EXPECT_FALSE(d.SSTree1->isEnabled());
        EXPECT_FALSE(d.tvwNetwork->isEnabled());
        pickAll(d);
    });
    AddFiles(List1, CancelAdd, forms_.chooseFile(AddFilesRequest("F:\\", false)));
    EXPECT_EQ(List1, (std::vector<std::string>{"Backup.QMT", "other.qmt", "top.txt"}));
    List1.clear();
    next<PickDirFrm>([](PickDirFrm& d) {
        d.SSTree1->select("F:");
        d.Command1->click();
    });
    AddFiles(List1, CancelAdd, forms_.chooseFile(AddFilesRequest()));
    EXPECT_EQ(List1, std::vector<std::string>{"F:\\*.*"});
    EXPECT_TRUE(ui_.boxes().empty());

    // A name with a line break cannot be a line of the list.
    qm::test::writeFile(root_ / "f/DOCS/two\nlines", "x");
    qm::test::writeFile(root_ / "f/DOCS/fine", "x");
    List1.clear();
    next<PickDirFrm>([&](PickDirFrm& d) {
        d.SSTree1->expand("F:");
        d.SSTree1->select("F:\\DOCS");
        pickAll(d);
    });
    AddFiles(List1, CancelAdd, forms_.chooseFile(AddFilesRequest()));
    EXPECT_EQ(List1, std::vector<std::string>{"F:\\DOCS\\fine"});
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_NE(ui_.lastBox().prompt.find("Or not a valid filename."), std::string::npos);

    next<PickDirFrm>([](PickDirFrm& d) { d.cmdCancel->click(); });
    AddFiles(List1, CancelAdd, forms_.chooseFile(AddFilesRequest()));
    EXPECT_TRUE(CancelAdd);
    EXPECT_EQ(List1.size(), 1u);
}

TEST_F(DialogsTest, FilePickerNetworkTab)
{
    auto onShare = [this](const std::string& key, bool staysOpen) {
        return [this, key, staysOpen](PickDirFrm& d) {
            onNetworkTab(d.vsIndexTab1);
            qm::test::openToShare(*d.tvwNetwork);
            d.tvwNetwork->select(key);
            d.Command1->click();
            EXPECT_EQ(d.isVisible(), staysOpen) << key;
            if (d.isVisible())
                d.cmdCancel->click();
        };
    };
    auto& options = state_.store.UserOptionsRecord(1);
    next<PickDirFrm>(onShare("\\\\FILESRV\\public\\Setup.EXE", false));
    EXPECT_TRUE(UserOptionsProgram(options, 1, forms_.chooseFile(UserOptionsFileRequest(1))));
    EXPECT_EQ(options.UserZIPShellPath, "\\\\FILESRV\\public\\Setup.EXE");

    next<PickDirFrm>(onShare("\\\\FILESRV\\public\\readme.txt", true));
    EXPECT_FALSE(UserOptionsProgram(options, 2, forms_.chooseFile(UserOptionsFileRequest(2))));
    EXPECT_EQ(ui_.lastBox().prompt, std::string(NotFavoriteMessage));
    EXPECT_EQ(options.UserFavoriteAppPath, "");

    next<PickDirFrm>(onShare("\\\\FILESRV\\public\\Docs", true));
    Form1File(state_.Form1, forms_.chooseFile(Form1FileRequest("x")));
    EXPECT_EQ(ui_.lastBox().prompt, std::string(SelectFileMessage));

    ui_.clearRecords();
    state_.Form1.ProjectName = "C:\\kept";
    next<PickDirFrm>(onShare("_ROOT", false));
    FileAnswer failed = forms_.chooseFile(Form1FileRequest("x"));
    Form1File(state_.Form1, failed);
    EXPECT_EQ(failed.ending, Ending::Closed);
    EXPECT_EQ(state_.Form1.ProjectName, "C:\\kept");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    const std::string& prompt = ui_.lastBox().prompt;
    EXPECT_EQ(prompt.rfind("Error: 52\r\n", 0), 0u);
    EXPECT_EQ(prompt.substr(prompt.size() - 28), "\r\n\r\nOr not a valid filename.");

    // With no node selected the dialog closes without a word.
    next<PickDirFrm>([](PickDirFrm& d) {
        onNetworkTab(d.vsIndexTab1);
        d.Command1->click();
    });
    EXPECT_EQ(forms_.chooseFile(Form1FileRequest("x")).ending, Ending::Closed);
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.modalScriptsLeft(), 0u);
}

TEST_F(DialogsTest, AMappedDriveShowsTheDialogAgainForTheSameCaller)
{
    int mapped = 0;
    forms_.setMapNetworkDrive([&](const MapDriveHost&) { return ++mapped == 1; });
    std::vector<std::string> parents;
    for (int i = 0; i < 2; ++i)
        next<ChooseTargetDir>([&](ChooseTargetDir& d) {
            parents.push_back(d.LoadedFromForm);
            EXPECT_TRUE(d.Command2->isEnabled());
            if (parents.size() == 1)
                d.Command2->click();
            else
                d.cmdCancel->click();
        });
    EXPECT_EQ(forms_.chooseTargetDir(RestoreTargetRequest()).ending, Ending::Cancel);
    EXPECT_EQ(parents, (std::vector<std::string>{"RestoreFrm", "RestoreFrm"}));

    next<PickDirFrm>([](PickDirFrm& d) { EXPECT_FALSE(d.Command2->isEnabled()); d.cmdCancel->click(); });
    QtPickerForms withoutMapping(state_);
    withoutMapping.chooseFile(AddFilesRequest());
    EXPECT_TRUE(ui_.problems().empty());
}

TEST_F(DialogsTest, CaptionsAndScreenshots)
{
    ChooseTargetDir target(ui_);
    target.show();
    EXPECT_EQ(target.windowTitle().toStdString(), TargetDirCaption);
    EXPECT_EQ(target.vsIndexTab1->tabText(0), "Local");
    EXPECT_EQ(target.vsIndexTab1->tabText(1), "Network");
    EXPECT_EQ(target.cmdNewDir->text(), "Make New &Folder");
    EXPECT_EQ(target.Command2->text(), "Map &Network Drive");
    PickDirFrm pick(ui_);
    pick.show();
    EXPECT_EQ(pick.windowTitle().toStdString(), PickDirCaption);
    EXPECT_EQ(pick.Label1->text().toStdString(), NetworkNote);
    EXPECT_EQ(pick.Command2->text(), "&Map Network Drive");

    const char* folder = std::getenv("QM_PICKER_SCREENSHOTS");
    if (!folder)
        return;
    onNetworkTab(target.vsIndexTab1);
    qm::test::openToShare(*target.tvwNetwork);
    target.tvwNetwork->select("\\\\FILESRV\\public\\Docs");
    target.grab().save(QString(folder) + "/ChooseTargetDir.png");
    pick.SSTree1->expand("F:");
    pick.SSTree1->select("F:");
    pick.grab().save(QString(folder) + "/PickDirFrm.png");
    onNetworkTab(pick.vsIndexTab1);
    pick.grab().save(QString(folder) + "/PickDirFrmNetwork.png");
}

} // namespace
