#pragma once
// How the rest of the program opens the folder and file pickers and the two
// network drive dialogs: through this interface, from app::Windows. A picker is modal and returns how it
// ended and what was chosen; the caller hands that to its writer
// (PickerWriters.h), which puts it where it belongs (the split-size
// dialog's Text2 and ChosenFolder, the main window's TargetCopy, the record
// field of the editor's column, ...).
#include <string>
#include <vector>

namespace qm::pickers {

enum class Ending {
    Okay,   // something was chosen (for the file picker: possibly nothing)
    Cancel, // the Cancel button
    Closed, // the window's close box, or an Okay that failed after its
            // message: nothing is written
};

// Who opens the target folder dialog ChooseTargetDir. Each opening sets the
// one member its caller uses.
struct FolderRequest {
    std::string ParentForm;     // "Form1", "frmData", "UserOptions" or "frmSplitSize"
    std::string LoadedFromForm; // "RestoreFrm" when the restore dialog opens it
    std::string caption;        // empty: the dialog's own caption
};

struct FolderAnswer {
    Ending ending = Ending::Closed;
    std::string path; // Okay: the folder or drive chosen ("C:", "C:\x", "\\SRV\share")

    static FolderAnswer okay(std::string folder) { return {Ending::Okay, std::move(folder)}; }
    static FolderAnswer cancel() { return {Ending::Cancel, {}}; }
};

// Who opens the folder and file picker PickDirFrm, and what it lists.
struct FileRequest {
    std::string ParentForm; // "Form1", "UserOptions" or "frmAddFiles"
    // "Form1": the file name looked for. Empty: the dialog's own ("*.exe"
    // for "Form1" and "UserOptions", every file for the others).
    std::string pattern;
    std::string caption;    // empty: the dialog's own caption
    int GridColumn = 0;     // "UserOptions": the grid's current column (1, 2)
    // "frmAddFiles": the folder its file list starts in ("" none), and
    // whether the trees can be used (false: a list of the project folder's
    // own files, which takes bare names).
    std::string folder;
    bool treesEnabled = true;
};

struct FileAnswer {
    Ending ending = Ending::Closed;
    bool network = false;             // chosen on the "Network" tab
    std::vector<std::string> entries; // Okay: full paths (bare names for a
                                      // project-folder list); may be empty

    static FileAnswer okay(std::vector<std::string> chosen, bool onNetwork = false)
    {
        return {Ending::Okay, onNetwork, std::move(chosen)};
    }
    static FileAnswer cancel() { return {Ending::Cancel, false, {}}; }
};

class PickerForms {
public:
    virtual ~PickerForms() = default;
    // ChooseTargetDir, "Choose Target Drive and/or Target Folder".
    virtual FolderAnswer chooseTargetDir(const FolderRequest& request) = 0;
    // PickDirFrm, "Choose Drive, Directory, and File".
    virtual FileAnswer chooseFile(const FileRequest& request) = 0;
    // The network browser frmNetworkMap, "Map Network Drive", with no caller
    // name, and the disconnect dialog frmUnMapDrive, "Select Mapped Drive to
    // Disconnect", for `ParentForm`. Both are modal and hand nothing back;
    // their Cancel empties ChosenFolder. They say how they ended.
    virtual Ending showNetworkMap() = 0;
    virtual Ending showUnMapDrive(const std::string& ParentForm) = 0;
};

} // namespace qm::pickers
