#pragma once
// Nightwick's run: the logic of its main window without the window. Start-up
// (Form_Load), the timer that runs the whole run once (Timer1_Timer), the
// ZIP pass (AutoBegin), the tail with the ACE passes and the data-file step,
// the Quit button (Command1_Click) and the end of the run (FinishRun).
//
// The window is reached only through RunnerView; boxes through UiServices;
// "now" through a Clock, so the run can be driven without a display.
//
// FinishRun ends the run: it asks the view to end the process and every
// step after it returns at once, so nothing of the run happens after it.
//
// The run keeps the due projects it did not back up, each with its reason,
// so the program can tell its caller (exitStatus). The reason is the log's,
// except after a folder check: the log's lines for it are fixed (the ZIP
// pass names the target folder whichever is missing, the ACE pass neither),
// so the reason names the folders that are missing.
#include "platform/datetime/Clock.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ZipEvents.h"
#include "runner/ProjectDocuments.h"
#include "runner/RunnerView.h"
#include "runner/RunnerState.h"
#include "store/AceCommandLine.h"
#include "store/AutobackLog.h"
#include "store/ShellExecute.h"

#include <functional>
#include <string>
#include <vector>

namespace qm::ui {
class UiServices;
}

namespace qm::runner {

inline constexpr const char* MainCaption = "Quillmate, version 3.0: Back up and Restore your favorite folders";
inline constexpr const char* UseMaxCaption = "Archiving all Projects Due for Back-up";
inline constexpr int Timer1Interval = 1000; // ms from load to the run
inline constexpr const char* DoneTitle = "Archiving Done";
inline constexpr const char* DoneMessage = "Archive processing complete.\r\nYou can view the log file to get the status.";
// Log lines both backup passes write.
inline constexpr const char* StartedLine = "Quillmate automated back up operation started ";
inline constexpr const char* DiskFullLine =
    "Target Drive/Directory has insufficient space to store your database. Choose another location and try again.";

// A due project the run did not back up.
struct ProjectFailure {
    std::string file;   // its project file in the Projects folder
    std::string name;   // its ProjectName
    std::string reason; // why: the run log's words, or the folders a folder check missed
};

class Runner : private qm::zip::ZipEvents {
public:
    Runner(qm::ui::UiServices& ui, const qm::datetime::Clock& clock, RunnerView& view);
    ~Runner() override;
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    RunnerState state;
    qm::zip::PavikZip PavikZip1;
    // Where WinAce's path and version come from (GetWinAceInfo by default).
    std::function<void(std::string& path, std::string& version)> winAceLookup;

    // ---- The window's handlers
    // Prepares Temp and the project folder, the argument rule ("usemax",
    // exactly, alone) and WinAce's path.
    void Form_Load(const std::vector<std::string>& arguments);
    // Runs the whole run, once: user options, ZIP pass and tail, end.
    void Timer1_Timer();
    // Quit: stops a running ZIP backup and unloads the windows. Before the
    // run has started the program simply ends.
    void Command1_Click();

    // ---- The run
    void AutoBegin();
    // The ACE pass (AcePass.cpp): every project due for an automatic ACE
    // backup, in the Projects folder's order, archived by WinAce from its
    // source folder, logged, and stamped key by key: ACELastBackupDate and
    // ACELastBackupFolder under "ACE Files and Folders" after a success
    // (WinAce started and ended with exit code 0), ACELastBackupDate under
    // "ACE Backup Options" after every project that passed its folder check.
    // Quit between projects ends the run.
    virtual void MakeAce();
    // The runner's WinAce runner: the command collapsed in place, a blank
    // put before a list part, WinAce (WinAceLocation) started with the
    // parameter text from the loaded record's source folder and waited for.
    // A source folder that cannot be made current throws qm::RtError.
    qm::store::ProgramRun OpAce(qm::store::AceCommand& strCommand, const std::string& ProjectName,
                                const std::string& BackupFolder, std::string& strList);
    // The data-file backup QMBackupData.exe of the Projects folder in the
    // user options' ProjectINIBackupPath (DataFiles.cpp): logged, and
    // UserLastINIBackup stamped again once it is made. No box is shown.
    virtual void BackupDataFiles(std::string& UserDBBackupPath);
    // Whether this build can make the data-file backup at all. Without it
    // the tail never stamps UserLastINIBackup, so no backup is recorded
    // that was never made.
    virtual bool DataFileBackupBuilt() const;
    // Shows the completion message when started with "usemax", unloads the
    // windows and ends the program. Only the first call acts.
    void FinishRun();

    bool finished() const { return finished_; }
    // The due projects not backed up, in the order they first failed; a
    // project that failed and then succeeded later in the run is not here,
    // and one that failed twice is here once, with its last reason. The
    // data-file backup is no project and never here.
    const std::vector<ProjectFailure>& failures() const { return failures_; }
    // 0 when every due project was backed up (or none was due); 1 when one
    // failed or Quit stopped the run.
    int exitStatus() const { return failures_.empty() && !quitClicked_ ? 0 : 1; }
    const std::string& File1Path() const { return file1Path_; }
    qm::store::AutobackLog& log() { return log_; }
    qm::datetime::DateTime Now() const { return clock_.now(); }

protected:
    qm::ui::UiServices& ui() const { return ui_; }
    RunnerView& view() const { return view_; }

private:
    // After the ZIP projects: ACE pass, data-file decision and stamp,
    // data-file backup, second ACE pass.
    void runTail();
    // The files of `files` whose project is due for the pass of `format`
    // ("ZIP" or "ACE"), in their order.
    std::vector<std::string> dueProjects(const std::vector<std::string>& files, const std::string& format);
    // The ZIP pass's part.
    // Backs up one due project; false when the user stopped the run.
    bool backUpZipProject(const std::string& fileName, int& successes);
    // The log's lines of a ZIP project not backed up: what was wrong (`what`
    // and `why`, a line each) and that its backup was cancelled.
    void logCancelled(const std::string& name, const std::string& what, const std::string& why);
    // The ACE pass's part: one due project; false when it failed its folder check.
    bool backUpAceProject(const std::string& fileName, int& successes);
    // The reason of a project that failed its folder check: the folders that
    // are not there, each with its name ("Source folder (…)", "Target folder
    // (…)", or both), and "not found or drive not ready".
    static std::string missingFolders(const std::string& source, bool sourceFound, const std::string& target,
                                      bool targetFound);
    // What became of the due project in `fileName`, for failures().
    void projectFailed(const std::string& fileName, const std::string& name, const std::string& reason);
    void projectBackedUp(const std::string& fileName);

    // The zip control's events during a backup.
    void TotalProgress(int percent) override;
    void CommentRequest(std::string& comment) override;
    // Nobody can change disks during an unattended run: a spanned archive
    // goes on the disk that is in the drive, and a request for any further
    // disk is refused, which stops that project's build.
    void DiskRequest(int disk, bool& ready) override;
    // A warning (an old entry found damaged and made anew, a file that
    // changed while it was read) is logged as the main window logs it.
    void Warning(const std::string& name, int code) override;

    qm::ui::UiServices& ui_;
    const qm::datetime::Clock& clock_;
    RunnerView& view_;
    qm::store::AutobackLog log_;
    ProjectDocuments projectDocs_; // each project file read once for its due check and its backup
    std::string file1Path_;
    bool timerFired_ = false;
    bool quitBeforeRun_ = false;
    bool quitClicked_ = false;
    bool finished_ = false;
    std::vector<ProjectFailure> failures_;
};

} // namespace qm::runner
