#pragma once
// What the main window does when it loads: it prepares the program folder
// (Projects, an empty Temp), places the scheduled job of the unattended
// runner, loads the user options, decides whether WinAce may be
// used, and keeps the archive named on the command line. Every step that
// fails is passed over without a message; start-up always goes on.
#include "store/SystemLookups.h"

#include <functional>
#include <string>
#include <vector>

namespace qm::app {

class ProgramState;
class FileListBox;

// WinAce's program path and version text as the registry gives them.
using qm::store::WinAceLookup;

// The command-line text: the arguments after the program name, joined by
// one blank each.
std::string commandLineText(const std::vector<std::string>& arguments);

// The archive to open: the command-line text without the blanks at either
// end; quotes stay part of it.
std::string runCommandFrom(const std::string& commandLine);

// What PurgeHidden did.
struct PurgeResult {
    int deleted = 0;
    std::vector<std::string> skipped; // names left in place (locked or not deletable)
};

// Empties the Temp folder `tempFolder` (Windows form) of its files: normal,
// hidden and read-only ones alike. A file that another program holds locked
// or that cannot be deleted is left in place and the purge goes on with the
// next; every file is looked at once. Folders inside Temp and what they hold
// are never touched; a symbolic link is removed, never what it points to.
PurgeResult PurgeHidden(const std::string& tempFolder);

struct StartupResult {
    bool Timer1Enabled = false; // an archive was named on the command line
};

// The load handler's steps, in order, on the program folder of `state`
// (QUILLMATE_HOME or the executable's folder):
//  - AppDone False, TargetCopy and ChosenFolder empty, UserOptionsIni set;
//  - Projects created when missing; the help file named;
//  - Temp emptied (PurgeHidden), or created when missing;
//  - OSFamily "NT", TasksFolder the tasks folder (created, mode 0700);
//    the job Nightwick.job placed there from the program folder's model,
//    naming this program folder (PlaceNightwickJob: a job the user made or
//    changed is never replaced);
//  - the user options loaded; WinAceLocation set when the options choose
//    "ACE" as default compression and the version is accepted;
//  - File1 pointed at Projects; strRunCommand from the command line.
StartupResult FormLoad(ProgramState& state, FileListBox& File1, const std::string& commandLine,
                       const WinAceLookup& lookup = qm::store::GetWinAceInfo);

} // namespace qm::app
