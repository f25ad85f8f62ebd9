#pragma once
// Advisory whole-file locks (flock) between programs: a lock is held through
// an open descriptor and released when the FileLock goes away. Locks taken
// through different FileLock objects conflict even inside one process.
#include "platform/fs/RtError.h"

#include <chrono>
#include <filesystem>

namespace qm::fs {

class FileLock {
public:
    enum class Mode { Shared, Exclusive };

    FileLock() = default; // holds nothing
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits until the lock on the host file `native` is granted. With
    // `create`, a missing file is made (empty). Throws qm::RtError when the
    // file cannot be opened.
    static FileLock acquire(const std::filesystem::path& native, Mode mode = Mode::Exclusive,
                            bool create = false);
    // Takes the lock only when no conflicting lock is held; otherwise gives a
    // FileLock that holds nothing. Throws qm::RtError when the file cannot be opened.
    static FileLock tryAcquire(const std::filesystem::path& native, Mode mode = Mode::Exclusive,
                               bool create = false);

    bool locked() const { return fd_ >= 0; }
    explicit operator bool() const { return locked(); }
    void release();

private:
    static FileLock take(const std::filesystem::path& native, Mode mode, bool create, bool wait);
    int fd_ = -1;
};

// Serialises the updates of `file` (read, change, replace) between programs
// and threads: waits for an exclusive lock on the folder that holds it (after
// symbolic links). The folder itself carries the lock, so nothing appears
// beside the data files. One update of a folder at a time: an updater must
// not take it again while it holds it. Gives a lock that holds nothing when
// the folder cannot be locked (missing, or a file system without locks); the
// update then goes ahead, or fails, on its own.
FileLock lockForUpdate(const std::filesystem::path& file);

// Gives the regular file `native` these access and modification times when
// its owner may write it (a read-only file is not touched, whoever runs the
// program) and no other program holds a lock on it. False when it is not
// such a file or cannot be opened; its content is never touched.
bool setTimesUnlessLocked(const std::filesystem::path& native, std::chrono::system_clock::time_point accessed,
                          std::chrono::system_clock::time_point modified);

// True when someone holds a lock on the host file that an exclusive lock
// would wait for. False when the file cannot be opened (missing, ...).
bool isFileLocked(const std::filesystem::path& native);

} // namespace qm::fs
