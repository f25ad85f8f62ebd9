#pragma once
// The twelve archive kinds. A kind's index is its identity in every
// operation of the main window (the option of ZipTypeBut that is set); its
// kind string is what the archive kind dialog reports in ProjectType.
#include <array>
#include <string_view>

namespace qm::session {

struct ArchiveKind {
    int index;
    std::string_view kind;          // "zip" ... "aceexespan"
    std::string_view caption;       // option caption in the archive kind dialog
    std::string_view tooltip;       // its tooltip there
    std::string_view form1Caption;  // caption of the main window's hidden option
};

inline constexpr int ArchiveKindCount = 12;

// Indexes by name, for readable conditions.
namespace kind {
inline constexpr int Zip = 0, Exe = 1, ZipMulti = 2, ExeMulti = 3, ZipSpan = 4, ExeSpan = 5, Ace = 6,
                     AceExe = 7, AceMulti = 8, AceExeMulti = 9, AceSpan = 10, AceExeSpan = 11;
} // namespace kind

const std::array<ArchiveKind, ArchiveKindCount>& archiveKinds();
// The kind string of an index; empty outside 0..11.
std::string_view kindString(int index);

// Caption and tooltip of the delete flag ("Check1").
inline constexpr std::string_view DeleteFlagCaption = "Delete old back-up and rebuild";
inline constexpr std::string_view DeleteFlagTooltip =
    "Quillmate will destroy the current ZIP or EXE file and create a new one based on your current "
    "settings for that Project (does not apply to Restore operations).";

} // namespace qm::session
