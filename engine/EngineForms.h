#pragma once
// How the backup procedures show the engine's dialogs: through this
// interface, so that they run and are tested without a display. The
// production implementation shows the Qt dialogs modally; tests answer by
// changing the program state as a user's choice would.
#include <string>

namespace qm::engine {

struct BackupTypeSetup;
class StatusView;

class EngineForms {
public:
    virtual ~EngineForms() = default;
    // frmBackupType, prepared as `setup`, shown modally; the answer is in the
    // main window's ProjectType, ZipTypeBut and Check1 when it returns.
    virtual void showBackupType(const BackupTypeSetup& setup) = 0;
    // frmSplitSize in mode `ArchiveType`, shown modally; the answer is in
    // ZipSplitSize / AceSplitSize and ChosenFolder when it returns. True when
    // the user pressed Okay; false after Cancel, Esc or the frame's close.
    virtual bool showSplitSize(const std::string& ArchiveType, const std::string& ParentForm) = 0;
    // StatusFrm, the progress window of a build (made on first use).
    virtual StatusView& status() = 0;
};

} // namespace qm::engine
