#pragma once
// How the rest of the program opens the folder and file pickers: through
// this interface, from app::Windows. A picker is modal and returns its
// answer; the caller writes it where it belongs (the split-size dialog into
// Text2 and ChosenFolder, the main window's copy into TargetCopy, the
// editor into the record field of its column, ...). What a picker writes of
// its own, whoever the caller is, stays inside the picker.
#include <optional>
#include <string>

namespace qm::pickers {

// Who opens the target folder dialog ChooseTargetDir.
struct FolderRequest {
    std::string ParentForm;     // "Form1", "frmData", "UserOptions" or "frmSplitSize"
    std::string LoadedFromForm; // "RestoreFrm" when the restore dialog opens it
    std::string caption;        // empty: the dialog's own caption
};

// Who opens the folder and file picker, and what it lists.
struct FileRequest {
    std::string ParentForm;     // "Form1", "frmAddFiles", "UserOptions", ...
    std::string pattern;        // the file list's pattern; empty: every file
    std::string caption;        // empty: the dialog's own caption
};

class PickerForms {
public:
    virtual ~PickerForms() = default;
    // ChooseTargetDir: the folder or drive chosen (Windows form), nothing
    // after Cancel, the close box or a failure.
    virtual std::optional<std::string> chooseTargetDir(const FolderRequest& request) = 0;
    // The file picker: the chosen file's full path, nothing when none was chosen.
    virtual std::optional<std::string> chooseFile(const FileRequest& request) = 0;
};

} // namespace qm::pickers
