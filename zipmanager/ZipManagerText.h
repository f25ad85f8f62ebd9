#pragma once
// The ZIP manager's text helpers: attribute letters, the answer of a file
// dialog with several files chosen (the folder first, then each name, all
// separated by NUL characters), list rows to lines, and the key filter of
// the number fields. Lines end with CR LF. No state is kept.
#include "zipmanager/ZipListRow.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm::zip {
struct ListedEntry;
}

namespace qm::zipmanager {

// Seven places, each a letter when its bit is set and "-" otherwise:
// A archive (0x20), C compressed (0x800), D folder (0x10), H hidden (2),
// R read-only (1), S system (4), V volume label (8).
std::string AttribString(std::uint32_t attributes);

// The number of files in a file dialog's answer: its NULs, or 1 when it
// holds none.
int CountNullItems(std::string_view text);
// The full path of file `item` (from 1) of a file dialog's answer: the
// folder, one "\", the name. An answer without NUL is one full path and
// comes back as it is. An item number outside the answer gives "".
std::string NextNullItem(std::string_view text, int item);
// Every file of the answer as a full path, each line ended by CR LF.
std::string NullListToLines(std::string_view text);

// One line, ended by CR LF, for each selected row, from the first row on:
// a folder row gives its Path and "\"; a file row with a Path gives Path,
// "\" and the name when `fullPaths` is set; otherwise the name alone.
std::string ListItemsToText(const std::vector<ZipListRow>& rows, bool fullPaths);

// A typed character of a number field: digits and backspace (8) pass, any
// other code becomes 0 (the key is dropped).
int NumericKeyOnly(int keyAscii);

// The row of a listed entry: the name split at its last "\" into Path and
// Name ("<dir>" for a folder), sizes and method in decimal, the CRC in
// upper-case hexadecimal, the dates as the platform's general date text.
ZipListRow listedRow(const qm::zip::ListedEntry& entry);

// Text lines (CR LF, LF or CR) as a multi-line field shows them (LF) and
// back as the control keeps them (CR LF).
std::string linesForField(std::string_view text);
std::string linesFromField(std::string_view text);

} // namespace qm::zipmanager
