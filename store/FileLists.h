#pragma once
// The file lists of a project in the program folder's Filelists folder: one
// optional list per archive kind, named by the project name, "-" and the
// kind, and the record editor's working copy of each, the same name with
// "-hold" after it. Names are taken literally: "*" or "?" in a project name
// never reach another project's lists.
//
// A list is plain text, one entry a line, every line (the last one too)
// ended by CR LF. Reading ends a line at CR LF, a lone CR or a lone LF and
// keeps each line as it stands: nothing is trimmed or left out here.
#include "store/ProjectRecord.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::store {

// The list kinds, in the order the record operations go through them.
inline constexpr std::array<std::string_view, 4> FileListKinds{"ZIP", "ZIPEXE", "ACE", "ACEEXE"};
// The files-to-process field of each kind, in FileListKinds' order.
inline constexpr std::array<ProjectField, 4> FilesToProcessFields{
    ProjectField::ZIPFilesToProcess, ProjectField::SFXFilesToProcess, ProjectField::ACEFilesToProcess,
    ProjectField::ACESFXFilesToProcess};
// The files-to-process value of a project whose kind uses its list.
inline constexpr std::string_view ListValue = "(list)";

// Whether `name` is a single file name that stays in its folder: not empty,
// not "." or "..", without "\", "/" or a control character.
bool usableFileName(std::string_view name);

// program folder & "\Filelists\" & project & "-" & kind (& "-hold"), or
// nothing when that would not be a single file name of the folder.
std::optional<std::string> fileListPath(std::string_view project, std::string_view kind, bool hold = false);

// An entry that names its own place: it holds ":\" or "\\" anywhere.
bool isAbsoluteEntry(std::string_view entry);

// The lines of a list's text (a UTF-8 byte-order mark in front is not part
// of the first); a line break at the very end opens no further line.
std::vector<std::string> listLines(std::string_view text);

// The entries of the list file `winPath`. Throws qm::RtError when it cannot
// be read (53 missing, 76 its folder missing, 75 not a plain file, ...).
std::vector<std::string> readFileList(const std::string& winPath);

// Writes `entries` as the list file `winPath`, whole or not at all: a
// failure (qm::RtError) leaves the file as it was. An entry must not hold
// CR or LF (52): it would come back as two.
void writeFileList(const std::string& winPath, const std::vector<std::string>& entries);

} // namespace qm::store
