#pragma once
// The ZIP manager's file and folder prompts. The dialogs themselves stand
// behind FileDialogs (the Qt file dialog in the program, a script in tests);
// what the tool asks for, and how the answer comes back, is decided here.
#include <optional>
#include <string>
#include <vector>

namespace qm::zipmanager {

// The published open-file-name flags the tool's requests carry.
namespace ofn {
inline constexpr int OverwritePrompt = 0x2;
inline constexpr int HideReadOnly = 0x4;
inline constexpr int NoChangeDir = 0x8;
inline constexpr int AllowMultiSelect = 0x200;
inline constexpr int FileMustExist = 0x1000;
inline constexpr int Explorer = 0x80000;
inline constexpr int LongNames = 0x200000;
} // namespace ofn

struct FileDialogRequest {
    std::string title;
    // "description|pattern|description|pattern...", patterns separated by ";".
    std::string filter;
    std::string fileName;
    int flags = 0;
    bool save = false;
    std::string initialFolder; // Windows form; "" = where the dialog opens by itself
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The files chosen, in Windows form; none when cancelled. Several only
    // when the request allows it.
    virtual std::vector<std::string> chooseFiles(const FileDialogRequest& request) = 0;
    // The folder chosen, in Windows form; nothing when cancelled or when the
    // choice is no folder of the file system.
    virtual std::optional<std::string> chooseFolder(const std::string& title) = 0;
};

// The main window's file dialog. Kinds: 0 "Open Zip File", 1 "New Zip File"
// (save), 5 "Select self-extractor binary", 6 "Select files to process"
// (several files). Gives the chosen name, several files of kind 6 as one
// text (the folder, then each name, separated by NUL characters), or ""
// when cancelled; any other kind shows nothing and gives "".
std::string ShowFileDialog(FileDialogs& dialogs, int kind);
// The request ShowFileDialog makes for `kind`; nothing for an unknown kind.
std::optional<FileDialogRequest> fileDialogRequest(int kind);

// The folder-browse dialog: true and `folder` set when a folder was chosen;
// false, with `folder` as it was, otherwise.
bool BrowseForFolder(FileDialogs& dialogs, std::string& folder, const std::string& title);

// One text for the files chosen: "" for none, the full path of one, else
// the folder of the first, then each name, separated by NUL characters.
std::string fileDialogAnswer(const std::vector<std::string>& chosen);

// A filter text ("a|b|c|d") as the Qt dialog takes it: one entry per pair,
// "description (patterns)", patterns separated by blanks; "*.*" becomes
// "*" so that it also shows names without a dot.
std::vector<std::string> nameFilters(const std::string& filter);

} // namespace qm::zipmanager
