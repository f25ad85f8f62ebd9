#pragma once
// The record editor shown for real: each opening makes a new frmData, shown
// not modal, which is deleted when it closes. One editor is open at a time:
// opening another closes the one before.
#include "editor/EditorForms.h"
#include "editor/forms/QtEditorDialogs.h"

#include <QPointer>

#include <functional>

namespace qm::app {
class MainWindowView;
class ProgramState;
} // namespace qm::app

namespace qm::pickers {
class PickerForms;
}

namespace qm::editor {

class frmData;

class QtEditorForms : public EditorForms {
public:
    // `pickers` opens the folder dialog of the folder cells; `showHelp` the
    // help viewer at a help context (the editor's Help).
    QtEditorForms(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow,
                  qm::pickers::PickerForms& pickers, std::function<void(int context)> showHelp = {});
    ~QtEditorForms() override;

    void showEditor(const EditorOpening& opening) override;

    // The editor that is open; nullptr when none is.
    frmData* openEditor() const;

private:
    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    qm::pickers::PickerForms& pickers_;
    std::function<void(int)> showHelp_;
    // The editor's dialogs; frmAddFiles' members outlive every editor.
    QtEditorDialogs dialogs_;
    QPointer<frmData> open_;
};

} // namespace qm::editor
