#pragma once
// The archive kind dialog's logic: how its callers (the manual backup, the
// archive test and view) prepare it and what its buttons leave in the main
// window's state (ProjectType, ZipTypeBut, Check1). The dialog itself is the
// engine's (engine/forms/frmBackupType), shown through OperationForms.
#include "session/ArchiveKinds.h"

#include <array>
#include <optional>
#include <string>

namespace qm::app {
struct Form1Variables;
}

namespace qm::session {

// How a caller shows the dialog.
struct BackupTypeSetup {
    std::string frameCaption;                   // caption of Frame1
    std::array<bool, ArchiveKindCount> shown{}; // visible options
    bool label1Visible = false;                 // "You have defined more than one archive type ..."
    bool check1Visible = true;                  // the delete box
    std::optional<int> preset;                  // option set before showing
};

// The dialog as designed: every option but 3 shown, Label1 hidden, Check1
// shown, no option set.
BackupTypeSetup designSetup();
// For a manual backup: "Select type of archive to create", option 0 set.
BackupTypeSetup setupForBackup();
// For the archive test and view: "Archive Type", options 0, 1 and 6 to 11,
// Label1 shown, Check1 hidden, option 0 set.
BackupTypeSetup setupForViewing();

inline constexpr std::string_view MultipleTypesText =
    "You have defined more than one archive type for this project. Please select the type you want from the "
    "options at left.";

// Okay: the first option set (in index order) is recorded in ZipTypeBut and
// its kind string in ProjectType; none set gives "blank" and leaves
// ZipTypeBut. A ticked delete box sets Check1 to 1 (unticked leaves it).
void backupTypeOkay(qm::app::Form1Variables& form1, const std::array<bool, ArchiveKindCount>& optionSet,
                    bool deleteTicked);
// Cancel, and closing the dialog by its frame: ProjectType "Cancel";
// ZipTypeBut and Check1 untouched.
void backupTypeCancel(qm::app::Form1Variables& form1);

} // namespace qm::session
