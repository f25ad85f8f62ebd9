// The ZIP pass: every project due for an automatic ZIP backup is backed up
// with the zip control under its record's settings, logged in autoback.log
// and stamped in its project file; a summary closes the pass, and the tail
// of the run follows.
#include "runner/Runner.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/profile/Profile.h"
#include "platform/zip/ResultCodes.h"
#include "runner/DueRule.h"
#include "runner/ProjectFiles.h"
#include "runner/RecordCheck.h"
#include "runner/RunRecords.h"
#include "store/ZipFromRecord.h"
#include "store/ZipUpdate.h"

namespace qm::runner {

namespace {

using F = qm::store::ProjectField;

// A folder that is there; an empty name, a bad name or a drive that is not
// ready counts as missing.
bool folderFound(const std::string& path)
{
    return !path.empty() && qm::fs::isFolder(path);
}

} // namespace

std::vector<std::string> Runner::dueProjects(const std::vector<std::string>& files, const std::string& format)
{
    // Projects are chosen by their exact file names, so a file that only
    // resembles a due name (or names a pattern) is never taken along.
    const bool zip = format == "ZIP";
    const std::string lastSection = zip ? "Files and Folders-QMT" : "ACE Files and Folders";
    const std::string optionSection = zip ? "Backup Options" : "ACE Backup Options";
    const qm::fs::DriveTableHold sameDrives; // the drive table is checked once for all the files
    std::vector<std::string> due;
    for (const std::string& name : files) {
        const qm::profile::IniDocument& doc = projectDocs_.read(file1Path_ + "\\" + name);
        auto read = [&](const std::string& section, const std::string& key) {
            return qm::profile::getString(doc, section, key, "");
        };
        const std::string kind = read("Backup Options", "AutoBackupFormat");
        const std::string last = read(lastSection, format + "LastBackupDate");
        const std::string option = read(optionSection, format + "BackupOption");
        const std::string frequency = read(optionSection, format + "BackupFrequency");
        if (projectDue(option, kind, format, frequency, last, Now()))
            due.push_back(name);
    }
    return due;
}

void Runner::AutoBegin()
{
    const std::vector<std::string> files = projectFileNames(file1Path_);
    if (files.empty()) {
        log_.open();
        log_.event(Now(), "No files found to process");
        log_.dashes(qm::store::AutobackLog::PassSeparator);
        log_.close();
        runTail();
        return;
    }

    const std::vector<std::string> due = dueProjects(files, "ZIP");
    if (due.empty()) {
        log_.open();
        log_.event(Now(), StartedLine);
        log_.event(Now(), "No records due for back up");
        log_.dashes(qm::store::AutobackLog::PassSeparator);
        log_.close();
        runTail();
        return;
    }

    log_.open();
    log_.event(Now(), StartedLine);
    int successes = 0;
    const int count = static_cast<int>(due.size());
    for (int position = 1; position <= count; ++position) {
        if (!backUpZipProject(due[size_t(position - 1)], successes))
            return; // stopped by the user: the run has ended
        if (position == count) {
            log_.event(Now(), "End of back up operations");
            log_.event(Now(), "Summary:");
            log_.more(std::to_string(position) + "\tProjects due for back-up");
            log_.more(std::to_string(successes) + "\tProjects successfully backed up");
            log_.dashes(qm::store::AutobackLog::PassSeparator);
            log_.close();
        }
    }
    runTail();
}

void Runner::logCancelled(const std::string& name, const std::string& what, const std::string& why)
{
    log_.event(Now(), "Error backing up ZIP project: " + name + ":");
    log_.more(what);
    log_.more(why);
    log_.event(Now(), name + " back-up cancelled");
    log_.dashes(qm::store::AutobackLog::PassSeparator);
}

bool Runner::backUpZipProject(const std::string& fileName, int& successes)
{
    qm::store::Store& store = state.store;
    NightwickVariables& f = state.Form1;
    const std::string app = qm::fs::appPath();

    store.CurrentProjectIni = app + "\\Projects\\" + fileName;
    LoadProjectForRun(store, projectDocs_.read(store.CurrentProjectIni), "ZIP");
    const qm::store::ProjectRecord& rec = store.ProjectRecord(1);
    const std::string& name = rec[F::ProjectName];
    const std::string& target = rec[F::ZIPDefaultRestoreFromFolder];

    const bool sourceFound = folderFound(rec[F::ProjectFolder]);
    const bool targetFound = folderFound(target);
    if (!sourceFound || !targetFound) {
        // The log names the target whichever folder is missing (its readers
        // know the lines as they are); the failure names the missing ones.
        projectFailed(fileName, name, missingFolders(rec[F::ProjectFolder], sourceFound, target, targetFound));
        logCancelled(name, "Target folder (" + target + ")", "not found or drive not ready");
        return true;
    }

    f.ShortName = name;
    f.ProjectFolder = rec[F::ProjectFolder];
    f.ZIPBackFile = rec[F::ZIPBackFile];
    f.ZipDefaultRestoreFrom = target;
    f.ZIPDoSubFolders = rec[F::ZIPDoSubFolders];
    f.UseComments = rec[F::ZIPUseComments];
    f.ZIPComments = rec[F::ZIPComments];

    bool failed = false;
    std::string message;
    CheckValues(rec, failed, "zip", message);
    if (failed)
        log_.event(Now(), message); // the project is backed up all the same

    const int extraHeaders = qm::store::ExtraHeaderValue(rec);
    view_.setStatus("Compressing " + name + " files");
    f.ProjectName = target + "\\" + rec[F::ZIPBackFile];

    qm::store::ZipSetup setup;
    setup.archivePath = f.ProjectName;
    setup.extraHeaders = extraHeaders;
    setup.appPath = app;
    setup.userTempFolder = store.UserOptionsRecord(1).UserTempFolder;
    const qm::store::ZipSetupResult prepared = qm::store::SetZipProperties(PavikZip1, rec, setup);
    store.TempFolder = prepared.TempFolder;
    if (prepared.listFailed) {
        PavikZip1.ResetToDefaults();
        const std::string what = "File list (" + prepared.listFile + ")";
        const std::string why = "not found or could not be read";
        projectFailed(fileName, name, what + " " + why);
        logCancelled(name, what, why);
        return true;
    }

    int result = qm::zip::result::Ok;
    int errorNumber = 0;
    if (quitClicked_) {
        // Quit came while the control was not building (it was dating the
        // archive before, and each operation starts with the flag down):
        // this project is stopped before it starts.
        result = qm::zip::result::UserAbort;
    } else {
        try {
            result = PavikZip1.Build();
        } catch (const qm::RtError& e) {
            errorNumber = e.number;
            result = -1;
            message = e.description;
        } catch (const std::exception& e) {
            result = -1;
            message = e.what();
        }
    }

    if (result == qm::zip::result::Ok) {
        log_.event(Now(), name);
        log_.more("successfully backed up to " + target);
        // Both stamps in one rewrite of the project file.
        const std::string date = qm::datetime::formatDateTime(Now());
        store.WriteIniValues(store.CurrentProjectIni, {{"Files and Folders-QMT", "ZIPLastBackupDate", date},
                                                       {"Files and Folders-QMT", "ZIPLastBackupFolder", target}});
        ++successes;
        projectBackedUp(fileName);
    } else if (result == qm::zip::result::UserAbort && quitClicked_) {
        projectFailed(fileName, name, "backup operations aborted by user");
        log_.event(Now(), name + " backup operations aborted by user");
        log_.dashes(qm::store::AutobackLog::PassSeparator);
        log_.close();
        FinishRun();
        return false;
    } else if (result == qm::zip::result::Halted || result == qm::zip::result::UserAbort) {
        // Stopped without the Quit button (a disk that could not be had):
        // this project failed, the run goes on.
        projectFailed(fileName, name, "processing halted due to error");
        log_.event(Now(), name + " processing halted due to error.");
        log_.dashes(qm::store::AutobackLog::PassSeparator);
    } else {
        const std::string why =
            (result == -1 ? message : PavikZip1.ErrorText(qm::zip::textkind::Result, result)) + " for " + name;
        projectFailed(fileName, name, why);
        log_.event(Now(), why);
    }

    // The control reports a full disk by its result code.
    if (errorNumber == qm::rterr::DiskFull || result == qm::zip::result::DiskFull)
        log_.event(Now(), DiskFullLine);

    if (rec[F::ZIPArchiveDate] == "latest" && result != qm::zip::result::UserAbort) {
        std::string archive = PavikZip1.ArchivePath;
        qm::store::CheckDate(PavikZip1, archive);
    }
    return true;
}

} // namespace qm::runner
