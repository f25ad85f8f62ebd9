#pragma once
// The logic of the file list editor frmAddFiles, "Files for Backing Up":
// for one archive kind of the project in the record editor it settles which
// files a backup processes, every file of the source folder ("*") or the
// entries of the kind's file list ("(list)"). Okay writes the entries to the
// list's working copy ("-hold") and sets the editor's flag for the kind; the
// record's Save commits it. The value to store goes back to the editor
// through CurrentFilesToProcess ("" for nothing).
//
// One object is one opening: the controls live here as plain data, which the
// form shows after every call; the public members that outlive an opening
// are AddFilesMembers (EditorForms.h).
#include "editor/EditorForms.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::app {
class ProgramState;
}
namespace qm::pickers {
class PickerForms;
}

namespace qm::editor {

// frmData's flags of the working copies written while it is open.
struct ListFlags {
    bool& NewZip;
    bool& NewZIPEXE;
    bool& NewACE;
    bool& NewACEEXE;
    // The flag of a list kind; nullptr for anything else.
    bool* of(std::string_view kind) const;
};

// Label3's caption for a list kind; "" for anything else.
std::string_view kindCaption(std::string_view kind);

class FileListEditor {
public:
    FileListEditor(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers, AddFilesMembers& members,
                   ListFlags flags);

    AddFilesMembers& members;

    // ---- The controls
    std::vector<std::string> List1;
    bool List1Enabled = true;
    bool Check1 = false;          // "Process all files in the Source folder ..."
    std::optional<int> Option1;   // the scope button on: 0 project folder, 1 system-wide
    std::string Label3;
    std::string lblProjectName;   // the project's name, set by the opener
    std::string lblProjectFolder;

    // Check1 set to `on` (by the user or by code); a change empties the list.
    void setCheck1(bool on);

    // The dialog becomes the active window: its first showing, and its
    // return from the file picker. Shows the project folder; loads the list
    // as CurrentFilesToProcess says ("*" ticks Check1, "(list)" reads the
    // kind's list: the working copy when this editor wrote one, else the
    // committed list; other text is one entry); the kind's caption in
    // Label3. A list that cannot be read is reported with "Error: ".
    void Form_Activate();

    // A scope button: the scope, clearing a list that does not fit it.
    void Option1_Click(int index);
    // Add Files: the scope chosen by the entries, the file picker prepared
    // for it and shown; its entries are appended.
    void cmdAdd_Click();
    // Remove: the entries at `selected` (indexes into List1).
    void Command1_Click(const std::vector<int>& selected);
    // Clear List.
    void cmdClear_Click();
    // "Use same file list as" kind `index` (0 "ZIP" ... 3 "ACEEXE").
    void OptCloneList_Click(int index);
    // The list of `project` and `kind`, its working copy first, becomes
    // List1; with neither, "No list found!" and List1 stays.
    void CheckList(const std::string& project, const std::string& kind);
    // Okay: blank entries dropped; "*" for no entry or the one entry "*",
    // else the entries go to the working copy and the value is "(list)".
    // False when the dialog stays open (the working copy could not be
    // written, or an entry holds a line break).
    bool cmdOkay_Click();
    // Cancel: strOld handed back.
    void cmdCancel_Click();

private:
    bool isZipKind() const;
    bool isAceKind() const;
    int absoluteEntries() const;
    void clearForScope();
    void fillFrom(const std::vector<std::string>& lines);

    qm::app::ProgramState& state_;
    qm::pickers::PickerForms& pickers_;
    ListFlags flags_;
    bool activated_ = false;
};

} // namespace qm::editor
