#pragma once
// The split-size dialog's logic: the presets, what the dialog shows when it
// loads, and what Okay and Cancel hand back to the main window.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qm::store {
struct ProjectRecord;
}
namespace qm::app {
class ProgramState;
}

namespace qm::engine {

struct SplitPreset {
    std::string_view caption;
    long long bytes;
};
inline constexpr std::array<SplitPreset, 7> SplitPresets{{
    {"360 kbytes", 362000},
    {"720 kbytes", 730000},
    {"1.2 megabytes", 1213000},
    {"1.44 megabytes", 1457000},
    {"ZIP 100 megabytes", 95000000},
    {"SuperDisk 120 megabytes", 120000000},
    {"ZIP 250 megabytes", 238000000},
}};

// The modes, compared exactly.
inline constexpr std::string_view ModeZip = "ZIP";
inline constexpr std::string_view ModeAce = "ACE";
inline constexpr std::string_view ModeAceExe = "ACEEXE";

inline constexpr std::string_view NoSizeMessage =
    "Please choose a Split Size from the options, or type in a valid number in the box provided.";
inline constexpr std::string_view NoTargetMessage = "Please choose a target drive or folder.";

// What the dialog shows after loading.
struct SplitSizeView {
    std::optional<int> preset;  // the option selected
    std::string Text1;          // the split size
    std::string Text2;          // the target drive or folder
    bool targetVisible = true;  // Label3, Text2 and cmdGetTarget
};

// Mode "ZIP" reads ZIPDefaultSplitSize (empty: nothing selected, both boxes
// empty); "ACE" ACEDefaultSplitSize and "ACEEXE" ACESFXDefaultSplitSize
// (used even when empty), and hide the target part. The stored size selects
// the first preset of the same number; a size that is not a number selects
// none. Text1 shows the stored text, Text2 ChosenFolder. Any other mode
// shows the dialog as designed.
SplitSizeView splitSizeLoad(std::string_view ArchiveType, const qm::store::ProjectRecord& record,
                            const std::string& ChosenFolder);

// The value box text for a selected preset (empty when none is selected).
std::string presetText(std::optional<int> preset);

// Okay: the size must be a positive whole number of bytes, and in mode
// "ZIP" a target must be given; otherwise the message is shown (critical,
// "Error!") and false returned: the dialog stays open. On success
// ChosenFolder takes Text2, ZipSplitSize and AceSplitSize the size, and true
// is returned: the dialog closes.
bool splitSizeOkay(qm::app::ProgramState& state, std::string_view ArchiveType, const std::string& Text1,
                   const std::string& Text2);

// Cancel, and closing the dialog by its frame: mode "ZIP" clears
// ZipSplitSize, so the backup that asked ends; the other modes set
// AceSplitSize to "Abort".
void splitSizeCancel(qm::app::ProgramState& state, std::string_view ArchiveType);

} // namespace qm::engine
