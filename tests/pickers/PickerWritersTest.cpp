// What each caller's writer puts where, on fake caller state.
#include "pickers/PickerWriters.h"

#include "app/ProgramState.h"
#include "store/ProjectRecord.h"

#include "FakeUiServices.h"

#include <gtest/gtest.h>

using namespace qm::pickers;
using F = qm::store::ProjectField;

namespace {

class PickerWritersTest : public ::testing::Test {
protected:
    void kind(int index) { state_.Form1.ZipTypeBut.setValue(index, true); }
    qm::store::ProjectRecord& record() { return state_.store.ProjectRecord(1); }
    qm::store::UserOptionsRecord& options() { return state_.store.UserOptionsRecord(1); }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    const FolderAnswer closed_{};
};

TEST_F(PickerWritersTest, EveryCallerCancelEmptiesChosenFolderAndACloseWritesNothing)
{
    state_.ChosenFolder = "E:\\old";
    state_.Form1.TargetCopy = "_";
    EXPECT_FALSE(UserOptionsFolder(state_, 8, closed_));
    EXPECT_FALSE(SplitSizeTarget(state_, closed_));
    Form1Folder(state_, closed_);
    EXPECT_EQ(state_.ChosenFolder, "E:\\old");
    EXPECT_EQ(state_.Form1.TargetCopy, "_");
    EXPECT_FALSE(EditorFolder(state_, 2, FolderAnswer::cancel()));
    EXPECT_EQ(state_.ChosenFolder, "");
    EXPECT_EQ(record()[F::ProjectFolder], "");
}

TEST_F(PickerWritersTest, TheMainWindowsCopyAndBackups)
{
    FolderRequest r = CopyTargetRequest(state_);
    EXPECT_EQ(r.ParentForm, "Form1");
    EXPECT_EQ(state_.Form1.TargetCopy, "_");
    Form1Folder(state_, FolderAnswer::cancel());
    EXPECT_EQ(state_.Form1.TargetCopy, "_");
    EXPECT_FALSE(CopyTarget(state_.Form1));
    CopyTargetRequest(state_);
    Form1Folder(state_, FolderAnswer::okay("G:\\Copies"));
    EXPECT_EQ(CopyTarget(state_.Form1), "G:\\Copies");
    EXPECT_EQ(state_.ChosenFolder, ""); // zip kind: not a folder for a backup

    // A later Okay leaves a copy's folder as it is.
    Form1Folder(state_, FolderAnswer::okay("H:\\"));
    EXPECT_EQ(state_.Form1.TargetCopy, "G:\\Copies");

    state_.ChosenFolder = "E:\\earlier run";
    EXPECT_EQ(BackupFolderRequest(state_).ParentForm, "Form1");
    EXPECT_EQ(state_.ChosenFolder, "");
    for (int spannedOrExe : {1, 4, 5, 10, 11}) {
        kind(spannedOrExe);
        BackupFolderRequest(state_);
        Form1Folder(state_, FolderAnswer::okay("A:\\"));
        EXPECT_EQ(state_.ChosenFolder, "A:\\") << spannedOrExe;
    }
    for (int other : {0, 2, 3, 6, 7, 8, 9}) {
        kind(other);
        BackupFolderRequest(state_);
        Form1Folder(state_, FolderAnswer::okay("A:\\"));
        EXPECT_EQ(state_.ChosenFolder, "") << other;
    }
}

TEST_F(PickerWritersTest, SplitSizeTargetOnlyForSplitZip)
{
    EXPECT_EQ(SplitSizeRequest().ParentForm, "frmSplitSize");
    kind(2);
    EXPECT_EQ(SplitSizeTarget(state_, FolderAnswer::okay("K:\\")), "K:\\");
    EXPECT_EQ(state_.ChosenFolder, "K:\\");
    kind(8); // split ACE: the dialog's target part is hidden; nothing is taken
    EXPECT_FALSE(SplitSizeTarget(state_, FolderAnswer::okay("L:\\")));
    EXPECT_EQ(state_.ChosenFolder, "K:\\");
}

TEST_F(PickerWritersTest, EditorFolderCellsAndASpannedKind)
{
    const std::pair<int, F> cells[] = {{2, F::ProjectFolder},
                                       {4, F::ZIPDefaultRestoreFromFolder},
                                       {51, F::SFXDefaultExtractFolder},
                                       {134, F::ACEDefaultRestoreFromFolder},
                                       {155, F::ACESFXDefaultExtractFolder}};
    for (const auto& [column, field] : cells) {
        EXPECT_TRUE(EditorFolder(state_, column, FolderAnswer::okay("\\\\FILESRV\\public")));
        EXPECT_EQ(record()[field], "\\\\FILESRV\\public") << column;
    }
    EXPECT_EQ(EditorFolderRequest("Project folder").caption, "Project folder");
    kind(5);
    EXPECT_FALSE(EditorFolder(state_, 7, FolderAnswer::okay("D:\\span")));
    EXPECT_EQ(state_.ChosenFolder, "D:\\span"); // for every caller
    EXPECT_EQ(record()[F::ProjectFolder], "\\\\FILESRV\\public");
}

TEST_F(PickerWritersTest, UserOptionsFoldersAndPrograms)
{
    EXPECT_TRUE(UserOptionsFolder(state_, 8, FolderAnswer::okay("C:")));
    EXPECT_EQ(options().UserTempFolder, "C:");
    EXPECT_TRUE(UserOptionsFolder(state_, 3, FolderAnswer::okay("C:\\Back")));
    EXPECT_EQ(options().ProjectINIBackupPath, "C:\\Back");
    EXPECT_TRUE(UserOptionsFolder(state_, 5, FolderAnswer::okay("C:\\x"))); // re-read, nothing written
    EXPECT_EQ(options().UserSplitSize, "");

    EXPECT_EQ(UserOptionsFileRequest(2).GridColumn, 2);
    EXPECT_TRUE(UserOptionsProgram(options(), 1, FileAnswer::okay({"\\\\S\\x\\setup.EXE"}, true)));
    EXPECT_EQ(options().UserZIPShellPath, "\\\\S\\x\\setup.EXE");
    EXPECT_TRUE(UserOptionsProgram(options(), 2, FileAnswer::okay({"C:\\bin\\fav.exe"})));
    EXPECT_EQ(options().UserFavoriteAppPath, "C:\\bin\\fav.exe");
    EXPECT_FALSE(UserOptionsProgram(options(), 1, FileAnswer::okay({})));
    EXPECT_FALSE(UserOptionsProgram(options(), 1, FileAnswer::cancel()));
    EXPECT_EQ(options().UserZIPShellPath, "\\\\S\\x\\setup.EXE");
}

TEST_F(PickerWritersTest, RestoreTargetByEitherMember)
{
    EXPECT_EQ(RestoreTargetRequest().LoadedFromForm, "RestoreFrm");
    EXPECT_EQ(RestoreTargetRequest().ParentForm, "");
    EXPECT_EQ(RestoreTarget(state_, FolderAnswer::okay("C:\\restore")), "C:\\restore");
    FolderRequest byParent;
    byParent.ParentForm = "RestoreFrm";
    kind(10);
    TargetDirWrites w = WriteTargetDir(state_, byParent, 0, FolderAnswer::okay("C:\\r2"));
    EXPECT_EQ(w.txtTargetFolder, "C:\\r2");
    EXPECT_FALSE(w.Text2);
    EXPECT_EQ(state_.ChosenFolder, "C:\\r2");
    EXPECT_FALSE(RestoreTarget(state_, FolderAnswer::cancel()));
}

TEST_F(PickerWritersTest, FilePickerCallers)
{
    qm::app::Form1Variables& f = state_.Form1;
    FileRequest r = Form1FileRequest("Home.qmt", "Locate Home.qmt");
    EXPECT_EQ(r.ParentForm, "Form1");
    EXPECT_EQ(r.pattern, "Home.qmt");
    f.ProjectName = "C:\\before.qmt";
    Form1File(f, FileAnswer::okay({}));
    Form1File(f, FileAnswer{});
    EXPECT_EQ(f.ProjectName, "C:\\before.qmt");
    Form1File(f, FileAnswer::okay({"C:\\found\\Home.qmt"}));
    EXPECT_EQ(f.ProjectName, "C:\\found\\Home.qmt");
    Form1File(f, FileAnswer::cancel());
    EXPECT_EQ(f.ProjectName, "");

    std::vector<std::string> List1{"first"};
    bool CancelAdd = true;
    AddFiles(List1, CancelAdd, FileAnswer::okay({"\\\\S\\x\\a.txt"}, true));
    EXPECT_TRUE(CancelAdd); // the network tab leaves it
    AddFiles(List1, CancelAdd, FileAnswer::okay({"C:\\d\\b", "C:\\d\\c"}));
    EXPECT_FALSE(CancelAdd);
    AddFiles(List1, CancelAdd, FileAnswer{});
    EXPECT_EQ(List1, (std::vector<std::string>{"first", "\\\\S\\x\\a.txt", "C:\\d\\b", "C:\\d\\c"}));
    AddFiles(List1, CancelAdd, FileAnswer::cancel());
    EXPECT_TRUE(CancelAdd);
    EXPECT_EQ(List1.size(), 4u);
    FileRequest scoped = AddFilesRequest("C:\\proj", false);
    EXPECT_EQ(scoped.ParentForm, "frmAddFiles");
    EXPECT_FALSE(scoped.treesEnabled);
}

} // namespace
