#include "sfxstub/Layout.h"

#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/net/Connections.h"
#include "sfxstub/Macros.h"
#include "sfxstub/Prompts.h"

#include <algorithm>
#include <cctype>

namespace qm::sfxstub {

namespace {

constexpr int MaxTextWidth = 556;
constexpr int MaxTextHeight = 384;

// The longest prefix of `text` that fits `width`, at least one character.
size_t fitting(std::string_view text, int width, const TextWidth& measure)
{
    size_t n = 1;
    while (n < text.size() && measure(text.substr(0, n + 1)) <= width)
        ++n;
    // Never end inside a UTF-8 sequence.
    while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

} // namespace

std::vector<std::string> wrapText(std::string_view text, int width, const TextWidth& measure)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view para = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() + 1 : end + 1;
        if (para.empty())
            lines.emplace_back();
        while (!para.empty()) {
            if (measure(para) <= width) {
                lines.emplace_back(para);
                break;
            }
            size_t n = fitting(para, width, measure);
            size_t blank = para.substr(0, n + 1).rfind(' ');
            if (blank != std::string_view::npos && blank > 0)
                n = blank;
            lines.emplace_back(para.substr(0, n));
            para.remove_prefix(n);
            while (!para.empty() && para.front() == ' ')
                para.remove_prefix(1);
        }
    }
    return lines;
}

BoxLayout layoutMessageBox(const Metrics& m, const TextWidth& measure, std::string_view text, int boxStyle,
                           int buttonCount)
{
    BoxLayout b;
    std::string flat(text);
    flat.erase(std::remove(flat.begin(), flat.end(), '\n'), flat.end());
    const long long w = measure(flat), h = m.textHeight;
    const long long n = std::count(text.begin(), text.end(), '\n');
    const int least = buttonCount <= 3 ? 3 * m.buttonWidth() + 12 : (m.buttonWidth() + 4) * buttonCount;
    long long j = least;
    while (j * j < 3 * h * w && j < MaxTextWidth)
        j += 4;
    long long i = least;
    while (i * i < 3 * h * (j * n + w) && i < MaxTextWidth)
        i += 4;
    int textWidth = int(std::min<long long>(i, std::max(least, MaxTextWidth)));
    if (buttonCount >= 4)
        textWidth = std::max(textWidth, 320);
    int textHeight = 0;
    if (scrollingText(boxStyle)) {
        textWidth = std::min(std::max(textWidth, MaxTextWidth), 600);
        textHeight = int(15 * h);
    } else {
        b.lines = wrapText(text, textWidth, measure);
        size_t shown = 0;
        while (shown < b.lines.size() && textHeight < MaxTextHeight - h) {
            textHeight += int(h);
            ++shown;
        }
        b.lines.resize(shown);
        textHeight = std::max(textHeight, int(4 * h));
    }
    b.clientWidth = textWidth + 80;
    b.clientHeight = textHeight + 59;
    b.icon = {11, 10, 32, 32};
    b.text = {72, textHeight < 15 ? 16 : 8, textWidth, textHeight};
    const int by = b.clientHeight - m.buttonHeight() - 12;
    int x = b.clientWidth - 8 - buttonCount * m.buttonWidth() - (buttonCount - 1) * 4;
    for (int k = 0; k < buttonCount; ++k, x += m.buttonWidth() + 4)
        b.buttons.push_back({x, by, m.buttonWidth(), m.buttonHeight()});
    b.bar = {56, 5, 2, by - 5};
    return b;
}

int progressBarWidth(int givenWidth)
{
    return (givenWidth + 1) / 8 * 8 + 2;
}

int progressCells(int givenWidth)
{
    return std::max(0, (givenWidth - 2) / 8);
}

int filledCells(int percent, int cells)
{
    percent = std::clamp(percent, 0, 100);
    return percent * (cells + 1) / 101;
}

std::vector<DriveItem> driveItems(const SfxConfig& c)
{
    std::vector<DriveItem> items;
    for (const qm::fs::Drive& d : qm::fs::drives()) {
        DriveItem item;
        item.letter = char(std::tolower(static_cast<unsigned char>(d.letter)));
        switch (d.type) {
        case qm::fs::drivetype::Removable: item.kind = DriveKind::Removable; break;
        case qm::fs::drivetype::Fixed:
        case qm::fs::drivetype::RamDisk:
            item.kind = DriveKind::Fixed;
            item.text = PrettyCase(d.label);
            break;
        case qm::fs::drivetype::CdRom: item.kind = DriveKind::CdRom; break;
        case qm::fs::drivetype::Remote: {
            item.kind = qm::fs::driveReady(d) ? DriveKind::Network : DriveKind::CdRom;
            std::optional<qm::net::Connection> conn = qm::net::findConnection(d.letter);
            std::string remote = conn ? conn->remote : std::string();
            // "\\server\share": the share and the server into ShareText.
            size_t cut = remote.size() > 2 ? remote.find('\\', 2) : std::string::npos;
            if (cut != std::string::npos) {
                std::string server = remote.substr(2, cut - 2);
                std::string share = remote.substr(cut + 1);
                item.text = FillText(FillText(c.ShareText, 's', PrettyCase(share)), 'c', PrettyCase(server));
            }
            break;
        }
        default: continue;
        }
        items.push_back(item);
    }
    return items;
}

size_t selectedDrive(const std::vector<DriveItem>& items, const std::string& destination)
{
    char letter = qm::fs::driveLetter(destination);
    if (!letter) {
        std::error_code ec;
        letter = qm::fs::driveLetter(qm::fs::fromNative(std::filesystem::current_path(ec)));
    }
    for (size_t i = 0; i < items.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(items[i].letter)) == letter)
            return i;
    return 0;
}

std::optional<std::vector<FolderEntry>> folderEntries(const std::string& path)
{
    std::vector<qm::fs::FileEntry> listed;
    try {
        listed = qm::fs::listFolder(path, "*.*");
    } catch (const qm::RtError&) {
        return std::nullopt;
    }
    std::vector<FolderEntry> out;
    if (!qm::fs::isDriveRoot(path))
        out.push_back({" ", ""});
    for (const qm::fs::FileEntry& e : listed) {
        if (!(e.attributes & qm::fs::attr::Directory) || (e.attributes & qm::fs::attr::Hidden))
            continue;
        std::string shown = e.name;
        for (size_t k = 1; k < shown.size(); ++k)
            shown[k] = char(std::tolower(static_cast<unsigned char>(shown[k])));
        out.push_back({shown, e.name});
    }
    return out;
}

std::string openFolderEntry(const std::string& path, const FolderEntry& entry)
{
    std::string p = AddTrailingBackslash(path);
    if (entry.name.empty()) {
        CutLastFolder(p);
        return p;
    }
    return p + entry.name + "\\";
}

} // namespace qm::sfxstub
