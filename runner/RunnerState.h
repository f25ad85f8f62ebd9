#pragma once
// The shared state of the Nightwick program, gathered in one object: the
// main window's public variables under their own names and the program's
// own project store (ProjectRecord, CurrentProjectIni, UserOptionsRecord,
// UserOptionsIni, TempFolder). One RunnerState belongs to the running
// program; it holds no Qt object.
#include "store/Store.h"

#include <string>

namespace qm::runner {

// The runner window's public variables.
struct NightwickVariables {
    std::string ProjectName;           // archive being made: target folder, "\", archive name
    std::string ShortName;             // name of the project being processed
    std::string ProjectFolder;         // its source folder
    std::string ZIPBackFile;           // its ZIP archive name
    std::string ZipDefaultRestoreFrom; // its ZIP target folder
    std::string ZIPDoSubFolders;       // "yes": include subfolders
    std::string UseComments;           // "yes": the archive gets the comment
    std::string ZIPComments;           // the comment
    std::string ArchiveType;           // declared for the other passes
    std::string OpType;
    std::string ProjectType;
    std::string DirStatus;
    std::string ZipSplitSize;
    std::string UserDBBackupPath;      // folder of the data-file backup
    bool LeaveMessage = false;         // started with "usemax": say so at the end
    std::string WinAceLocation;        // WinAce's program path (2.11 or later), else ""
};

class RunnerState {
public:
    explicit RunnerState(qm::ui::UiServices& ui) : store(ui) {}
    RunnerState(const RunnerState&) = delete;
    RunnerState& operator=(const RunnerState&) = delete;

    qm::store::Store store;
    NightwickVariables Form1;
};

} // namespace qm::runner
