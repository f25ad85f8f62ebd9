#pragma once
// How the backup procedures show the engine's dialogs: through this
// interface, so that they run and are tested without a display. The
// production implementation shows the Qt dialogs modally; tests answer by
// changing the program state as a user's choice would. The archive kind
// dialog and the progress window, which every operation of the main window
// shares, are OperationForms' (session/SessionForms.h).
#include "session/SessionForms.h"

#include <string>

namespace qm::engine {

class EngineForms : public qm::session::OperationForms {
public:
    // frmSplitSize in mode `ArchiveType`, shown modally; the answer is in
    // ZipSplitSize / AceSplitSize and ChosenFolder when it returns. True when
    // the user pressed Okay; false after Cancel, Esc or the frame's close.
    virtual bool showSplitSize(const std::string& ArchiveType, const std::string& ParentForm) = 0;
};

} // namespace qm::engine
