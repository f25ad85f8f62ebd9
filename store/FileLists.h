#pragma once
// The file lists of a project in the program folder's Filelists folder: one
// optional list per archive kind, named by the project name, "-" and the
// kind, and the record editor's working copy of each, the same name with
// "-hold" after it. Names are taken literally: "*" or "?" in a project name
// never reach another project's lists.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qm::store {

// The list kinds, in the order the record operations go through them.
inline constexpr std::array<std::string_view, 4> FileListKinds{"ZIP", "ZIPEXE", "ACE", "ACEEXE"};

// Whether `name` is a single file name that stays in its folder: not empty,
// not "." or "..", without "\", "/" or a control character.
bool usableFileName(std::string_view name);

// program folder & "\Filelists\" & project & "-" & kind (& "-hold"), or
// nothing when that would not be a single file name of the folder.
std::optional<std::string> fileListPath(std::string_view project, std::string_view kind, bool hold = false);

} // namespace qm::store
