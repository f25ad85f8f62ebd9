#pragma once
// The record operations of the main window: add, edit, delete, rename and
// clone a project, and edit the defaults record. They work on the selected
// rows of the project list, the project files of the Projects folder and
// the file lists of the Filelists folder, and open the record editor on the
// file CurrentProjectIni names.
//
// A refusal (selection, name, No, Cancel) changes nothing on disk. A project
// file that cannot be created, moved or copied is reported as "Error: "
// number CR LF description, and the project files and lists stay as they
// were; the file-list steps after it pass their errors over.
#include <optional>
#include <string>

namespace qm::editor {
class EditorForms;
}

namespace qm::app {

class FileListBox;
class MainWindowView;
class ProgramState;
struct ListRow;

// The operation that asks for a project name.
enum class NameFor { AddNew, Rename, Clone };

// How a typed name fares: ok, or the message that refuses it (critical,
// "Error!"); an empty message ends the operation without one.
struct NameCheck {
    bool ok = false;
    std::string message;
};

// The checks of a new name, in order: a name that is no plain file name of
// the Projects folder (":", "\", "/", one of < > | " * ?, a control
// character, ".", "..", a leading "." or a blank at either end) is illegal; an empty name is
// "Illegal name." for AddNew and ends the others silently; more than 50
// characters is too long; a name File1 holds, in any case, exists already.
NameCheck checkNewName(const std::string& name, NameFor op, const FileListBox& File1);

class RecordOps {
public:
    RecordOps(ProgramState& state, MainWindowView& view, qm::editor::EditorForms& editor);

    void AddNew();
    void EditRecord();
    void DeleteRecord();
    void RenameRecord();
    void CloneRecord();
    void ShowDefaults();

private:
    // The one selected row; otherwise the message for none or more than one
    // (`purpose`: "editing", "renaming", "cloning") and nothing.
    std::optional<ListRow> selectOne(const std::string& purpose);
    // The name typed into the prompt, once it passes the checks.
    std::optional<std::string> askName(NameFor op, const std::string& prompt, const std::string& title,
                                       const std::string& initial);
    // ProjectName of the file CurrentProjectIni names, in quotes.
    void writeProjectName(const std::string& name);

    ProgramState& state_;
    MainWindowView& view_;
    qm::editor::EditorForms& editor_;
};

} // namespace qm::app
