#pragma once
// The drive-and-folder tree SSTree1 that the pickers, the restore dialog and
// the drive-disconnect dialog show: "Desktop", "My Computer" below it, the
// drives below that, and below each drive its folders, read only when the
// user opens a node. Plain logic over a KeyedTree; each host window binds
// its tree's expansion to ExpandDriveNode and decides what a click does.
//
// Keys are paths: a drive "C:", a folder its parent's key & "\" & its name
// as stored (only the text shown is recased).
#include "platform/ui/KeyedTree.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

// Lets pending window events run; false when the tree's window has been
// closed meanwhile: the caller then stops at once and touches nothing more.
using Yield = std::function<bool()>;

// A picture of a tree's image list: its key and the desktop theme's icon
// name it shows (see qm::ui::ImageList).
struct TreeImage {
    const char* key;
    const char* iconName;
};

// The drive tree's pictures, by position 1 to 8 (a drive shows the one at
// the position of its drive type; a RAM disk, 6, shows the computer).
inline constexpr std::array<TreeImage, 8> DriveTreeImages{{
    {"Desktop", "user-desktop"},
    {"Removable", "drive-removable-media"},
    {"Fixed", "drive-harddisk"},
    {"Remote", "folder-remote"},
    {"CDROM", "drive-optical"},
    {"My Computer", "computer"},
    {"Folder", "folder"},
    {"Selected", "folder-open"},
}};

// Desktop, computer and drives, with the desktop and computer opened.
void DriveTreeSetup(qm::ui::KeyedTree& SSTree1);
// One node per drive below "My Computer", in letter order: key "C:", text
// the label & " (C:)" for a fixed drive (so " (C:)" without a label), "(D:)"
// for any other (its medium is not touched); marked expandable.
void GetDrives(qm::ui::KeyedTree& SSTree1);
// The text of a folder's node: a name with no small letter is shown with
// its first letter as it is and the rest small ("DOCS" -> "Docs").
std::string FolderDisplayName(std::string_view name);
// Whether `path` (no final "\") holds a folder that is not hidden; false
// when it cannot be listed. Nothing when the window closed meanwhile.
std::optional<bool> HasSubFolders(const std::string& path, const Yield& yield);
// Adds the folders of the node `key` (hidden ones left out) as its
// children, in listing order, each marked expandable when it has a
// subfolder; then marks the node loaded. Listing errors give no children.
// False when the window closed meanwhile.
bool FillFolderNode(qm::ui::KeyedTree& SSTree1, const std::string& key, const Yield& yield);
// A node was opened: one without children is filled, under the hourglass
// and with the tree held from painting; one with children is left as it is.
void ExpandDriveNode(qm::ui::KeyedTree& SSTree1, const std::string& key, qm::ui::UiServices& ui, Yield yield);
// The folder a click on a node points a file list at: a drive as the drive
// & "\", a folder as its key; nothing for "Desktop" and "My Computer".
std::optional<std::string> NodeFolder(const std::string& key);
// As NodeFolder, for a click: a folder that cannot be listed (drive not
// ready, folder gone) shows "Error: " & number & CR LF & description and
// gives nothing.
std::optional<std::string> ClickedFolder(qm::ui::UiServices& ui, const std::string& key);

} // namespace qm::pickers
