#pragma once
// How the procedures show the windows of restore, test and archive viewing:
// through this interface, from app::Windows, so that they run and are
// tested without a display. The production implementation is
// restore/forms/QtRestoreForms.h. What the main window's listings and WinAce
// runs fill (the contents window's rows, comment, summary and list, and
// WinAce's action log) is ReportForms' (session/SessionForms.h).
#include "session/SessionForms.h"

#include <string>

namespace qm::restore {

class RestoreRun;

// How a listing opens the contents window.
struct ContentsOpening {
    std::string caption;       // "Viewing: ..."
    std::string ProjectName;   // the archive its operations work on (Windows form)
    std::string ParentForm;    // "Form1" for a project's listing, else empty
    std::string strRunCommand; // the command-line argument of a command-line listing
};

class RestoreForms : public qm::session::ReportForms {
public:
    // RestoreFrm over `run`, shown modally; returns once it has unloaded.
    virtual void showRestore(RestoreRun& run) = 0;

    // frmViewZip, the archive contents window: one at a time, made when there
    // is none, its rows cleared, set up as `opening` says and shown not
    // modal. When it unloads the main window shows itself again.
    virtual void showContents(const ContentsOpening& opening) = 0;
    // The contents window closed (nothing happens when there is none).
    virtual void unloadContents() = 0;
    virtual bool contentsVisible() const = 0;
};

} // namespace qm::restore
