#pragma once
// How the procedures show the windows of restore, test and archive viewing:
// through this interface, from app::Windows, so that they run and are
// tested without a display. The production implementation is
// restore/forms/QtRestoreForms.h.
#include "restore/ViewZipRow.h"

#include <array>
#include <string>

namespace qm::restore {

class RestoreRun;

// The captions of the contents window's summary labels Label1 to Label10.
using ContentsSummary = std::array<std::string, 10>;

// How a listing opens the contents window.
struct ContentsOpening {
    std::string caption;       // "Viewing: ..."
    std::string ProjectName;   // the archive its operations work on (Windows form)
    std::string ParentForm;    // "Form1" for a project's listing, else empty
    std::string strRunCommand; // the command-line argument of a command-line listing
};

class RestoreForms {
public:
    virtual ~RestoreForms() = default;
    // RestoreFrm over `run`, shown modally; returns once it has unloaded.
    virtual void showRestore(RestoreRun& run) = 0;

    // frmViewZip, the archive contents window: one at a time, made when there
    // is none, its rows cleared, set up as `opening` says and shown not
    // modal. When it unloads the main window shows itself again.
    virtual void showContents(const ContentsOpening& opening) = 0;
    // The contents window closed (nothing happens when there is none).
    virtual void unloadContents() = 0;
    virtual bool contentsVisible() const = 0;
    // A listed entry becomes the row at the 1-based position `index` of the
    // contents window (made, not shown, when there is none); its list stays
    // hidden while rows come in.
    virtual void addContentsRow(int index, const ViewZipRow& row) = 0;
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

} // namespace qm::restore
