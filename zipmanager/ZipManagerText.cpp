#include "zipmanager/ZipManagerText.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/Text.h"
#include "platform/zip/ZipEvents.h"

#include <algorithm>
#include <cstdio>

namespace qm::zipmanager {

namespace {
constexpr char Nul = '\0';
constexpr std::string_view Crlf = "\r\n";
} // namespace

std::string AttribString(std::uint32_t attributes)
{
    struct Letter {
        char c;
        std::uint32_t bit;
    };
    static constexpr Letter Letters[] = {{'A', 0x20}, {'C', 0x800}, {'D', 0x10}, {'H', 0x2},
                                         {'R', 0x1},  {'S', 0x4},   {'V', 0x8}};
    std::string out;
    for (const Letter& l : Letters)
        out += (attributes & l.bit) ? l.c : '-';
    return out;
}

int CountNullItems(std::string_view text)
{
    const auto nuls = std::count(text.begin(), text.end(), Nul);
    return nuls == 0 ? 1 : static_cast<int>(nuls);
}

std::string NextNullItem(std::string_view text, int item)
{
    const std::size_t first = text.find(Nul);
    if (first == std::string_view::npos)
        return std::string(text);
    if (item < 1 || item > CountNullItems(text))
        return {};
    std::string folder(text.substr(0, first));
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    // The item runs from after the item-th NUL to the next NUL or the end.
    std::size_t start = first + 1;
    for (int k = 1; k < item; ++k)
        start = text.find(Nul, start) + 1;
    const std::size_t end = std::min(text.find(Nul, start), text.size());
    return folder + std::string(text.substr(start, end - start));
}

std::string NullListToLines(std::string_view text)
{
    std::string out;
    const int count = CountNullItems(text);
    for (int k = 1; k <= count; ++k) {
        out += NextNullItem(text, k);
        out += Crlf;
    }
    return out;
}

std::string ListItemsToText(const std::vector<ZipListRow>& rows, bool fullPaths)
{
    std::string out;
    for (const ZipListRow& row : rows) {
        if (!row.Selected)
            continue;
        if (row.text() == FolderRowText)
            out += row.path() + "\\";
        else if (fullPaths && !row.path().empty())
            out += row.path() + "\\" + row.text();
        else
            out += row.text();
        out += Crlf;
    }
    return out;
}

int NumericKeyOnly(int keyAscii)
{
    return (keyAscii >= '0' && keyAscii <= '9') || keyAscii == 8 ? keyAscii : 0;
}

ZipListRow listedRow(const qm::zip::ListedEntry& entry)
{
    ZipListRow row;
    const int cut = qm::fs::FindLastChar(entry.name, '\\');
    std::string name = entry.name;
    std::string path;
    if (cut > 0) {
        path = entry.name.substr(0, static_cast<std::size_t>(cut - 1));
        name = entry.name.substr(static_cast<std::size_t>(cut));
    }
    if (entry.attributes & 0x10)
        name = FolderRowText;
    char crc[9];
    std::snprintf(crc, sizeof crc, "%X", static_cast<unsigned>(entry.crc));
    row.texts = {name,
                 entry.comment,
                 std::to_string(entry.size),
                 std::to_string(entry.compressedSize),
                 AttribString(entry.attributes),
                 crc,
                 qm::datetime::formatGeneral(entry.modified),
                 qm::datetime::formatGeneral(entry.accessed),
                 qm::datetime::formatGeneral(entry.created),
                 path,
                 std::to_string(entry.method),
                 entry.encrypted ? "True" : "False"};
    return row;
}

std::string linesForField(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string linesFromField(std::string_view text)
{
    std::string out;
    for (char c : linesForField(text)) {
        if (c == '\n')
            out += Crlf;
        else
            out += c;
    }
    return out;
}

} // namespace qm::zipmanager
