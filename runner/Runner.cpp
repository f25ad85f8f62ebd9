#include "runner/Runner.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/ui/UiServices.h"
#include "runner/DueRule.h"
#include "runner/RunRecords.h"
#include "store/ProgramFolders.h"
#include "store/SystemLookups.h"

#include <algorithm>

namespace qm::runner {

Runner::Runner(qm::ui::UiServices& ui, const qm::datetime::Clock& clock, RunnerView& view)
    : state(ui), winAceLookup(qm::store::GetWinAceInfo), ui_(ui), clock_(clock), view_(view),
      log_(qm::store::AutobackLog::defaultPath()), projectDocs_(ui)
{
    PavikZip1.addEventSink(this);
    PavikZip1.setYieldHook([this] { ui_.doEvents(); });
}

Runner::~Runner()
{
    PavikZip1.removeEventSink(this);
}

void Runner::Form_Load(const std::vector<std::string>& arguments)
{
    const std::string app = qm::fs::appPath();
    try {
        if (!qm::fs::isFolder(qm::store::ProgramTempFolder(app)))
            qm::fs::makeFolder(qm::store::ProgramTempFolder(app));
    } catch (const std::exception&) {
        // A run without its Temp folder still backs up projects that do not use it.
    }
    file1Path_ = app + "\\Projects";

    if (arguments.size() == 1 && arguments[0] == "usemax") {
        state.Form1.LeaveMessage = true;
        view_.setCaption(UseMaxCaption);
    }

    // A missing or unreadable version means WinAce is not used.
    state.Form1.WinAceLocation = qm::store::UsableWinAcePath(winAceLookup);
}

void Runner::Timer1_Timer()
{
    if (timerFired_ || quitBeforeRun_)
        return;
    timerFired_ = true;
    LoadUserOptionsForRun(state.store);
    AutoBegin();
    FinishRun();
}

void Runner::Command1_Click()
{
    quitClicked_ = true;
    PavikZip1.AbortRequested = true;
    view_.unloadAllWindows();
    if (!timerFired_ && !finished_) {
        // No run yet: with its windows gone the program ends.
        quitBeforeRun_ = true;
        finished_ = true;
        view_.endProcess();
    }
}

void Runner::runTail()
{
    if (finished_)
        return;
    if (quitClicked_) {
        // Quit came after the last archive was built: the run ends with the
        // step that was running.
        FinishRun();
        return;
    }
    MakeAce();
    if (finished_)
        return;

    NightwickVariables& f = state.Form1;
    const qm::store::UserOptionsRecord& u = state.store.UserOptionsRecord(1);
    f.UserDBBackupPath = u.ProjectINIBackupPath;
    if (f.UserDBBackupPath.empty() || !qm::fs::isFolder(f.UserDBBackupPath)) {
        FinishRun();
        return;
    }

    const bool due = DataFileBackupBuilt() && u.UserBackINIOption == "automatic" &&
                     scheduleDue(u.UserBackINISchedule, u.UserLastINIBackup, Now());
    if (due) {
        // Stamped before the backup is made: a backup that fails is not
        // tried again before the schedule falls due again.
        state.store.WriteIni("User Options", "UserLastINIBackup", qm::datetime::formatDateTime(Now()),
                             qm::fs::appPath() + "\\Options\\User Options");
    }
    view_.unloadMainWindow();
    if (due)
        BackupDataFiles(f.UserDBBackupPath);
    if (finished_)
        return;
    MakeAce();
}

void Runner::FinishRun()
{
    if (finished_)
        return;
    finished_ = true;
    log_.close();
    if (state.Form1.LeaveMessage)
        ui_.msgBox(DoneMessage, qm::ui::mb::OKOnly | qm::ui::mb::Information, DoneTitle);
    view_.unloadAllWindows();
    view_.endProcess();
}

void Runner::projectFailed(const std::string& fileName, const std::string& name, const std::string& reason)
{
    const auto same = [&](const ProjectFailure& f) { return f.file == fileName; };
    const auto at = std::find_if(failures_.begin(), failures_.end(), same);
    if (at == failures_.end())
        failures_.push_back({fileName, name, reason});
    else
        *at = {fileName, name, reason};
}

std::string Runner::missingFolders(const std::string& source, bool sourceFound, const std::string& target,
                                  bool targetFound)
{
    std::string missing;
    if (!sourceFound)
        missing = "Source folder (" + source + ")";
    if (!targetFound)
        missing += missing.empty() ? "Target folder (" + target + ")" : " and target folder (" + target + ")";
    return missing + " not found or drive not ready";
}

void Runner::projectBackedUp(const std::string& fileName)
{
    std::erase_if(failures_, [&](const ProjectFailure& f) { return f.file == fileName; });
}

void Runner::TotalProgress(int percent)
{
    view_.setProgress(PavikZip1.ArchivePath + ": " + std::to_string(percent) + "% complete", percent);
}

void Runner::DiskRequest(int disk, bool& ready)
{
    ready = disk == 1;
}

void Runner::Warning(const std::string& name, int code)
{
    log_.event(Now(), name + " warning.");
    log_.more(PavikZip1.ErrorText(qm::zip::textkind::Skip, code));
}

void Runner::CommentRequest(std::string& comment)
{
    if (state.Form1.UseComments == "yes")
        comment = state.Form1.ZIPComments;
}

} // namespace qm::runner
