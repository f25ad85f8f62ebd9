#pragma once
// The windows the main window's operations share, as the zip session and
// the operations of the subsystems reach them. Two subsystems show them: the
// engine its archive kind dialog and progress window (engine::EngineForms
// extends OperationForms), restore its contents window and WinAce's action
// log (restore::RestoreForms extends ReportForms). Whoever builds the session
// hands both over (mainwindow/Procedures); tests hand fakes
// (tests/support/FakeWindows.h).
#include <array>
#include <string>

namespace qm::zip {
struct ListedEntry;
}

namespace qm::session {

struct BackupTypeSetup;
class StatusView;

// The windows an operation opens while it runs.
class OperationForms {
public:
    virtual ~OperationForms() = default;
    // frmBackupType, prepared as `setup`, shown modally; the answer is in the
    // main window's ProjectType, ZipTypeBut and Check1 when it returns.
    virtual void showBackupType(const BackupTypeSetup& setup) = 0;
    // StatusFrm, the progress window of a build (made on first use).
    virtual StatusView& status() = 0;
};

// The captions of the contents window's summary labels Label1 to Label10.
using ContentsSummary = std::array<std::string, 10>;

// The windows an operation reports in: the archive contents window as the
// main window's listing fills it, and WinAce's action log.
class ReportForms {
public:
    virtual ~ReportForms() = default;
    // A listed entry becomes the row at the 1-based position `index` of the
    // contents window (made, not shown, when there is none); its list stays
    // hidden while rows come in.
    virtual void addContentsRow(int index, const qm::zip::ListedEntry& entry) = 0;
    // lblDescription, the archive comment (the window made, not shown, when
    // there is none).
    virtual void setContentsComment(const std::string& text) = 0;
    // The summary labels Label1 to Label10, in that order (made, not shown,
    // when there is none).
    virtual void setContentsSummary(const ContentsSummary& labels) = 0;
    // The list made visible and repainted (made, not shown, when there is none).
    virtual void showContentsList() = 0;
    // frmAction, WinAce's action log beside WinAceLocation: read first (a log
    // that is missing or cannot be read throws qm::RtError 53 and nothing
    // shows), then listed in the window shown modally; returns when it closes.
    virtual void showActionLog(const std::string& WinAceLocation) = 0;
};

} // namespace qm::session
