#pragma once
// Finding the program a launch names: on PATH, relative to a start folder,
// with the ".exe" rule (the name as written first, then without ".exe"), and
// "Notepad" standing for the user's text editor.
#include <optional>
#include <string>
#include <vector>

namespace qm::process {

// What a lookup found: code 0 and the host path, or the shell code of the
// failure (2 file not found, 3 path not found).
struct Found {
    int code = 0;
    std::string path;
};

// True when the host path names a regular file (after links) that this
// user may run.
bool isExecutableFile(const std::string& path);

// The first executable regular file called `name` in the folders of PATH.
std::optional<std::string> findOnPath(const std::string& name);

// Looks for `name` (a host path, absolute or relative, or a bare name):
//  - with a folder part: relative to `baseDir` (the current folder when
//    empty), as named, then without a trailing ".exe";
//  - a bare name: in `baseDir` (or the current folder), then, when
//    `searchPath` is set, as an executable on PATH; each time as named first,
//    then without ".exe".
// Anything that exists is found (a file of any kind or a folder); judging
// what it is belongs to the caller.
Found resolveProgram(const std::string& name, const std::string& baseDir, bool searchPath);

// True when the last component of `name` (either slash) is "notepad" or
// "notepad.exe", in any letter case.
bool isNotepadName(const std::string& name);

// The command that opens a text file for the user: $VISUAL, else $EDITOR,
// else the first known graphical editor on PATH (knownTextEditors), else
// xdg-open. The first word is a host path; the file goes after the last
// word. Empty when there is none.
std::vector<std::string> textEditorCommand();

// The graphical editors textEditorCommand looks for, in its order.
const std::vector<std::string>& knownTextEditors();

} // namespace qm::process
