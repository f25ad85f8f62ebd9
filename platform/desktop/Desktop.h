#pragma once
// Program groups and file types on the user's desktop, kept as freedesktop
// files under the user's data and configuration folders:
//   - a program group is a menu: $XDG_CONFIG_HOME/menus/applications-merged/
//     quillmate-<group>.menu, its directory file in
//     $XDG_DATA_HOME/desktop-directories, one launcher per item in
//     $XDG_DATA_HOME/applications;
//   - a file type is a MIME type (application/x-quillmate-<type>) with the
//     extension's glob in $XDG_DATA_HOME/mime/packages, a launcher that opens
//     it, and the default in $XDG_CONFIG_HOME/mimeapps.list.
// Commands are Windows command texts; whole Windows-form paths in them are
// mapped to host paths.
#include <filesystem>
#include <string>
#include <string_view>

namespace qm::desktop {

// The program manager's command interface: bracket commands such as
// "[CreateGroup(Tools)]", "[ShowGroup(Tools,1)]" and
// "[AddItem("C:\Tools\run.exe",Run)]".
class ProgramManager {
public:
    virtual ~ProgramManager() = default;
    // False when the command is not understood or cannot be carried out.
    virtual bool execute(std::string_view command) = 0;
};

// Carries the commands out as menu files. Items go into the group created
// last.
class DesktopProgramManager : public ProgramManager {
public:
    bool execute(std::string_view command) override;

private:
    std::string group_;
};

// One registered file type.
struct FileType {
    std::string extension;   // ".txt"
    std::string typeName;    // "TxtFile"
    std::string description;
    std::string openCommand; // Windows command text; "%1" stands for the file
};
// Writes the MIME type, its launcher and the default; false on a failure.
bool registerFileType(const FileType& type);

// The folders used, for tests and for the README.
std::filesystem::path dataHome();
std::filesystem::path configHome();

// The Exec line of a launcher for a Windows command text ("%1" becomes %f).
std::string execLine(std::string_view command);

} // namespace qm::desktop
