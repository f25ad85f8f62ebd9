#pragma once
// The main window's zip session: the zip control PavikZip1 that the main
// window owns for its whole life, with its yield hook (DoEvents), the
// handlers of its events, the run log (autoback.log) and the clock. Every
// operation of the main window on an archive drives this one control: the
// manual backups (engine/Backup), the test and the listings
// (restore/Restore), the data-file backup (mainwindow/DataBackup). So a
// build's progress reaches the progress window, and a listing's rows,
// comment and summary the contents window, whoever drives it.
//
// The windows are reached through OperationForms and ReportForms
// (SessionForms.h), boxes through UiServices and "now" through a Clock, so
// every run is driven and tested without a display.
#include "platform/datetime/Clock.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ZipEvents.h"
#include "session/WinAce.h"
#include "store/AutobackLog.h"

#include <string>

namespace qm::app {
class BusySwitch;
class ProgramState;
} // namespace qm::app

namespace qm::session {

class OperationForms;
class ReportForms;
class StatusView;

class ZipSession : private qm::zip::ZipEvents {
public:
    ZipSession(qm::app::ProgramState& state, qm::app::BusySwitch& busy, OperationForms& operations,
               ReportForms& reports, const qm::datetime::Clock& clock = qm::datetime::systemClock());
    ~ZipSession() override;
    ZipSession(const ZipSession&) = delete;
    ZipSession& operator=(const ZipSession&) = delete;

    // The main window's zip control.
    qm::zip::PavikZip PavikZip1;

    // autoback.log, open while an operation logs.
    qm::store::AutobackLog& log() { return log_; }
    qm::datetime::DateTime Now() const { return clock_.now(); }
    // The archive kind dialog and the progress window.
    OperationForms& operationForms() { return operations_; }
    StatusView& status();
    // The main window's WinAce runner, its action log shown in ReportForms.
    WinAceRunner winAce() { return WinAceRunner(state_, reports_, busy_); }

    // Fills the summary of the archive contents window for the archive
    // `ArchivePath` and shows its list (also when the archive cannot be read,
    // which is reported in a box).
    void ViewArchiveInfo(std::string& ArchivePath);
    // store::CheckDate on PavikZip1: the archive stamped with its newest
    // entry's date. Its listing is not a viewing: no entry reaches the
    // contents window.
    void StampArchiveDate(std::string& ArchivePath);

    // ---- The handlers of PavikZip1's events
    void PavikZip1_FileProgress(const std::string& name);
    void PavikZip1_TotalProgress(int percent);
    void PavikZip1_DiskRequest(int disk, bool& ready);
    void PavikZip1_EntryNaming(std::string& storedName, const std::string& sourcePath);
    void PavikZip1_FileSkipped(const std::string& name, int reason);
    void PavikZip1_Warning(const std::string& name, int code);
    void PavikZip1_CommentRequest(std::string& comment);
    void PavikZip1_FileListed(const qm::zip::ListedEntry& entry);

private:
    // The zip control's events, passed to the handlers above.
    void FileProgress(const std::string& name, int percent) override;
    void TotalProgress(int percent) override;
    void DiskRequest(int disk, bool& ready) override;
    void EntryNaming(std::string& storedName, const std::string& sourcePath) override;
    void FileSkipped(const std::string& name, const std::string& source, const std::string& target,
                     int reason) override;
    void Warning(const std::string& name, int code) override;
    void CommentRequest(std::string& comment) override;
    void FileListed(const qm::zip::ListedEntry& entry) override;

    qm::app::ProgramState& state_;
    qm::app::BusySwitch& busy_;
    OperationForms& operations_;
    ReportForms& reports_;
    const qm::datetime::Clock& clock_;
    qm::store::AutobackLog log_;
    // While the archive's date is stamped its listing is not a viewing.
    bool stamping_ = false;
};

} // namespace qm::session
