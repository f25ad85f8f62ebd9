#pragma once
// The record editor's own dialogs shown for real: each opening makes its
// window over the logic the editor prepared and shows it modally.
#include "editor/EditorForms.h"

namespace qm::ui {
class UiServices;
}

namespace qm::editor {

class QtEditorDialogs : public EditorDialogs {
public:
    explicit QtEditorDialogs(qm::ui::UiServices& ui) : ui_(ui) {}

    void showAddFiles(FileListEditor& dialog) override;
    void showCloneComment(CloneComment& dialog) override;
    void showSlots(SlotEditor& dialog) override;
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override;

private:
    qm::ui::UiServices& ui_;
};

} // namespace qm::editor
