#pragma once
// The pickers shown for real: each call makes the dialog, prepares it as its
// caller asks and shows it modally through the window runtime. When the
// map-drive command of a picker has mapped a drive, the picker is made and
// shown again for the same request, so that it lists the new drive.
#include "pickers/PickerForms.h"
#include "pickers/forms/PickerTrees.h"

namespace qm::app {
class ProgramState;
class MainWindowView;
} // namespace qm::app

namespace qm::pickers {

class QtPickerForms : public PickerForms {
public:
    // `mainWindow` is repainted after an Okay for the main window.
    explicit QtPickerForms(qm::app::ProgramState& state, qm::app::MainWindowView* mainWindow = nullptr)
        : state_(state), mainWindow_(mainWindow)
    {
    }

    // The command behind the Command2 of both pickers and of the network
    // browser (disabled while there is none); the program's is
    // networkDriveCommand (frmMapDrive.h).
    void setMapNetworkDrive(MapDriveCommand command) { mapNetworkDrive_ = std::move(command); }

    FolderAnswer chooseTargetDir(const FolderRequest& request) override;
    FileAnswer chooseFile(const FileRequest& request) override;
    Ending showNetworkMap() override;
    Ending showUnMapDrive(const std::string& ParentForm) override;

private:
    qm::app::ProgramState& state_;
    qm::app::MainWindowView* mainWindow_;
    MapDriveCommand mapNetworkDrive_;
};

} // namespace qm::pickers
