// MakeEXE: a manual self-extracting backup of the loaded record (one
// program, or one spanned over disks), logged in autoback.log. The record,
// the project file and the project list stay as they are.
#include "engine/Backup.h"

#include "app/BusySwitch.h"
#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "engine/RunParts.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"
#include "session/ArchiveKinds.h"
#include "session/StatusView.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"
#include "store/ZipFromRecord.h"

namespace qm::engine {

namespace {

using F = qm::store::ProjectField;
using namespace qm::ui;
namespace kind = qm::session::kind;

// The folder the project's files are named from when paths are not kept:
// its drive and folder become the current ones.
void enterProjectFolder(const std::string& folder)
{
    if (qm::fs::driveLetter(folder))
        qm::fs::ChDrive(folder);
    qm::fs::ChDir(folder);
}

} // namespace

void Backup::MakeEXE(bool deleteOld)
{
    qm::app::Form1Variables& f = state_.Form1;
    qm::store::Store& store = state_.store;
    UiServices& ui = state_.ui();
    const qm::store::ProjectRecord& rec = store.ProjectRecord(1);
    const bool spanned = f.ZipTypeBut.value(kind::ExeSpan);
    f.ShortName = rec[F::ProjectName];
    f.ProjectFolder = rec[F::ProjectFolder];

    // The folder that receives the program: the one chosen for a spanned
    // set; the record's target folder unless it cannot be used.
    std::string target = rec[F::ZIPDefaultRestoreFromFolder];
    std::string receiving;
    if (spanned) {
        receiving = chooseTargetFolder();
    } else {
        if (!readableFolder(target))
            target = chooseTargetFolder();
        receiving = target;
    }
    if (receiving.empty()) {
        ui.msgBox("No file or folder chosen.", mb::OKOnly | mb::Critical, "Operation aborted.");
        return;
    }
    if (!recordPasses("exe"))
        return;

    f.ProjectName = target + "\\" + rec[F::SFXBackFile];
    const std::string archivePath = spanned ? qm::fs::withTrailingBackslash(receiving) + rec[F::SFXBackFile]
                                            : f.ProjectName;
    // The comment request hands over the self-extractor's comment while this run builds.
    f.OpType = "exe";
    const AtExit clearOpType{[&f] { f.OpType.clear(); }};
    logRunStart(f.ProjectName);
    const AtExit closeLog{[this] { log_.close(); }};
    qm::store::BusyPointer(ui);
    qm::app::BusySwitch::Operation running = busy_.begin([this] { PavikZip1.AbortRequested = true; });
    qm::session::StatusView& status = showProgress();

    BuildFailure failure;
    int result = -1;
    try {
        qm::store::SfxSetup setup;
        setup.archivePath = archivePath;
        setup.appPath = qm::fs::appPath();
        setup.userTempFolder = store.UserOptionsRecord(1).UserTempFolder;
        setup.spanned = spanned;
        const qm::store::ZipSetupResult prepared = qm::store::SetSfxProperties(PavikZip1, rec, setup);
        store.TempFolder = prepared.TempFolder;
        if (prepared.listFailed)
            throw qm::fs::makeRtError(qm::rterr::FileNotFound, prepared.listFile);
        if (!prepared.badLimit.empty())
            throw qm::RtError(13, "Type mismatch: " + prepared.badLimit + " is not a date or size");
        if (rec[F::ZIPPreservePaths] == "no")
            enterProjectFolder(f.ProjectFolder);

        // "Delete old back-up and rebuild": the files alone make the new
        // program, which takes the old one's place only when whole.
        result = buildForTesting_ ? buildForTesting_() : PavikZip1.Build(deleteOld);
    } catch (const std::exception& e) {
        failure.note(e);
    }
    qm::store::NormalPointer(ui);
    status.unload();

    namespace res = qm::zip::result;
    const std::string name = "\t" + f.ShortName;
    if (failure.diskFull) {
        log_.close();
        showDiskFull(ui);
    } else if (failure.text) {
        log_.event(Now(), *failure.text);
        log_.close();
        qm::app::showError(ui, *failure.text);
    } else if (result == res::Ok) {
        log_.event(Now(), name + " self-extract file created successfully.");
        log_.close();
        f.mRowCount = 0;
        ui.msgBox("Back-up operation successful.", mb::OKOnly, "Success!");
        if (rec[F::SFXArchiveDate] == "latest") {
            std::string archive = PavikZip1.ArchivePath;
            session_.StampArchiveDate(archive);
            status.unload();
        }
    } else if (result == res::UserAbort) {
        log_.event(Now(), name + " self-extract creation aborted by user.");
        log_.close();
        ui.msgBox("Back-up process aborted by user", mb::OKOnly | mb::Exclamation, "Compression Halted");
    } else if (result == res::Halted) {
        log_.close();
        ui.msgBox("Processing Halted. Back-up file not created due to error or user abort",
                  mb::OKOnly | mb::Exclamation, "Abort!");
    } else {
        const std::string text = PavikZip1.ErrorText(qm::zip::textkind::Result, result);
        log_.event(Now(), name + " self-extract creation failed: " + text);
        log_.close();
        if (failure.targetFull(result))
            showDiskFull(ui);
        else
            ui.msgBox(text, mb::OKOnly, DefaultTitle);
    }
}

} // namespace qm::engine
