// MakeAce and MakeAceEXE: manual ACE backups through WinAce, logged in
// autoback.log. WinAce writes the archive; the run judges it by WinAce's
// exit code and by the archive file before and after.
#include "engine/Backup.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "engine/CheckValues.h"
#include "engine/EngineForms.h"
#include "engine/RunParts.h"
#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/ui/UiServices.h"
#include "platform/winace/ExitStatus.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ResultCodes.h"
#include "platform/zip/Volumes.h"
#include "session/ArchiveKinds.h"
#include "session/WinAce.h"
#include "store/AceCommandLine.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

#include <chrono>
#include <memory>
#include <optional>

namespace qm::engine {

namespace {

using F = qm::store::ProjectField;
using namespace qm::ui;
namespace kind = qm::session::kind;

constexpr const char* NoWinAceText = "ACE compression requires that you have installed\r\n"
                                     "WinACE 2.11 or later. Quillmate could not\r\n"
                                     "locate that program on your system.";

// The archive file as it was: whether a normal file is there, its size and time.
struct FileState {
    bool exists = false;
    std::uint64_t size = 0;
    qm::fs::FileTime modified{};
    bool operator==(const FileState&) const = default;
};

FileState fileState(const std::string& path)
{
    try {
        const qm::fs::FileEntry e = qm::fs::fileInfo(path);
        if ((e.attributes & qm::fs::attr::Directory) == 0)
            return {true, e.size, e.modified};
    } catch (const std::exception&) {
    }
    return {};
}

qm::datetime::DateTime localTime(qm::fs::FileTime t)
{
    return qm::datetime::fromTimeT(std::chrono::system_clock::to_time_t(t));
}

// The registered WinAce is looked up afresh and sfxopt.ini written for it.
// False (after its box) when WinAce is not registered or older than 2.11.
bool writeSfxOptions(UiServices& ui, const qm::store::ProjectRecord& rec, const std::string& app)
{
    std::string path, version;
    qm::store::GetWinAceInfo(path, version);
    if (path.empty()) {
        qm::store::NormalPointer(ui);
        qm::app::showError(ui, NoWinAceText);
        return false;
    }
    const std::size_t slash = path.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!version.empty()) {
        // A version that is not a number counts as too old.
        const std::optional<double> number = qm::datetime::parseNumber(version);
        if (!number || *number < qm::store::WinAceMinimumVersion) {
            qm::store::NormalPointer(ui);
            qm::app::showError(ui, "ACE compression requires WinAce version 2.11 or later.\r\nYour installed version is " +
                                       version);
            return false;
        }
    }
    qm::fs::writeFileAtomic(qm::fs::toNative(qm::store::AceSfxOptionsFile(app)),
                            "[OPTIONS]\r\nTITLE=" + rec[F::ACESFXProjectCaption] + "\r\nSFXFILE=" + folder +
                                "\\SFXFILES\\WGUI_EN.SFX\r\nINFO=" + rec[F::ACESFXProjectIntro] + "\r\n");
    return true;
}

} // namespace

// What one run carries from stage to stage.
struct Backup::AceRun {
    bool selfExtracting = false;
    bool deleteOld = false;
    std::string app;       // the program folder
    std::string target;    // the archive's folder
    std::string archive;   // its path
    qm::store::AceCommand switches;
    int lastError = 0;     // the run-time error of the steps that go on regardless
};

void Backup::MakeAce(bool deleteOld) { makeAce(false, deleteOld); }

void Backup::MakeAceEXE(bool deleteOld) { makeAce(true, deleteOld); }

void Backup::makeAce(bool selfExtracting, bool deleteOld)
{
    qm::app::Form1Variables& f = state_.Form1;
    UiServices& ui = state_.ui();
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    const bool split = f.ZipTypeBut.value(selfExtracting ? kind::AceExeMulti : kind::AceMulti);
    const bool spanned = f.ZipTypeBut.value(selfExtracting ? kind::AceExeSpan : kind::AceSpan);
    f.ShortName = rec[F::ProjectName];
    f.ProjectFolder = rec[F::ProjectFolder];

    AceRun run;
    run.selfExtracting = selfExtracting;
    run.deleteOld = deleteOld;
    run.app = qm::fs::appPath();
    run.target = rec[selfExtracting ? F::ACESFXDefaultExtractFolder : F::ACEDefaultRestoreFromFolder];
    run.archive = run.target + "\\" + rec[selfExtracting ? F::ACESFXBackFile : F::ACEBackFile];
    if (selfExtracting && run.target.empty()) {
        qm::app::showError(ui, TargetFolderMessage(rec));
        return;
    }
    if (split && !askAceSplitSize(selfExtracting))
        return;
    // The spanned kinds ask for a folder only so that the user may cancel:
    // the archive goes to the record's target folder.
    if (spanned && chooseTargetFolder().empty())
        return;
    if (!recordPasses(selfExtracting ? "aceexe" : "ace"))
        return;
    logRunStart(run.archive);
    // A split set never takes a file that is a part of another archive's
    // set beside it (another kind's of the same name in this folder).
    if (split) {
        if (const std::optional<qm::zip::OtherSetsFile> clash =
                qm::zip::otherSetsPart(run.archive, selfExtracting ? 2 : 1)) {
            const std::string text = qm::zip::resultTextNaming(qm::zip::result::PartOfAnotherSet,
                                                               qm::fs::fromNative(clash->file),
                                                               qm::fs::fromNative(clash->owner));
            log_.event(Now(), text);
            log_.close();
            qm::app::showError(ui, text);
            return;
        }
    }
    log_.close();
    qm::store::BusyPointer(ui);

    qm::store::AceSwitchForm form;
    form.selfExtracting = selfExtracting;
    form.volumes = split ? qm::store::AceVolumes::Split
                   : spanned ? qm::store::AceVolumes::Spanned
                             : qm::store::AceVolumes::One;
    form.splitSize = f.AceSplitSize;
    run.switches = qm::store::AceBackupSwitches(rec, run.app, form);
    if (selfExtracting && (!rec[F::ACESFXProjectCaption].empty() || !rec[F::ACESFXProjectIntro].empty()) &&
        !writeSfxOptions(ui, rec, run.app))
        return;

    const bool succeeded = runAce(run);
    qm::store::NormalPointer(ui);
    if (run.lastError == qm::rterr::DiskFull) {
        reportTargetFull();
        return;
    }
    if (succeeded)
        aceSucceeded();
}

