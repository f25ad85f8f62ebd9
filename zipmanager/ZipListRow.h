#pragma once
// A row of the ZIP manager's entry list (lstMain): its texts in the order of
// the columns, and whether the user has selected it.
#include <array>
#include <string>
#include <string_view>

namespace qm::zipmanager {

inline constexpr std::array<std::string_view, 12> ZipListColumns{
    "Name", "Comment", "Size", "Packed", "Attributes", "CRC", "Last Modified", "Last Accessed", "Created",
    "Path", "Method", "Encrypted"};

// Column indexes that the helpers read.
inline constexpr std::size_t NameColumn = 0;
inline constexpr std::size_t PathColumn = 9;

// The Name column of a folder entry.
inline constexpr std::string_view FolderRowText = "<dir>";

struct ZipListRow {
    std::array<std::string, ZipListColumns.size()> texts;
    bool Selected = false;

    const std::string& text() const { return texts[NameColumn]; }
    const std::string& path() const { return texts[PathColumn]; }
};

} // namespace qm::zipmanager
