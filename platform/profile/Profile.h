#pragma once
// The profile functions: single values of INI files on host paths, read and
// written the way the classic private-profile functions do it.
//
// Reading gives a key's value with blanks trimmed and one pair of enclosing
// quotes dropped, cut to at most MaxValueLength bytes (never inside a UTF-8
// sequence); the default when the file, the section or the key is missing.
// Writing updates the one key in place and keeps every other byte of the
// file; a missing key goes at the end of its section, a missing section at
// the end of the file, a missing file is created. Every rewrite replaces the
// file atomically, so a failure never leaves half a file, and the updates of
// one folder's files are serialised between programs (qm::fs::lockForUpdate),
// so that two programs changing different keys of one file lose neither.
//
// The files written here hold settings, passwords among them (project
// records, the user options, the registry): every write leaves the file to
// its owner alone, whatever the group and the others could do before (a new
// file, or one that was 0644, is 0600 after it).
#include "platform/profile/IniDocument.h"

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace qm::profile {

// The longest value the profile reader gives back, in bytes.
inline constexpr std::size_t MaxValueLength = 255;

// The length of `value` as a file keeps it (storedValue: a line break is one
// CR), in bytes; a value longer than MaxValueLength comes back cut.
inline std::size_t storedLength(std::string_view value) { return storedValue(value).size(); }
inline bool fitsValue(std::string_view value) { return storedLength(value) <= MaxValueLength; }

// The whole text of an INI file, parsed. Throws qm::RtError when the file
// cannot be read (53 missing, 76 folder missing, 70 no permission, ...).
IniDocument loadDocument(const std::filesystem::path& file);

// As loadDocument, but a missing file (or folder) gives an empty document.
IniDocument loadDocumentOrEmpty(const std::filesystem::path& file);

// Replaces the file atomically with the document's text. Throws qm::RtError.
// A caller that read the document to change it holds qm::fs::lockForUpdate
// from the read to this save.
void saveDocument(const std::filesystem::path& file, const IniDocument& doc);
// The same for a whole text made elsewhere (a record written whole).
void saveText(const std::filesystem::path& file, std::string_view text);

// What the profile reader gives for `key` in `section` of `doc`: the value
// (trimmed, unquoted, cut to MaxValueLength) or `def` (cut the same way).
std::string getString(const IniDocument& doc, std::string_view section, std::string_view key,
                      std::string_view def);

// As above, from a file. A file that is missing or cannot be read counts as
// empty: the result is then `def`. Never throws for file problems.
std::string getString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view def);

// Sets `key` in `section` of the file to `value` (line breaks stored as a
// single CR), creating the file when missing. Throws qm::RtError when the
// file cannot be read or written (the old file is then unchanged), and 5 for
// a section or key that cannot be written as a line.
void writeString(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value);

// One value for writeStrings.
struct KeyValue {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// Sets several keys in one rewrite of the file, in their order: the file
// ends as writeString for each in turn would leave it. Throws as writeString
// (the file is then unchanged).
void writeStrings(const std::filesystem::path& file, std::initializer_list<KeyValue> values);

// Removes `key` from `section` (nothing when missing). Throws qm::RtError.
void deleteKey(const std::filesystem::path& file, std::string_view section, std::string_view key);

// Removes `section` with all its keys (nothing when missing). Throws qm::RtError.
void deleteSection(const std::filesystem::path& file, std::string_view section);

} // namespace qm::profile
