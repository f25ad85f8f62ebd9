#pragma once
// What the self-extractor's windows compute before they draw: sizes from
// the font's metrics, the message box's text wrapping and layout, the
// progress bar's cells, the entries of the drive list and of the folder
// list. Plain C++, so that it is tested without a display.
#include "sfxstub/SfxConfig.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::sfxstub {

// Which folder browser the destination dialog offers: the platform's.
constexpr bool IsModernShell()
{
    return true;
}

struct Metrics {
    int textHeight = 13;
    int avgCharWidth = 6;
    int maxCharWidth = 12;
    int buttonHeight() const { return textHeight * 3 / 2 + 4; }
    int buttonWidth() const { return avgCharWidth * 15; }
    int itemHeight() const { return textHeight < 15 ? 15 : textHeight; }
    // Widths of the dialogs.
    int passwordWidth() const { return avgCharWidth * 59 + 80; }
    int progressWidth() const { return avgCharWidth * 86; }
    int destinationWidth() const { return avgCharWidth * 60 + 80; }
    int browseWidth() const { return (maxCharWidth + avgCharWidth) / 2 * 33 + 157; }
};

using TextWidth = std::function<int(std::string_view)>;

// Lines of `text` at most `width` wide: broken at line feeds and at the last
// blank that fits; a word longer than the line is cut.
std::vector<std::string> wrapText(std::string_view text, int width, const TextWidth& measure);

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct BoxLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    Rect icon;
    Rect bar;                    // the separator
    Rect text;
    std::vector<std::string> lines; // the wrapped text (not for the scrolling style)
    std::vector<Rect> buttons;      // in row order
};
BoxLayout layoutMessageBox(const Metrics& m, const TextWidth& measure, std::string_view text, int style,
                           int buttonCount);

// The progress bar: its width for a given one, its number of cells, and the
// cells filled for a percentage.
int progressBarWidth(int givenWidth);
int progressCells(int givenWidth);
int filledCells(int percent, int cells);

// One entry of the drive list: "c: label", its kind for the images.
enum class DriveKind { Removable, Fixed, Network, CdRom };
struct DriveItem {
    char letter = 'c'; // small letter
    std::string text;  // shown after "x: "
    DriveKind kind = DriveKind::Fixed;
    std::string caption() const { return std::string(1, letter) + ": " + text; }
};
std::vector<DriveItem> driveItems(const SfxConfig& c);
// The entry to select: the destination's drive, else the current one.
size_t selectedDrive(const std::vector<DriveItem>& items, const std::string& destination);

// The sub-folders of `path` ("\"-terminated) as the folder list shows them:
// all but the first letter in small letters, first a blank entry for the
// parent unless `path` is a drive root. Nothing when it cannot be listed.
struct FolderEntry {
    std::string shown;
    std::string name; // "" for the parent entry
};
std::optional<std::vector<FolderEntry>> folderEntries(const std::string& path);
// The path that opening an entry of `path` shows.
std::string openFolderEntry(const std::string& path, const FolderEntry& entry);

} // namespace qm::sfxstub
