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
// end of a run closes the dialog and brings the main window back.
#include "platform/zip/PavikZip.h"
#include "platform/zip/ZipEvents.h"
#include "restore/RestoreView.h"

#include <optional>
#include <string>

namespace qm::app {
class BusySwitch;
class MainWindowView;
class ProgramState;
struct Windows;
} // namespace qm::app
namespace qm::restore {

class RestoreRun : private qm::zip::ZipEvents {
public:
    RestoreRun(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, qm::app::Windows& windows,
               qm::app::BusySwitch& busy);
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

    // ---- The handlers of PavikZip1's events
    void PavikZip1_TotalProgress(int percent);
    void PavikZip1_DiskRequest(int disk, bool& ready);
    void PavikZip1_FileSkipped(const std::string& name, int reason);

private:
    // The roads; each gives what the end of the run reports.
    int zipRoad(const std::string& archive, const std::string& target, const RestoreChoice& choice);
    void aceRoad(const std::string& archive, const std::string& target, const RestoreChoice& choice);
    void endOfRun(std::optional<int> result);
    void unload();

    void TotalProgress(int percent) override;
    void DiskRequest(int disk, bool& ready) override;
    void FileSkipped(const std::string& name, const std::string& source, const std::string& target,
                     int reason) override;

    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    qm::app::Windows& windows_;
    qm::app::BusySwitch& busy_;
    RestoreView* view_ = nullptr;
    bool running_ = false;
};

} // namespace qm::restore
