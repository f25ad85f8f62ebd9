// MakeZip: a manual ZIP backup of the loaded record, logged in autoback.log.
#include "engine/Backup.h"

#include "app/BusySwitch.h"
#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "engine/EngineForms.h"
#include "engine/RunParts.h"
#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"
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

#include <optional>

namespace qm::engine {

namespace {

using F = qm::store::ProjectField;
using namespace qm::ui;
namespace kind = qm::session::kind;

} // namespace

// What one run carries from stage to stage.
struct Backup::ZipRun {
    explicit ZipRun(const qm::store::ProjectRecord& r) : rec(r) {}
    const qm::store::ProjectRecord& rec;
    bool split = false;
    bool spanned = false;
    bool deleteOld = false;
    int result = qm::zip::result::Ok;
    BuildFailure failure;
};

void Backup::MakeZip(bool deleteOld)
{
    qm::app::Form1Variables& f = state_.Form1;
    qm::store::Store& store = state_.store;
    UiServices& ui = state_.ui();
    // The comment request hands over the record's comment while this run builds.
    f.OpType = "zip";
    const AtExit clearOpType{[&f] { f.OpType.clear(); }};

    ZipRun run{store.ProjectRecord(1)};
    const qm::store::ProjectRecord& rec = run.rec;
    run.split = f.ZipTypeBut.value(kind::ZipMulti);
    run.spanned = f.ZipTypeBut.value(kind::ZipSpan);
    run.deleteOld = deleteOld;
    f.ShortName = rec[F::ProjectName];
    f.ProjectFolder = rec[F::ProjectFolder];

    if (!askZipTarget(run.split, run.spanned))
        return;
    if (!recordPasses("zip"))
        return;

    logRunStart(rec[F::ZIPDefaultRestoreFromFolder] + "\\" + rec[F::ZIPBackFile]);
    const AtExit closeLog{[this] { log_.close(); }};
    qm::store::BusyPointer(ui);
    qm::app::BusySwitch::Operation running = busy_.begin([this] { PavikZip1.AbortRequested = true; });
    qm::session::StatusView& status = showProgress();

    run.result = buildZip(run);
    qm::store::NormalPointer(ui);
    status.unload();
    finishZip(run);
}

bool Backup::askZipTarget(bool split, bool spanned)
{
    qm::app::Form1Variables& f = state_.Form1;
    if (split) {
        if (!windows_.engine.showSplitSize("ZIP", "Form1"))
            return false; // cancelled: the run ends quietly
        if (f.ZipSplitSize.empty()) {
            qm::app::showError(state_.ui(), "No Split Size set. Aborting operation.");
            return false;
        }
        if (state_.ChosenFolder.empty()) {
            qm::app::showError(state_.ui(), "No Target drive/folder set. Aborting operation.");
            return false;
        }
    } else if (spanned && chooseTargetFolder().empty()) {
        return false;
    }
    return true;
}

int Backup::buildZip(ZipRun& run)
{
    qm::app::Form1Variables& f = state_.Form1;
    qm::store::Store& store = state_.store;
    const qm::store::ProjectRecord& rec = run.rec;
    const std::string archiveName = rec[F::ZIPBackFile] + (run.split || run.spanned ? ".zip" : "");
    f.ProjectName = rec[F::ZIPDefaultRestoreFromFolder] + "\\" + archiveName;
    try {
        qm::store::ZipSetup setup;
        setup.archivePath =
            run.split || run.spanned ? qm::fs::joinPath(state_.ChosenFolder, archiveName) : f.ProjectName;
        setup.extraHeaders = qm::store::ExtraHeaderValue(rec);
        setup.appPath = qm::fs::appPath();
        setup.userTempFolder = store.UserOptionsRecord(1).UserTempFolder;
        if (run.split) {
            setup.layout = qm::store::ZipSetup::Layout::Split;
            const std::optional<long long> size = qm::datetime::parseWholeNumber(f.ZipSplitSize);
            if (!size)
                throw qm::RtError(13, "Type mismatch: the split size " + f.ZipSplitSize + " is not a number");
            setup.splitPartSize = *size;
        } else if (run.spanned) {
            setup.layout = qm::store::ZipSetup::Layout::Spanned;
        }
        setup.blankMethod = std::nullopt;
        setup.strictLimits = true;
        const qm::store::ZipSetupResult prepared = qm::store::SetZipProperties(PavikZip1, rec, setup);
        store.TempFolder = prepared.TempFolder;
        if (prepared.listFailed)
            throw qm::fs::makeRtError(qm::rterr::FileNotFound, prepared.listFile);
        if (!prepared.badLimit.empty())
            throw qm::RtError(13, "Type mismatch: " + prepared.badLimit + " is not a date or size");

        // "Delete old back-up and rebuild": the files alone make the new
        // archive, which takes the old one's place only when whole.
        const int result = buildForTesting_ ? buildForTesting_() : PavikZip1.Build(run.deleteOld);
        return result;
    } catch (const std::exception& e) {
        run.failure.note(e);
        return -1;
    }
}

void Backup::finishZip(ZipRun& run)
{
    UiServices& ui = state_.ui();
    namespace res = qm::zip::result;
    if (run.failure.targetFull(run.result)) {
        reportTargetFull();
    } else if (run.failure.text) {
        log_.event(Now(), *run.failure.text);
        log_.close();
        qm::app::showError(ui, *run.failure.text);
    } else if (run.result == res::Ok) {
        zipSucceeded(run);
    } else if (run.result == res::UserAbort) {
        log_.event(Now(), "Back-up process aborted by user.");
        log_.close();
        ui.msgBox("Back-up process aborted by user", mb::OKOnly | mb::Exclamation, "Compression Halted");
    } else if (run.result == res::Halted) {
        log_.event(Now(), "Processing halted due to error or user abort.");
        log_.close();
        ui.msgBox("Processing Halted. QMT file not created due to error or user abort", mb::OKOnly | mb::Exclamation,
                  "Abort!");
    } else {
        const std::string text = PavikZip1.ErrorText(qm::zip::textkind::Result, run.result);
        log_.event(Now(), text);
        log_.close();
        ui.msgBox(text, mb::OKOnly, DefaultTitle);
        qm::store::NormalPointer(ui);
        windows_.engine.status().unload();
    }
}

void Backup::zipSucceeded(ZipRun& run)
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    try {
        recordSuccess(F::ZIPLastBackupDate, F::ZIPLastBackupFolder, rec[F::ZIPDefaultRestoreFromFolder]);
    } catch (const std::exception& e) {
        run.failure.note(e);
        finishZip(run);
        return;
    }
    log_.close();
    state_.Form1.mRowCount = 0;
    state_.ui().msgBox("Back-up operation successful.", mb::OKOnly, "Success!");
    if (rec[F::ZIPArchiveDate] == "latest") {
        std::string archive = PavikZip1.ArchivePath;
        session_.StampArchiveDate(archive);
        windows_.engine.status().unload();
    }
}

} // namespace qm::engine
