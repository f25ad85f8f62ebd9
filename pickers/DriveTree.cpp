#include "pickers/DriveTree.h"

#include "pickers/TreeKeys.h"
#include "platform/fs/Drives.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"

#include <cctype>

namespace qm::pickers {

namespace fs = qm::fs;

namespace {

constexpr const char* Desktop = "Desktop";
constexpr const char* Computer = "My Computer";

std::string driveImage(int type)
{
    if (type >= fs::drivetype::Removable && type <= fs::drivetype::RamDisk)
        return DriveTreeImages[static_cast<std::size_t>(type - 1)].key;
    return "Fixed";
}

bool isVisibleFolder(const fs::FileEntry& e)
{
    return (e.attributes & fs::attr::Directory) && !(e.attributes & fs::attr::Hidden);
}

} // namespace

void DriveTreeSetup(qm::ui::KeyedTree& SSTree1)
{
    SSTree1.add("", Desktop, Desktop, Desktop);
    SSTree1.add(Desktop, Computer, Computer, Computer);
    GetDrives(SSTree1);
    SSTree1.expand(Desktop);
    SSTree1.expand(Computer);
}

void GetDrives(qm::ui::KeyedTree& SSTree1)
{
    for (const std::string& root : fs::driveRoots()) {
        const int type = fs::driveType(root);
        const std::string drive = fs::withoutTrailingBackslash(root).substr(0, 2);
        std::string upper = drive;
        upper[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[0])));
        std::string text = "(" + upper + ")";
        if (type == fs::drivetype::Fixed) {
            std::string label;
            try {
                std::vector<std::string> names = fs::dirNames(root, fs::attr::Volume);
                if (!names.empty())
                    label = names.front();
            } catch (const std::exception&) {
                // an unreadable label shows as none
            }
            text = label + " " + text;
        }
        SSTree1.add(Computer, drive, text, driveImage(type));
        SSTree1.setExpandable(drive, true);
    }
}

std::string FolderDisplayName(std::string_view name)
{
    for (char c : name)
        if (std::islower(static_cast<unsigned char>(c)))
            return std::string(name);
    std::string shown(name);
    for (std::size_t i = 1; i < shown.size(); ++i)
        shown[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(shown[i])));
    return shown;
}

std::optional<bool> HasSubFolders(const std::string& path, const Yield& yield)
{
    std::vector<fs::FileEntry> entries;
    try {
        entries = fs::listFolder(path + "\\");
    } catch (const std::exception&) {
        return false;
    }
    for (const fs::FileEntry& e : entries) {
        if (e.attributes & fs::attr::Hidden)
            continue;
        if (e.attributes & fs::attr::Directory)
            return true;
        if (!yield())
            return std::nullopt;
    }
    return false;
}

bool FillFolderNode(qm::ui::KeyedTree& SSTree1, const std::string& key, const Yield& yield)
{
    std::vector<std::string> names;
    try {
        for (const fs::FileEntry& e : fs::listFolder(key + "\\")) {
            if (isVisibleFolder(e))
                names.push_back(e.name);
            if (!yield())
                return false;
        }
    } catch (const std::exception&) {
        // a drive that is not ready, a folder gone: no children
    }
    for (const std::string& name : names) {
        const std::string child = key + "\\" + name;
        try {
            SSTree1.add(key, child, FolderDisplayName(name), "Folder", "Selected");
        } catch (const std::exception&) {
            continue;
        }
        const std::optional<bool> sub = HasSubFolders(child, yield);
        if (!sub)
            return false;
        if (*sub)
            SSTree1.setExpandable(child, true);
    }
    SSTree1.setExpandable(key, false);
    return true;
}

void ExpandDriveNode(qm::ui::KeyedTree& SSTree1, const std::string& key, qm::ui::UiServices& ui, Yield yield)
{
    if (!SSTree1.contains(key) || SSTree1.childCount(key) > 0)
        return;
    ui.busyPointer();
    SSTree1.setUpdating(false);
    const bool open = FillFolderNode(SSTree1, key, yield);
    if (open)
        SSTree1.setUpdating(true);
    ui.normalPointer();
}

std::optional<std::string> NodeFolder(const std::string& key)
{
    if (fs::isDriveRoot(key))
        return fs::withoutTrailingBackslash(key).substr(0, 2) + "\\";
    if (key == Desktop || key == Computer || key.empty())
        return std::nullopt;
    return key;
}

std::optional<std::string> ClickedFolder(qm::ui::UiServices& ui, const std::string& key)
{
    std::optional<std::string> folder = NodeFolder(key);
    if (!folder)
        return std::nullopt;
    try {
        if (!(fs::getAttributes(*folder) & fs::attr::Directory))
            throw fs::makeRtError(qm::rterr::PathNotFound, *folder);
    } catch (const qm::RtError& e) {
        ui.msgBox(ErrorText(e), qm::ui::mb::OKOnly);
        return std::nullopt;
    }
    return folder;
}

} // namespace qm::pickers
