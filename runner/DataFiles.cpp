// The backup of the program's own data files (the Projects folder) near the
// end of a run, when the tail found it due: QMBackupData.exe in the data
// backup folder, logged in autoback.log, stamped again when it was made.
#include "runner/Runner.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "store/DataFileZip.h"
#include "store/ProgramFolders.h"

#include <optional>

namespace qm::runner {

void Runner::BackupDataFiles(std::string& /*UserDBBackupPath*/)
{
    qm::store::Store& store = state.store;
    const qm::store::UserOptionsRecord& u = store.UserOptionsRecord(1);
    const std::string app = qm::fs::appPath();
    const std::string archive = qm::store::dataBackupPath(u.ProjectINIBackupPath);

    log_.open();
    log_.dashes(50);
    log_.event(Now(), "Back-up Data Files operation started");
    qm::store::EnterProjectsFolder(app);
    // The comment of the last project backed up is not the data files'.
    state.Form1.UseComments.clear();

    std::optional<qm::RtError> error;
    int result = qm::zip::result::Ok;
    try {
        store.TempFolder = u.UserTempFolder.empty() ? qm::store::ProgramTempFolder(app) : u.UserTempFolder;
        qm::store::DataFileSetup setup;
        setup.backupFolder = u.ProjectINIBackupPath;
        setup.appPath = app;
        setup.tempFolder = store.TempFolder;
        setup.includeSubfolders = true;
        setup.iconFile = "ZIPdisk.ico";
        qm::store::SetDataFileProperties(PavikZip1, setup);
        result = PavikZip1.Build();
    } catch (const qm::RtError& e) {
        error = e;
    } catch (const std::exception& e) {
        error = qm::RtError(51, e.what());
    }

    if (error) {
        log_.event(Now(), "Error " + std::to_string(error->number));
        log_.more(error->description);
        log_.dashes(48);
    } else if (result == qm::zip::result::Ok) {
        log_.event(Now(), "Quillmate data files backed up successfully to");
        log_.more(archive);
        log_.close();
        store.WriteIni("User Options", "UserLastINIBackup", qm::datetime::formatDateTime(Now()),
                       app + "\\Options\\User Options");
        return;
    } else {
        log_.event(Now(), PavikZip1.ErrorText(qm::zip::textkind::Result, result));
    }
    log_.close();
}

bool Runner::DataFileBackupBuilt() const
{
    return true;
}

} // namespace qm::runner
