#pragma once
// The logic of the target folder dialog ChooseTargetDir: what its Okay,
// Make New Folder and Make buttons decide, with the messages they show.
// What an Okay writes into its caller is the caller's writer's work
// (PickerWriters.h).
#include "pickers/PickerForms.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

inline constexpr std::string_view TargetDirCaption = "Choose Target Drive and/or Target Folder";
inline constexpr std::string_view NotAFolderMessage =
    "Selection of invidual file names or printers not allowed.\r\n\r\n"
    "Please select a folder (directory) name only.";
inline constexpr std::string_view NoNodeMessage = "Please select a drive or folder from the list";
inline constexpr std::string_view FolderCreatedMessage =
    "Folder created successfully.\r\nPlease select it from the folder list\r\nand click the 'Okay' button.";

// What Okay decided: stay open (a message said why), or close with the
// answer (Okay with the folder, or Closed after an error's message).
struct TargetDirOkay {
    bool close = false;
    FolderAnswer answer;
};

// Okay on the node `key` of the current tab's tree ("" when none is
// selected). Not a folder: the "invidual" message, the dialog stays open.
// A key that cannot be asked (the roots, a provider, domain or server, a
// printer, a folder gone): "Error: " & number & CR LF & description, and
// the dialog closes with nothing to write.
TargetDirOkay targetDirOkay(qm::ui::UiServices& ui, const std::string& key);

// Make New Folder on the node `key`: the text of the new-folder row (the
// key ending in "\"), or nothing after the "select a drive or folder"
// message when no node is selected.
std::optional<std::string> newFolderText(qm::ui::UiServices& ui, const std::string& key);

// Make: makes the one folder that `Text1` names (its parent must exist).
// True after the "Folder created" message; false after an "Error: " box
// (the path is taken from the drive or the network, never from the current
// folder: a text that is no such path is refused with error 52).
bool makeNewFolder(qm::ui::UiServices& ui, const std::string& Text1);

} // namespace qm::pickers
