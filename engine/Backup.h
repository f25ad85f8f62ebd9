#pragma once
// The main window's manual backups, in plain C++: BackupArchive, the entry of
// every manual backup; MakeZip, a ZIP backup (single file, split, spanned);
// MakeEXE, a self-extracting one; MakeAce and MakeAceEXE through WinAce.
// Every build drives the main window's zip control of the zip session
// (session/ZipSession.h), whose handlers paint the progress window and log
// to autoback.log.
//
// The window is reached through MainWindowView, other windows through the
// factories of app::Windows, boxes through UiServices and "now" through the
// session's Clock, so every run is driven and tested without a display.
// While a build yields, the busy switch is on: the main window's commands
// are off and Exit waits for the run, which it asks to stop.
#include "platform/datetime/DateTime.h"
#include "platform/zip/PavikZip.h"
#include "session/ZipSession.h"
#include "store/AutobackLog.h"

#include <exception>
#include <functional>
#include <string>

namespace qm::app {
class BusySwitch;
class MainWindowView;
class ProgramState;
struct Windows;
} // namespace qm::app

namespace qm::store {
enum class ProjectField : int;
}

namespace qm::engine {

// The box and log line of a run-time failure: "Error: " & number & ". " &
// description. A failure that is not a run-time error counts as number 51.
std::string runErrorText(const std::exception& e);

class Backup {
public:
    Backup(qm::app::ProgramState& state, qm::app::MainWindowView& view, qm::app::Windows& windows,
           qm::app::BusySwitch& busy, qm::session::ZipSession& session);
    Backup(const Backup&) = delete;
    Backup& operator=(const Backup&) = delete;

    // The main window's zip control (the session's).
    qm::zip::PavikZip& PavikZip1;

    // ---- Procedures
    // Backs up the one project selected in the project list: loads its
    // record, asks for the archive kind, checks target and source folders
    // and the record, then hands over to the backup procedure of the kind
    // with the delete flag ("Delete old back-up and rebuild"), which the
    // main window then forgets. A failure that escapes the procedure is
    // shown here as "Error: ...".
    void BackupArchive();

    // A ZIP backup of the loaded record, of the kind ZipTypeBut records (2
    // split, 4 spanned, otherwise one file). With `deleteOld`, the file the
    // run is about to write (and a split set's parts) is set aside just
    // before the build, after every dialog and check: dropped when the
    // build succeeds, put back otherwise.
    void MakeZip(bool deleteOld = false);

    // A self-extracting backup of the loaded record, kind 1 (one program in
    // the record's target folder, or in a folder picked when that cannot be
    // used) or 5 (spanned, into a folder picked first). The delete flag as
    // for MakeZip: the one program the run writes waits aside during the
    // build. The record, the project file and the list are not changed.
    void MakeEXE(bool deleteOld = false);

    // ACE through WinAce (session/WinAce.h), kinds 6, 8 (split) and 10
    // (spanned); BackupArchive calls it only when WinAce is found
    // (session::WinAceFound). The run succeeds when WinAce ends with exit
    // code 0 and the archive was made or changed by it (or, as before, is
    // not older than ACELastBackupDate): ACELastBackupDate and
    // ACELastBackupFolder are stamped, the project's row gets the date and
    // the log its success line.
    // A full disk (WinAce's status for it, or error 61 of a step) ends the
    // run as a ZIP backup's does: the disk-full line and box.
    // With `deleteOld` the archive waits aside while WinAce runs.
    void MakeAce(bool deleteOld = false);
    // Self-extracting ACE through WinAce, kinds 7, 9 and 11 (likewise), with
    // WinAce's self-extractor options file sfxopt.ini when the record has a
    // title or an introduction.
    void MakeAceEXE(bool deleteOld = false);

    // Test hook: the build that MakeZip and MakeEXE run instead of
    // PavikZip1.Build (a control that halts, 519, is not at hand otherwise).
    void setBuildForTesting(std::function<int()> build) { buildForTesting_ = std::move(build); }

private:
    // The stages of MakeZip (MakeZip.cpp).
    struct ZipRun;
    bool askZipTarget(bool split, bool spanned);
    // What every manual build does before it starts. The loaded record is
    // checked for `kind` ("zip", "exe", ...), a failure shown.
    bool recordPasses(const char* kind);
    // The log opened for the run, with its first lines: the separator, the
    // start line (ShortName) and the target file.
    void logRunStart(const std::string& targetFile);
    // StatusFrm shown with the run's caption and banner.
    qm::session::StatusView& showProgress();
    // ChooseTargetDir for a spanned or self-extracting backup: ChosenFolder,
    // emptied first, takes the folder chosen in this run ("" after Cancel).
    std::string chooseTargetFolder();
    // A successful backup recorded: the loaded record's `dateField` gets the
    // date and time now and `folderField` `folder`, the project file is
    // saved, the row of the project (found by its file name) gets the date,
    // and the log the success line. A record that cannot be saved is put
    // back as it was and the failure thrown; nothing else happens then.
    void recordSuccess(qm::store::ProjectField dateField, qm::store::ProjectField folderField,
                       const std::string& folder);
    // A build that found its target full: the disk-full line (DiskFullText)
    // ends the run's log, which is closed, and the disk-full box shows.
    void reportTargetFull();
    int buildZip(ZipRun& run);
    void finishZip(ZipRun& run);
    void zipSucceeded(ZipRun& run);
    // The stages of MakeAce and MakeAceEXE (MakeAce.cpp).
    struct AceRun;
    void makeAce(bool selfExtracting, bool deleteOld);
    bool askAceSplitSize(bool selfExtracting);
    bool runAce(AceRun& run);
    void aceSucceeded();
    qm::datetime::DateTime Now() const { return session_.Now(); }

    qm::app::ProgramState& state_;
    qm::app::MainWindowView& view_;
    qm::app::Windows& windows_;
    qm::app::BusySwitch& busy_;
    qm::session::ZipSession& session_;
    qm::store::AutobackLog& log_; // the session's run log
    std::function<int()> buildForTesting_;
};

} // namespace qm::engine
