#pragma once
// What a picker's answer writes into its caller, one writer per caller.
// The caller asks the picker (PickerForms.h), then hands the answer to its
// writer; a writer gives back what the caller shows in its own controls.
//
// The target folder dialog's rules add up: a writer does its caller's part
// and then what holds for every caller. Every caller: Cancel empties
// ChosenFolder; an Okay while a spanned kind is the current archive kind
// (ZipTypeBut 4, 5, 10 or 11) puts the folder into ChosenFolder. A close by
// the window's frame, or an Okay that failed, writes nothing.
//
//   auto answer = windows.pickers.chooseTargetDir(CopyTargetRequest(state));
//   Form1Folder(state, answer);
//   if (auto folder = CopyTarget(state.Form1)) copy(*folder);
#include "pickers/PickerForms.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::app {
class ProgramState;
struct Form1Variables;
} // namespace qm::app
namespace qm::store {
struct UserOptionsRecord;
}

namespace qm::pickers {

// ---- The target folder dialog

// What an answer writes outside the program state: the caller's controls.
struct TargetDirWrites {
    std::optional<std::string> Text2;           // frmSplitSize's target box
    std::optional<std::string> txtTargetFolder; // RestoreFrm's target box
    bool gridReread = false;                    // frmData / UserOptions: re-read the grid
};
// All of the dialog's rules for `request`; `GridColumn` is the caller's
// grid column for "frmData" and "UserOptions". The per-caller writers below
// are this for their own request.
TargetDirWrites WriteTargetDir(qm::app::ProgramState& state, const FolderRequest& request, int GridColumn,
                               const FolderAnswer& answer);

// The split-size dialog's target button. The folder for Text2 (it also
// becomes ChosenFolder) when the kind is split ZIP; nothing otherwise.
FolderRequest SplitSizeRequest();
std::optional<std::string> SplitSizeTarget(qm::app::ProgramState& state, const FolderAnswer& answer);

// The main window. A copy to another folder sets TargetCopy to "_" first;
// a spanned (or self-extracting) backup empties ChosenFolder first, so no
// run goes on with a folder of an earlier one. Form1Folder: TargetCopy "_"
// takes the folder; so does ChosenFolder while the kind is 1 (self-
// extracting) or spanned.
FolderRequest CopyTargetRequest(qm::app::ProgramState& state);
FolderRequest BackupFolderRequest(qm::app::ProgramState& state);
void Form1Folder(qm::app::ProgramState& state, const FolderAnswer& answer);
// The folder a copy may go to: nothing while TargetCopy is "_" or empty.
std::optional<std::string> CopyTarget(const qm::app::Form1Variables& Form1);

// The record editor's folder cells: column 2 ProjectFolder, 4
// ZIPDefaultRestoreFromFolder, 51 SFXDefaultExtractFolder, 134
// ACEDefaultRestoreFromFolder, 155 ACESFXDefaultExtractFolder of
// ProjectRecord(1). True when the grid must re-read the record.
FolderRequest EditorFolderRequest(const std::string& caption = {});
bool EditorFolder(qm::app::ProgramState& state, int GridColumn, const FolderAnswer& answer);

// The user options grid: column 3 ProjectINIBackupPath, 8 UserTempFolder.
// True when the grid must re-read its row and repaint.
FolderRequest UserOptionsFolderRequest();
bool UserOptionsFolder(qm::app::ProgramState& state, int GridColumn, const FolderAnswer& answer);

// The restore dialog's folder button: the folder for txtTargetFolder.
FolderRequest RestoreTargetRequest();
std::optional<std::string> RestoreTarget(qm::app::ProgramState& state, const FolderAnswer& answer);

// ---- The file picker

// The main window (an archive to test or view, the data-file backup, not
// where expected): ProjectName takes the file on Okay, the empty text on
// Cancel; an Okay with nothing chosen and a close leave it.
FileRequest Form1FileRequest(const std::string& fileName, const std::string& caption = {});
void Form1File(qm::app::Form1Variables& Form1, const FileAnswer& answer);

// The user options grid: column 1 UserZIPShellPath, 2 UserFavoriteAppPath.
// True when the grid must re-read its row and repaint.
FileRequest UserOptionsFileRequest(int GridColumn);
bool UserOptionsProgram(qm::store::UserOptionsRecord& options, int GridColumn, const FileAnswer& answer);

// The file list editor: an Okay appends the entries to List1 (and, on the
// "Local" tab, sets CancelAdd to false); Cancel sets CancelAdd to true.
// `folder` and `treesEnabled` as in FileRequest.
FileRequest AddFilesRequest(const std::string& folder = {}, bool treesEnabled = true);
void AddFiles(std::vector<std::string>& List1, bool& CancelAdd, const FileAnswer& answer);

} // namespace qm::pickers
