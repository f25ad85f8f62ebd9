#include "pickers/forms/QtPickerForms.h"

#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "pickers/forms/ChooseTargetDir.h"
#include "pickers/forms/PickDirFrm.h"
#include "pickers/forms/frmNetworkMap.h"
#include "pickers/forms/frmUnMapDrive.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

namespace qm::pickers {

FolderAnswer QtPickerForms::chooseTargetDir(const FolderRequest& request)
{
    for (;;) {
        ChooseTargetDir dialog(state_.ui(), mapNetworkDrive_);
        dialog.ParentForm = request.ParentForm;
        dialog.LoadedFromForm = request.LoadedFromForm;
        if (!request.caption.empty())
            dialog.setWindowTitle(qm::ui::qs(request.caption));
        state_.ui().showModal(dialog);
        if (dialog.reloadWanted())
            continue;
        if (request.ParentForm == "Form1" && dialog.answer().ending != Ending::Cancel && dialog.result() &&
            mainWindow_)
            mainWindow_->repaintList();
        return dialog.answer();
    }
}

FileAnswer QtPickerForms::chooseFile(const FileRequest& request)
{
    for (;;) {
        PickDirFrm dialog(state_.ui(), mapNetworkDrive_);
        dialog.ParentForm = request.ParentForm;
        dialog.GridColumn = request.GridColumn;
        dialog.apply(request);
        state_.ui().showModal(dialog);
        if (!dialog.reloadWanted())
            return dialog.answer();
    }
}

Ending QtPickerForms::showNetworkMap()
{
    frmNetworkMap dialog(state_.ui(), mapNetworkDrive_);
    state_.ui().showModal(dialog);
    if (dialog.ending() == Ending::Cancel)
        state_.ChosenFolder = "";
    return dialog.ending();
}

Ending QtPickerForms::showUnMapDrive(const std::string& ParentForm)
{
    frmUnMapDrive dialog(state_.ui());
    dialog.ParentForm = ParentForm;
    state_.ui().showModal(dialog);
    if (dialog.ending() == Ending::Cancel)
        state_.ChosenFolder = "";
    return dialog.ending();
}

} // namespace qm::pickers
