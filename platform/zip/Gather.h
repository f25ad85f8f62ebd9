#pragma once
// Choosing the files of a build: every item of the files to process (a
// name, a mask or a path, relative to the source folder or absolute) is
// looked up on the file system, folders are walked (with their subfolders
// when asked), the filters are applied, and each file gets the name it will
// be stored under.
#include "platform/zip/Filters.h"
#include "platform/zip/ZipFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qm::zip {

struct SourceItem {
    std::filesystem::path native;
    std::string source;  // Windows form
    std::string name;    // stored name; a folder ends in "/"
    bool folder = false;
    uint64_t size = 0;
    int attributes = 0;
    uint32_t mode = 0;   // permission bits
    fmt::EntryTimes times;
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
std::vector<SourceItem> gatherSources(const GatherSettings& s, const GatherCallbacks& cb);

// "C:\a\.\b\..\c" -> "C:\a\c" (never above the root).
std::string normalizeWinPath(const std::string& path);
bool isAbsoluteWinPath(const std::string& path);

} // namespace qm::zip