bool Backup::askAceSplitSize(bool selfExtracting)
{
    qm::app::Form1Variables& f = state_.Form1;
    const bool okay = windows_.engine.showSplitSize(selfExtracting ? "ACEEXE" : "ACE", "Form1");
    if (f.AceSplitSize.empty()) {
        qm::app::showError(state_.ui(), "No Split Size set. Aborting operation.");
        return false;
    }
    if (!okay || f.AceSplitSize == "Abort") {
        state_.ui().msgBox("Operation cancelled.", mb::OKOnly | mb::Information, "User abort");
        return false;
    }
    return true;
}

bool Backup::runAce(AceRun& run)
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    // From here on a failing step is noted and the run goes on; WinAce's exit
    // code and the archive file decide the outcome.
    auto attempt = [&run](auto&& step) {
        try {
            step();
            return true;
        } catch (const qm::RtError& e) {
            run.lastError = e.number;
        } catch (const std::exception&) {
            run.lastError = 51;
        }
        return false;
    };

    // "Delete old back-up and rebuild": the old archive, with the parts of
    // a split set, waits aside while WinAce makes a new one from the files
    // alone, and comes back whole unless the run succeeds.
    std::unique_ptr<qm::zip::KeptSet> previous;
    // What a killed run left aside.
    attempt([&] { qm::zip::settleLeftAside(run.archive, qm::zip::Settler::Writing); });
    if (run.deleteOld)
        attempt([&] { previous = std::make_unique<qm::zip::KeptSet>(run.archive); });
    const FileState before = fileState(run.archive);
    qm::store::AceCommand command = qm::store::AceBackupCommand(before.exists, run.switches);
    std::string list = qm::store::AceListPart(rec, run.app, run.selfExtracting);
    const std::string& source = rec[F::ProjectFolder];
    attempt([&] {
        qm::fs::ChDrive(source.substr(0, 2));
        qm::fs::ChDir(source);
    });

    const std::string commentFile = qm::store::AceCommentFile(run.app);
    bool wroteComment = false;
    qm::store::ProgramRun ace;
    attempt([&] {
        if (qm::store::AceCommentNamed(rec, run.selfExtracting)) {
            qm::fs::writeFileAtomic(qm::fs::toNative(commentFile), qm::store::AceCommentText(rec, run.selfExtracting));
            wroteComment = true;
        }
        ace = session_.winAce().OpAce(command, run.archive, run.target, list);
    });
    // WinAce that filled the disk fails as a step that did.
    if (ace.exitCode == qm::winace::ExitDiskFull)
        run.lastError = qm::rterr::DiskFull;
    if (wroteComment)
        attempt([&] { qm::fs::deleteFile(commentFile); });

    const FileState after = fileState(run.archive);
    bool succeeded = ace.succeeded() && after.exists;
    if (succeeded && after == before) {
        // Left as it was: only a time not before the last backup's counts.
        const std::optional<qm::datetime::DateTime> last =
            qm::datetime::parseDateTime(rec[F::ACELastBackupDate]);
        succeeded = !last || localTime(after.modified) >= *last;
    }
    if (previous)
        previous->settle(succeeded);
    return succeeded;
}

void Backup::aceSucceeded()
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    try {
        // The self-extracting backup too records the plain ACE target folder.
        recordSuccess(F::ACELastBackupDate, F::ACELastBackupFolder, rec[F::ACEDefaultRestoreFromFolder]);
    } catch (const std::exception& e) {
        qm::app::showError(state_.ui(), runErrorText(e));
        return;
    }
    state_.Form1.mRowCount = 0;
}

} // namespace qm::engine
