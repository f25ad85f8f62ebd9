#pragma once
// The logic of the two drive dialogs of the main window: the network
// browser frmNetworkMap (a network tree to map a folder from) and the
// disconnect dialog frmUnMapDrive (the drive tree, to disconnect a mapped
// drive): what their Okay buttons decide, with the messages they show.
#include <string>
#include <string_view>

namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

inline constexpr std::string_view NetworkMapCaption = "Map Network Drive";
inline constexpr std::string_view UnMapDriveCaption = "Select Mapped Drive to Disconnect";
inline constexpr std::string_view NotASelectionText = " is not a valid selection.\r\nPlease choose a network drive.";
inline constexpr std::string_view NotANetworkDriveText = " is not a network drive. Cannot disconnect.";
inline constexpr std::string_view UnmappedMessage = "Drive unmapped successfully.";
inline constexpr std::string_view NotUnmappedText = "The drive could not be disconnected.";

// Okay of the network browser on the node `key` ("" when none): true (the
// browser closes) for a folder or share; otherwise (a file, a printer, no
// node, a key that is no readable path) the "invidual" message, and false.
bool networkMapOkay(qm::ui::UiServices& ui, const std::string& key);

// Unmap on the drive tree's node `key` ("" when none): its first three
// characters name the drive ("E:" for a drive, "E:\" for a folder), which
// must be a network drive; it is disconnected and forgotten for later
// sessions, but not while files on it are open. True after the success
// box (the dialog closes); false after a refusal or an "Error: " box.
bool unmapDriveOkay(qm::ui::UiServices& ui, const std::string& key);

} // namespace qm::pickers
