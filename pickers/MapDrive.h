#pragma once
// The logic of mapping a network drive: the map-drive command that the
// pickers and the network browser share (their Command2), and the log-in
// dialog frmMapDrive it opens: what the dialog offers when it loads and what
// its Okay does, with the messages they show. The connection itself is
// store::MapNetworkDriveResult (remembered for later sessions).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

inline constexpr std::string_view MapDriveCaption = "Mapped Network Drive Log-in";
inline constexpr std::string_view NotAChoiceText =
    " is not a valid choice.\r\nPlease click the + symbol and select from the list.";
inline constexpr std::string_view NoNetworkNodeMessage =
    "Please select a valid pathname from the list of network computers.";
inline constexpr std::string_view FirstLetterCaption = "First available drive letter is ";
inline constexpr std::string_view NoLetterMessage = "You must select a drive letter to map.";
inline constexpr std::string_view NoNetworkPathMessage = "Cannot access the network path.";
inline constexpr std::string_view LoginPairMessage =
    "If using the optional log-in settings, both the Username and the Password fields must contain values.";
inline constexpr std::string_view MappedMessage =
    "Drive mapped successfully.\r\nYou can now choose it from your local drive and folder lists.\r\n\r\n"
    "You can also unmap the drive whenever you wish\r\nvia the Quillmate File menus.";
inline constexpr std::string_view NotMappedText = "The drive could not be mapped.";

// What the map-drive command hands frmMapDrive before showing it.
struct MapDriveOpening {
    std::string DrvLtr;         // the first free letter ("E")
    std::string lblNetworkPath; // the selected node's key
    std::string ParentForm;     // the host: "PickDirFrm", "ChooseTargetDir", "frmNetworkMap"
};

// The map-drive command of the host `hostName` on its network tree's
// selected node `key` ("" when none). Nothing, after its message, for the
// network root and the Windows network provider (compared exactly), for no
// node, and when no letter from D to Z is free.
std::optional<MapDriveOpening> mapDriveOpening(qm::ui::UiServices& ui, const std::string& hostName,
                                               const std::string& key);

// What frmMapDrive shows when it loads for `DrvLtr`: the letters from it to
// "Z" (none for a text that is no capital letter), Label1's caption with a
// blank and the letter appended, and the letter preselected.
struct MapDriveLoad {
    std::vector<std::string> letters;
    std::string Label1;
    std::string Combo1;
};
MapDriveLoad mapDriveLoad(const std::string& DrvLtr);

// Okay of frmMapDrive with the texts of its boxes. False when the dialog
// stays open (no letter, a file's path, only one of the log-in texts: a
// message says so); true when the closing steps follow: after the success
// box, the refusal's reason, or an "Error: " box for a path whose attributes
// cannot be read. Only the letter box's first character names the drive;
// blanks around the user name and password are dropped, and with both empty
// the current log-in is used.
bool mapDriveOkay(qm::ui::UiServices& ui, const std::string& Combo1, const std::string& lblNetworkPath,
                  const std::string& txtUsername, const std::string& txtPassword);

// Whether the closing steps reload the opener (a picker), rather than only
// closing frmMapDrive.
bool reloadsOpener(const std::string& ParentForm);

} // namespace qm::pickers
