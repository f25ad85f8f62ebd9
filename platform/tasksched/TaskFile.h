#pragma once
// The files of a tasks folder (jobs and their run state) are read and
// replaced by their names inside the folder, never through a link planted
// in their place: a read refuses a link, and a rewrite renames a complete
// new file over the name, so that a link there is replaced, its target
// untouched. Only the owner may read or write what is written here (0600).
#include "platform/fs/FileLock.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qm::tasksched {

// The content of `file`. Throws qm::RtError: 53 missing, 75 a link or
// anything but a plain file, 70 no permission, ...
std::string readTaskFile(const std::filesystem::path& file);

// Replaces `file` (or makes it) with `bytes` atomically: a temporary file
// in the same folder, flushed to the disk, then renamed over the name.
// Throws qm::RtError; the old file, or whatever stood there, is then as it was.
void writeTaskFile(const std::filesystem::path& file, std::string_view bytes);

// Serialises the updates (read, change, replace) of the files of one tasks
// folder between programs: waits for a lock on the folder that holds
// `file`, whatever `file` itself is. Gives a lock that holds nothing when
// the folder cannot be locked; the update then goes ahead on its own.
fs::FileLock lockTaskFolder(const std::filesystem::path& file);

} // namespace qm::tasksched
