#pragma once
// The backup of the program's own data files: the project files of the
// Projects folder in one self-extracting program, QMBackupData.exe, that
// puts them back when it is run. The main window's data-file backup and the
// unattended run make it alike; only what DataFileSetup names differs.
#include <string>

namespace qm::zip {
class PavikZip;
}

namespace qm::store {

inline constexpr const char* DataBackupFile = "QMBackupData.exe";

struct DataFileSetup {
    std::string backupFolder;        // the user option ProjectINIBackupPath
    std::string appPath;             // the program folder
    std::string tempFolder;          // where the archive is built
    bool includeSubfolders = false;  // folders below Projects too
    std::string iconFile;            // the program's icon, in the program folder
};

// backupFolder & "\QMBackupData.exe".
std::string dataBackupPath(const std::string& backupFolder);

// The control reset, then set for the data-file backup: Burrows-Wheeler at
// level 9 through a temporary archive, every file ("*") of the program
// folder's Projects, open files too, recorded owner-only, never spanned; the
// stub for Burrows-Wheeler archives, Projects as the folder it offers, files
// there always replaced, and its title, introduction, prompt and success
// texts.
void SetDataFileProperties(qm::zip::PavikZip& zip, const DataFileSetup& setup);

// The program folder's drive and its Projects folder made current, as far
// as that goes: a failure changes nothing and is not reported.
void EnterProjectsFolder(const std::string& appPath);

// After the data files were put back: the files directly in the program
// folder's Projects, the defaults record and the user options left their
// owner's alone (qm::fs::keepToOwner), whatever modes the data backup gave
// them. What cannot be changed stays as it is, unreported.
void KeepDataFilesPrivate(const std::string& appPath);

} // namespace qm::store
