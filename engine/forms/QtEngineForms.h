#pragma once
// The engine's dialogs shown for real: each call creates the dialog, prepares
// it as its caller would and shows it modally through the window runtime.
#include "engine/EngineForms.h"

#include <functional>

namespace qm::app {
class ProgramState;
}

namespace qm::engine {

class frmSplitSize;

class QtEngineForms : public EngineForms {
public:
    explicit QtEngineForms(qm::app::ProgramState& state) : state_(state) {}

    void showBackupType(const BackupTypeSetup& setup) override;
    void showSplitSize(const std::string& ArchiveType, const std::string& ParentForm) override;

    // The folder picker the split-size dialog's target button opens.
    void setChooseTargetDir(std::function<void(frmSplitSize&)> picker) { picker_ = std::move(picker); }

private:
    qm::app::ProgramState& state_;
    std::function<void(frmSplitSize&)> picker_;
};

} // namespace qm::engine
