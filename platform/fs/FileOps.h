#pragma once
// Files and folders by Windows-form path: attributes, information, listings,
// times and the everyday operations. Failures throw qm::RtError with the
// classic numbers (see RtError.h); paths go through toNative().
#include "platform/fs/RtError.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::fs {

// File attributes with their classic values. System, Volume and Compressed
// are never set on this platform.
namespace attr {
inline constexpr int Normal = 0;
inline constexpr int ReadOnly = 1;     // no owner write permission
inline constexpr int Hidden = 2;       // name begins with "."
inline constexpr int System = 4;
inline constexpr int Volume = 8;
inline constexpr int Directory = 16;
inline constexpr int Archive = 32;     // a regular file
inline constexpr int Alias = 1024;     // a symbolic link
inline constexpr int Compressed = 2048;
} // namespace attr

// Points in time, UTC, with nanoseconds; local-time views belong to the
// date-time module.
using FileTime = std::chrono::system_clock::time_point;

struct FileEntry {
    std::string name;          // as stored on disk
    int attributes = attr::Normal;
    std::uint64_t size = 0;    // 0 for folders
    FileTime modified{};
    FileTime created{};        // birth time where the file system keeps it
    FileTime accessed{};
    std::uint32_t mode = 0;    // type and permission bits (of a link's target)
    std::uint64_t device = 0;  // as stat's st_dev; with inode: which file it is
    std::uint64_t inode = 0;
};

// Information on a file or folder; symbolic links report their target with
// the Alias bit added. 53 when missing (76 when its folder is missing too).
FileEntry fileInfo(const std::string& winPath);
// As fileInfo, on a host path; nothing when it does not exist. Never throws.
std::optional<FileEntry> nativeInfo(const std::filesystem::path& native);
// As nativeInfo, for `name` inside the open folder `dirfd`: one system call
// for anything but a symbolic link.
std::optional<FileEntry> nativeInfoAt(int dirfd, const std::string& name);

int getAttributes(const std::string& winPath);
// Sets what the platform can keep: ReadOnly (all write permissions removed)
// or not (owner write permission added). Other bits are ignored.
void setAttributes(const std::string& winPath, int attributes);

// True when the path names something that exists (false also for bad names
// and unknown or unready drives). Never throws.
bool exists(const std::string& winPath) noexcept;
bool isFolder(const std::string& winPath) noexcept;

std::uint64_t fileSize(const std::string& winPath);
FileTime modifiedTime(const std::string& winPath);
// Sets the modification time; access and creation times stay as they are.
void setModifiedTime(const std::string& winPath, FileTime time);

// The entries of a folder whose names match the mask (see Wildcard.h), in
// case-free alphabetical order, without "." and "..". 76 when the folder is
// missing, 70 when it cannot be read.
std::vector<FileEntry> listFolder(const std::string& winFolder, std::string_view mask = "*");

// The names a classic directory search gives for "folder\mask" (or for a
// folder ending in "\", all its entries) with these attributes: entries with
// the Hidden, System or Directory bit only when that bit is asked for; with
// Directory, "." and ".." first (not at a drive root); Volume alone gives the
// drive's label. A missing folder gives no names.
std::vector<std::string> dirNames(const std::string& winPathMask, int attributes = attr::Normal);

// Makes one folder: 75 when it exists, 76 when its parent is missing.
void makeFolder(const std::string& winPath);
// Makes a folder and any missing folders above it; nothing when it exists.
void makeFolders(const std::string& winPath);
// Removes an empty folder: 75 when not empty, 76 when missing.
void removeFolder(const std::string& winPath);
// Deletes a file, or every matching file when the name holds wildcards
// (hidden files and folders are then passed over). 53 when nothing matches;
// 75 for a read-only file or a folder.
void deleteFile(const std::string& winPathMask);
// Deletes exactly the file of that name: "*" and "?" are part of the name.
// 53 when it is missing; 75 for a read-only file or a folder.
void deleteNamedFile(const std::string& winPath);
// Removes the name `native` whatever the file's permissions: a link goes
// itself, never what it leads to; a folder stays. False when nothing was
// removed.
bool removeName(const std::filesystem::path& native) noexcept;
// Takes the group's and the others' permissions and every execute
// permission from the regular file `native` (0644 becomes 0600; a read-only
// file stays read-only). Anything else, a link too, is left as it is and
// never followed. False when nothing was changed.
bool keepToOwner(const std::filesystem::path& native) noexcept;
// Renames or moves a file or folder; a file also moves to another drive.
// The new name keeps the spelling given. 53 source missing, 58 the new name
// exists, 76 target folder missing.
void renameFile(const std::string& from, const std::string& to);
// Copies a file, replacing the target atomically; the copy keeps the
// source's permissions and modification time. 75 when the target is a
// folder or the source itself (the same name, or a link to the source).
void copyFile(const std::string& from, const std::string& to);

struct DiskSpace {
    std::uint64_t available = 0; // free to this user
    std::uint64_t free = 0;      // free in all
    std::uint64_t total = 0;
};
// Space on the drive that holds the path (or the nearest existing folder above it).
DiskSpace diskSpace(const std::string& winPath);

} // namespace qm::fs
