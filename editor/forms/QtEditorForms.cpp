#include "editor/forms/QtEditorForms.h"

#include "app/ProgramState.h"
#include "editor/forms/frmData.h"

#include <QPushButton>

namespace qm::editor {

QtEditorForms::QtEditorForms(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow,
                             qm::pickers::PickerForms& pickers, std::function<void(int context)> showHelp)
    : state_(state), mainWindow_(mainWindow), pickers_(pickers), showHelp_(std::move(showHelp)), dialogs_(state.ui())
{
}

QtEditorForms::~QtEditorForms() { delete open_.data(); }

frmData* QtEditorForms::openEditor() const { return open_.data(); }

void QtEditorForms::showEditor(const EditorOpening& opening)
{
    if (open_)
        open_->close();
    auto* editor = new frmData(state_, mainWindow_, pickers_, dialogs_, opening, showHelp_);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    open_ = editor;
    editor->show();
    // The defaults record cannot take the defaults.
    if (opening.defaults)
        editor->cmdInsDefaults->hide();
}

} // namespace qm::editor
