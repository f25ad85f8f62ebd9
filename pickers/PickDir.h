#pragma once
// The logic of the folder and file picker PickDirFrm: what it lists for its
// caller when it loads, and what its Okay hands back or why it stays open.
// What the answer writes into the caller is the caller's writer's work
// (PickerWriters.h).
#include "pickers/PickerForms.h"

#include <string>
#include <string_view>

namespace qm::app {
class FileListBox;
}
namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

inline constexpr std::string_view PickDirCaption = "Choose Drive, Directory, and File";
inline constexpr std::string_view NetworkNote =
    "NOTE: Only one file at a time can be selected from the network list. However, you can map a network "
    "folder (i.e., assign it a drive letter on your local system) and then select multiple files from it via "
    "your local drive list.";
inline constexpr std::string_view SelectFileMessage = "Please select a filename";
inline constexpr std::string_view NotArchiverMessage =
    "You have not chosen a valid program (EXE) for your external archiving program.";
inline constexpr std::string_view NotFavoriteMessage =
    "You have not chosen a valid program (EXE) for your favorite application.";

// The pattern File1 lists when the dialog loads for `ParentForm`: "*.exe"
// for "Form1" and "UserOptions", every file ("*.*") otherwise.
std::string loadPattern(const std::string& ParentForm);

// What Okay decided: stay open (a message said why) or close with the answer.
struct PickDirOkay {
    bool close = false;
    FileAnswer answer;
};

// Okay on the "Local" tab. `list` is the file list in use (File2 for
// "frmAddFiles", else File1); `treeEnabled` whether SSTree1 can be used;
// `treeKey` its selected node's key.
// - "frmAddFiles": each selected name as the list's folder & "\" & name (the
//   bare name when the tree is disabled); with none selected and the tree
//   enabled, the tree's folder & "\*.*". A name holding a line break is
//   left out. The last failure (such a name, a tree key that is no folder)
//   is reported when the dialog closes, as on the network tab.
// - any other caller: the selected file's full path, or nothing.
// The dialog always closes.
PickDirOkay pickDirLocal(qm::ui::UiServices& ui, const FileRequest& request, const qm::app::FileListBox& list,
                         bool treeEnabled, const std::string& treeKey);

// Okay on the "Network" tab with the node `key` ("" when none): a folder or
// share is refused with "Please select a filename", and for "UserOptions" a
// file that is no ".exe" by its column's message; the dialog stays open.
// A key that cannot be asked: "Error: " & number & CR LF & description &
// CR LF & CR LF & "Or not a valid filename." (nothing shown for no node),
// and the dialog closes with nothing to write.
PickDirOkay pickDirNetwork(qm::ui::UiServices& ui, const FileRequest& request, const std::string& key);

} // namespace qm::pickers
