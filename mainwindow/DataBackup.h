#pragma once
// BackUpDB and RestoreDB: the program's own data files (the project files
// directly in Projects) packed into the self-extracting QMBackupData.exe in
// the user option ProjectINIBackupPath, and that program run to put them
// back.
namespace qm::session {
class ZipSession;
}

namespace qm::app {

class BusySwitch;
class MainWindowView;
class ProgramState;
struct Windows;

// Builds QMBackupData.exe with the main window's zip control (no progress
// window, no log lines of its own) and says how it went; UserLastINIBackup
// is stamped once the success box is closed, and only then.
void BackUpDB(ProgramState& state, qm::session::ZipSession& session, BusySwitch& busy);

// Closes the program's other windows, then runs QMBackupData.exe from
// ProjectINIBackupPath (when it is not there, the file the user picks
// instead) and waits for it with the commands off while the window runtime
// runs; once it has ended, the project files, the defaults record and the
// user options are left their owner's alone, whatever modes it gave them.
void RestoreDB(ProgramState& state, MainWindowView& view, Windows& windows, BusySwitch& busy);

} // namespace qm::app
