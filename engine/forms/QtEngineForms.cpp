#include "engine/forms/QtEngineForms.h"

#include "app/ProgramState.h"
#include "engine/forms/frmBackupType.h"
#include "engine/forms/frmSplitSize.h"
#include "platform/ui/UiServices.h"
#include "session/BackupType.h"

namespace qm::engine {

void QtEngineForms::showBackupType(const qm::session::BackupTypeSetup& setup)
{
    frmBackupType dialog(state_);
    dialog.apply(setup);
    state_.ui().showModal(dialog);
}

bool QtEngineForms::showSplitSize(const std::string& ArchiveType, const std::string& ParentForm)
{
    frmSplitSize dialog(state_, pickers_);
    dialog.ArchiveType = ArchiveType;
    dialog.ParentForm = ParentForm;
    state_.ui().showModal(dialog);
    return dialog.result() == QDialog::Accepted;
}

} // namespace qm::engine
