#pragma once
// The engine's dialogs shown for real: each call creates the dialog, prepares
// it as its caller would and shows it modally through the window runtime.
#include "engine/EngineForms.h"
#include "engine/forms/StatusFrm.h"

namespace qm::app {
class ProgramState;
}
namespace qm::pickers {
class PickerForms;
}

namespace qm::engine {

class QtEngineForms : public EngineForms {
public:
    // `pickers`: the folder picker of the split-size dialog's target button
    // (none: the button is disabled).
    explicit QtEngineForms(qm::app::ProgramState& state, qm::pickers::PickerForms* pickers = nullptr)
        : state_(state), pickers_(pickers)
    {
    }

    void showBackupType(const qm::session::BackupTypeSetup& setup) override;
    bool showSplitSize(const std::string& ArchiveType, const std::string& ParentForm) override;
    StatusWindow& status() override { return status_; }

private:
    StatusWindow status_;
    qm::app::ProgramState& state_;
    qm::pickers::PickerForms* pickers_;
};

} // namespace qm::engine
