// The ACE pass: every project due for an automatic ACE backup is archived
// by WinAce under its record's settings, logged in autoback.log and stamped
// in its project file; a summary closes the pass. It runs right after the
// ZIP pass and again after the data-file step.
#include "runner/Runner.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/winace/ExitStatus.h"
#include "runner/ProjectFiles.h"
#include "runner/RecordCheck.h"
#include "runner/RunRecords.h"
#include "store/SystemLookups.h"

#include <optional>

namespace qm::runner {

namespace {

using F = qm::store::ProjectField;

// A normal file at `path` (not a folder); false for bad names and drives.
bool fileThere(const std::string& path)
{
    return qm::fs::exists(path) && !qm::fs::isFolder(path);
}

} // namespace

void Runner::MakeAce()
{
    if (finished_)
        return;
    const std::vector<std::string> files = projectFileNames(file1Path_);
    if (files.empty()) {
        log_.open();
        log_.event(Now(), "No ACE files found to process");
        log_.dashes(qm::store::AutobackLog::PassSeparator);
        log_.close();
    }
    const std::vector<std::string> due = dueProjects(files, "ACE");
    log_.open();
    log_.event(Now(), StartedLine);
    if (due.empty()) {
        log_.event(Now(), "No ACE records due for back up");
        log_.dashes(qm::store::AutobackLog::PassSeparator);
        log_.close();
        return;
    }

    int successes = 0;
    const int count = static_cast<int>(due.size());
    for (int position = 1; position <= count; ++position) {
        if (quitClicked_) {
            log_.event(Now(), "ACE back up operations aborted by user");
            log_.dashes(qm::store::AutobackLog::PassSeparator);
            log_.close();
            FinishRun();
            return;
        }
        const bool checked = backUpAceProject(due[size_t(position - 1)], successes);
        if (position == count) {
            log_.event(Now(), "End of ACE back up operations");
            log_.event(Now(), "Summary:");
            log_.more(std::to_string(count) + "\tProjects due for back-up");
            log_.more(std::to_string(successes) + "\tProjects successfully backed up");
            log_.dashes(qm::store::AutobackLog::PassSeparator);
            log_.close();
        }
        // Every attempt is recorded where the main program's list reads it.
        if (checked)
            state.store.WriteIni("ACE Backup Options", "ACELastBackupDate", qm::datetime::formatDateTime(Now()),
                                 state.store.CurrentProjectIni);
    }
}

bool Runner::backUpAceProject(const std::string& fileName, int& successes)
{
    qm::store::Store& store = state.store;
    NightwickVariables& f = state.Form1;
    const std::string app = qm::fs::appPath();

    store.CurrentProjectIni = app + "\\Projects\\" + fileName;
    LoadProjectForRun(store, projectDocs_.read(store.CurrentProjectIni), "ACE");
    const qm::store::ProjectRecord& rec = store.ProjectRecord(1);
    const std::string& name = rec[F::ProjectName];
    const std::string& target = rec[F::ACEDefaultRestoreFromFolder];
    // A look-up that fails (a drive that is not ready) counts as missing.
    const bool sourceFound = qm::fs::isFolder(rec[F::ProjectFolder]);
    const bool targetFound = qm::fs::isFolder(target);
    if (!sourceFound || !targetFound) {
        projectFailed(fileName, name, missingFolders(rec[F::ProjectFolder], sourceFound, target, targetFound));
        log_.event(Now(), "Error locating ACE either Source or Target folder");
        return false;
    }

    f.ShortName = name;
    f.ProjectFolder = rec[F::ProjectFolder];
    bool failed = false;
    std::string message;
    CheckValues(rec, failed, "ace", message);
    if (failed)
        log_.event(Now(), message); // the project is backed up all the same

    const std::string archive = target + "\\" + rec[F::ACEBackFile];
    qm::store::AceSwitchForm form;
    form.pathStorage = false;
    form.blankInClauses = true;
    qm::store::AceCommand command =
        qm::store::AceBackupCommand(fileThere(archive), qm::store::AceBackupSwitches(rec, app, form));
    std::string list = qm::store::AceListPart(rec, app, false, true);

    std::optional<qm::RtError> error;
    qm::store::ProgramRun run;
    const std::string commentFile = qm::store::AceCommentFile(app);
    bool wroteComment = false;
    try {
        qm::fs::ChDrive(rec[F::ProjectFolder].substr(0, 2));
        qm::fs::ChDir(rec[F::ProjectFolder]);
        if (qm::store::AceCommentNamed(rec, false)) {
            qm::fs::writeFileAtomic(qm::fs::toNative(commentFile), qm::store::AceCommentText(rec, false));
            wroteComment = true;
        }
        run = OpAce(command, archive, target, list);
    } catch (const qm::RtError& e) {
        error = e;
    } catch (const std::exception& e) {
        error = qm::RtError(51, e.what());
    }
    if (wroteComment) {
        try {
            qm::fs::deleteFile(commentFile);
        } catch (const qm::RtError& e) {
            if (!error)
                error = e;
        }
    }
    qm::store::NormalPointer(ui_);

    if (error || !run.started || run.exitCode != 0) {
        const std::string why = error          ? error->description
                                : !run.started ? "WinAce could not be started: " + f.WinAceLocation
                                               : "WinAce ended with exit code " +
                                                     std::to_string(run.exitCode.value_or(-1));
        projectFailed(fileName, name, why);
        log_.event(Now(), why);
    } else {
        log_.event(Now(), name);
        log_.more("successfully backed up to " + target);
        const std::string now = qm::datetime::formatDateTime(Now());
        store.WriteIni("ACE Files and Folders", "ACELastBackupDate", now, store.CurrentProjectIni);
        store.WriteIni("ACE Files and Folders", "ACELastBackupFolder", target, store.CurrentProjectIni);
        ++successes;
        projectBackedUp(fileName);
    }
    // WinAce that filled the disk fails as a step that did.
    if ((error && error->number == qm::rterr::DiskFull) || (!error && run.exitCode == qm::winace::ExitDiskFull))
        log_.event(Now(), DiskFullLine); // the log stays open: the pass goes on
    return true;
}

qm::store::ProgramRun Runner::OpAce(qm::store::AceCommand& strCommand, const std::string& ProjectName,
                                    const std::string& /*BackupFolder*/, std::string& strList)
{
    strCommand.collapse();
    if (!strList.empty())
        strList.insert(0, " ");
    const std::string parameters = qm::store::AceParameterText(strCommand.text(), ProjectName, strList);
    bool AppDone = false;
    return qm::store::DoWait(ui_, state.store.ProjectRecord(1)[F::ProjectFolder], state.Form1.WinAceLocation,
                             parameters, AppDone);
}

} // namespace qm::runner
