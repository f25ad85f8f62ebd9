#pragma once
// How the main window opens the record editor frmData: through this
// interface, from app::Windows. The editor is shown not modal and works on
// element 1 of ProjectRecord, read from the file CurrentProjectIni names,
// which the opener sets first.
#include <string>

namespace qm::editor {

struct EditorOpening {
    bool AddMode = false;      // a record just created by AddNew
    bool defaults = false;     // the defaults record (its insert-defaults button hidden)
    std::string ParentForm = "Form1";
};

class EditorForms {
public:
    virtual ~EditorForms() = default;
    virtual void showEditor(const EditorOpening& opening) = 0;
};

} // namespace qm::editor
