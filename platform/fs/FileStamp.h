#pragma once
// What tells one version of a file from another without reading it: its
// device and inode (a file replaced by a rename is another file), size and
// times of last change. Tables read from files (drives, connections, the
// network) are kept in memory and read again only when their stamp changes.
#include <ctime>
#include <filesystem>
#include <sys/types.h>

namespace qm::fs {

struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
    struct timespec changed {};

    // The stamp of the file now (not `exists` when there is none).
    static FileStamp of(const std::filesystem::path& file);
    bool operator==(const FileStamp& o) const;
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

} // namespace qm::fs
