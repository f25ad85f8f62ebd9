#pragma once
// The project list: one row per file of the Projects folder with the
// project's name, last back-up, backup mode, comment, source and target
// folder, and the rules by which a row's columns are chosen.
#include "platform/ui/Columns.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qm::profile {
class IniDocument;
}

namespace qm::app {

class ProgramState;
class FileListBox;

// The six columns of ListView1, by position.
inline constexpr std::array<qm::ui::ReportColumn, 6> ProjectListColumns{{
    {"ProjectName", "Project Name", 150},
    {"LastBackup", "Last Back-up", 140},
    {"BackupMode", "Backup Mode", 95},
    {"Comments", "Comments", 165},
    {"SourceFolder", "Source Folder", 160},
    {"TargetFolder", "Target Folder", 140},
}};

// The text that stands for "never backed up".
inline constexpr std::string_view NoBackupDate = "1/1/1900";

// The archive family a row shows.
enum class RowFamily { Zip, Ace };

// Chooses the family by the later of the two last-backup dates (texts as
// stored; an empty one counts as 1/1/1900):
//  - the ZIP family when the ACE date is earlier, the ACE family when the
//    ZIP date is earlier;
//  - equal dates (both empty included) give the ZIP family;
//  - a text that does not read as a date counts as 1/1/1900 (no back-up)
//    in the comparison; when its family is chosen, the row shows the text
//    as stored, so the user sees what is wrong.
RowFamily rowFamily(const std::string& zipDate, const std::string& aceDate);

struct ProjectRow {
    std::string text;                // ProjectName of [SOURCES]
    std::array<std::string, 5> sub;  // columns 1 to 5
    RowFamily family = RowFamily::Zip;
};

// The row a project file gives (keys read as the profile reader gives them;
// a missing key gives an empty cell). The Last Back-up cell shows the
// family's date as stored, empty when it is exactly "1/1/1900".
ProjectRow projectRow(const qm::profile::IniDocument& doc);

// Reads every file that File1 lists, in its order, and gives their rows.
// Leaves CurrentProjectIni naming the last file read. Shows no message: a
// file that cannot be read gives a row of empty cells.
std::vector<ProjectRow> PopulateList(ProgramState& state, const FileListBox& File1);

// The list's sort settings: SortKey is the column, Sorted whether rows are
// kept sorted. A column click sorts by that column and flips the order,
// whichever column it is (the list starts ascending, so the first click
// sorts descending).
struct ListSort {
    int SortKey = 0;
    bool Sorted = false;
    bool Descending = false;
    void columnClick(int column);
};

} // namespace qm::app
