#pragma once
// The restore dialog RestoreFrm in plain C++: what it shows when it loads,
// what a click on an archive changes, its target folder button, Cancel, and
// the restore run of its Restore button with the dialog's own zip control
// and its events. The form (restore/forms/RestoreFrm) maps its controls to
// RestoreChoice and shows what RestoreView asks; everything else is here.
//
// The run takes one of three roads by the archive's extension: QMT and ZIP
// archives are extracted by PavikZip1 with the dialog's overwrite and date
// rules and the project's password; a self-extracting EXE is started and
// the dialog stays open; an ACE archive is extracted by WinAce. Every other
// end of a run closes the dialog and brings the main window back; the checks
// before a run (the archive, the target folder, an installed WinAce for an
// ACE archive) leave it open.
#include "platform/zip/PavikZip.h"
#include "platform/zip/ZipEvents.h"
#include "restore/RestoreView.h"
#include "store/AceCommandLine.h"
#include "store/ShellExecute.h"

#include <optional>
#include <string>

namespace qm::app {
class BusySwitch;
class MainWindowView;
class ProgramState;
struct Windows;
} // namespace qm::app
namespace qm::session {
class StatusView;
}

namespace qm::restore {

class RestoreRun : private qm::zip::ZipEvents {
public:
    RestoreRun(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, qm::app::Windows& windows,
               qm::app::BusySwitch& busy, qm::session::StatusView& progress);
    ~RestoreRun() override;
    RestoreRun(const RestoreRun&) = delete;
    RestoreRun& operator=(const RestoreRun&) = delete;

    // The dialog's own zip control.
    qm::zip::PavikZip PavikZip1;
    std::string ParentForm;  // who opened the dialog ("Form1")
    bool AppDone = false;    // the done flag of the dialog's WinAce runner

    // The dialog this run talks to, while it is open.
    void attach(RestoreView* view) { view_ = view; }

    RestoreLoad Form_Load() const;
    // The "..." button: the target folder dialog; the folder chosen for
    // txtTargetFolder, nothing when none was.
    std::optional<std::string> Command1_Click();
    // Cancel, and the dialog's close box: the dialog unloads and the main
    // window shows again; true when it did. While a run is under way it
    // does not: a restore by the zip control is asked to stop (and then
    // ends as an aborted one), a wait for WinAce runs to its end.
    bool CancelBut_Click();
    // The Restore button. Ignored while a run is under way.
    void RestoreArchive(const RestoreChoice& choice);
    bool running() const { return running_; }

    // The dialog's WinAce runner: `strCommand` collapsed in place, `strList`
    // given a blank in front when it is not empty, and WinAce
    // (session::LocateWinAce) run with the parameter text of the restore
    // dialog's letters in the current folder, waited for, then its action
    // log shown (for every letter but "l", and only when WinAce started).
    // An action log that cannot be read throws qm::RtError 53. `folder` is
    // not used.
    qm::store::ProgramRun OpAce(qm::store::AceCommand& strCommand, const std::string& archive,
                                const std::string& folder, std::string& strList);
    // WinAce started in the current folder and waited for; `done` is true
    // afterwards.
    qm::store::ProgramRun DoWait(const std::string& program, const std::string& parameters, bool& done);

    // ---- The handlers of PavikZip1's events
    void PavikZip1_TotalProgress(int percent);
    void PavikZip1_DiskRequest(int disk, bool& ready);
    void PavikZip1_FileSkipped(const std::string& name, int reason);

private:
    // The roads: the zip control's result; what went wrong with WinAce.
    int zipRoad(const std::string& archive, const std::string& target, const RestoreChoice& choice);
    std::optional<std::string> aceRoad(const std::string& archive, const std::string& target,
                                       const RestoreChoice& choice);
    // The end of a run: the normal pointer, the progress window gone, the
    // box of `result` (none: WinAce's success) or of `failure`, the dialog
    // unloaded and the main window shown.
    void endOfRun(std::optional<int> result, const std::optional<std::string>& failure = std::nullopt);
    void unload();

    void TotalProgress(int percent) override;
    void DiskRequest(int disk, bool& ready) override;
    void FileSkipped(const std::string& name, const std::string& source, const std::string& target,
                     int reason) override;

    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    qm::app::Windows& windows_;
    qm::app::BusySwitch& busy_;
    qm::session::StatusView& progress_; // the main window's progress window
    RestoreView* view_ = nullptr;
    bool running_ = false;
    bool stopAsked_ = false; // Exit asked the run to stop
};

} // namespace qm::restore
