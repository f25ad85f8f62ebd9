#pragma once
// Choosing the files of a build: every item of the files to process (a
// name, a mask or a path, relative to the source folder or absolute) is
// looked up on the file system, folders are walked (with their subfolders
// when asked), the filters are applied, and each file gets the name it will
// be stored under.
#include "platform/zip/Filters.h"
#include "platform/zip/ZipFormat.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qm::zip {

// A folder files were taken from: its host path and its Windows form.
struct SourceFolder {
    std::string native;
    std::string win;
};

// One file or folder to store. Where it is comes from its folder's entry
// and its own name there, so a long list holds each folder's path once.
struct SourceItem {
    uint32_t parent = 0; // index in SourceList::folders
    std::string leaf;    // its name in that folder, as on the disk
    std::string shown;   // a file named outright: the Windows form as given
    std::string name;    // stored name; a folder ends in "/"
    bool folder = false;
    uint64_t size = 0;
    int attributes = 0;
    uint32_t mode = 0;   // permission bits
    uint64_t device = 0; // with inode: which file it is
    uint64_t inode = 0;
    fmt::EntryTimes times;
};

struct SourceList {
    std::vector<SourceFolder> folders;
    std::deque<SourceItem> items; // grows in blocks: no copy of the whole list on the way

    std::string native(const SourceItem& it) const;
    // The Windows-form path (what events show as the source).
    std::string source(const SourceItem& it) const;
};

struct GatherSettings {
    std::vector<std::string> items;  // the files to process
    std::string baseFolder;          // Windows form: the source folder, or the current one
    bool sourceFolderGiven = false;
    bool keepFolderNames = true;
    bool includeSubfolders = true;
    Filters filters;
    // Files never taken (the archive being written and its temporary file).
    std::set<std::pair<uint64_t, uint64_t>> leaveOut; // (device, inode)
};

struct GatherCallbacks {
    // Between files: lets the owner run and may stop the walk (throws).
    std::function<void()> tick;
    // A file that cannot be taken: its Windows-form path and the reason.
    std::function<void(const std::string& source, int reason)> skipped;
};

// Throws qm::RtError for a base folder that cannot be used.
SourceList gatherSources(const GatherSettings& s, const GatherCallbacks& cb);

// "C:\a\.\b\..\c" -> "C:\a\c" (never above the root).
std::string normalizeWinPath(const std::string& path);
bool isAbsoluteWinPath(const std::string& path);

} // namespace qm::zip
