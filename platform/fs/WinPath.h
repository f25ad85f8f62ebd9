#pragma once
// Small, pure helpers for Windows-form paths ("C:\home\ann\x.txt",
// "\\SERVER\share\x"). They never touch the file system; "/" is accepted
// wherever "\" is.
#include <string>
#include <string_view>

namespace qm::fs {

// Every "/" turned into "\".
std::string toBackslashes(std::string_view path);
// `folder` & "\" & `name`, with exactly one "\" between them; an empty
// folder gives `name`, an empty name gives `folder`.
std::string joinPath(std::string_view folder, std::string_view name);
// The folder holding `path`: "C:\a\b" -> "C:\a", "C:\a" -> "C:\",
// "\\SRV\share\x" -> "\\SRV\share"; a root or a bare name gives "".
// A trailing "\" does not count as a component ("C:\a\b\" -> "C:\a").
std::string parentFolder(std::string_view path);
// The last component: "C:\a\b.txt" -> "b.txt"; "" for a root or a path ending in "\".
std::string fileNamePart(std::string_view path);
// What follows the last "." of the file name part, without the dot ("" when none).
std::string extensionPart(std::string_view path);
// The root as Left(path, 3) gives it for a drive path: "C:\x" -> "C:\", "c:" -> "c:\";
// "\\SRV\share\x" -> "\\SRV\share\"; "" for anything else.
std::string driveRoot(std::string_view path);
// The drive letter in capitals, or '\0' when the path does not start with "X:".
char driveLetter(std::string_view path);
bool isUncPath(std::string_view path);
// "C:" or "C:\" (also "c:/").
bool isDriveRoot(std::string_view path);
// The path without a final "\", except that a drive root keeps "C:\".
std::string withoutTrailingBackslash(std::string_view path);
// The path ending in exactly one "\".
std::string withTrailingBackslash(std::string_view path);

} // namespace qm::fs
