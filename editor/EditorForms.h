#pragma once
// How the main window opens the record editor frmData, and how the editor
// opens its own dialogs: through these interfaces, so that the logic runs
// and is tested without a display. The editor is shown not modal and works
// on element 1 of ProjectRecord, read from the file CurrentProjectIni
// names, which the opener sets first.
#include <optional>
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

// ---- The editor's own dialogs

class FileListEditor;
class CloneComment;
class SlotEditor;

// frmAddFiles' public members. They keep their values from one opening of
// the dialog to the next (its controls start afresh every time).
struct AddFilesMembers {
    std::string strOld;         // what Cancel hands back (nobody sets it)
    std::string ParentForm;     // the opener's name; not acted on
    int GridCol = 0;            // the opener's grid column; not acted on
    std::string strArchiveType; // the list kind: "ZIP", "ZIPEXE", "ACE" or "ACEEXE"
    bool CancelAdd = false;     // the file picker was cancelled last time
    std::string FileScope;      // "ProjectFolder", "Systemwide", or "" before any choice
};

// The open-file dialog CommonDialog1.
struct OpenFileRequest {
    std::string title;
    std::string defaultExtension; // added to a name typed without one
    std::string fileName;         // the name box at the start
    std::string filter;           // the names listed
};

// Each dialog is shown modally over its logic, which its opener has made
// and prepared; the dialog's controls map to it and its buttons call it.
class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;

    AddFilesMembers frmAddFiles;

    // frmAddFiles, "Files for Backing Up".
    virtual void showAddFiles(FileListEditor& dialog) = 0;
    // frmCloneComment, "Re-Use Comment".
    virtual void showCloneComment(CloneComment& dialog) = 0;
    // frmExtensions or frmProgramGroup, as the slot editor's kind says.
    virtual void showSlots(SlotEditor& dialog) = 0;
    // The file chosen, in Windows form; nothing when the dialog was closed
    // without a choice.
    virtual std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) = 0;
};

} // namespace qm::editor
