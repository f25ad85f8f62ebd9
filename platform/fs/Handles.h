#pragma once
// Files and folders held open on host paths, for work that must not be led
// astray by links or by names that change while it runs: a folder is opened
// once and what lies in it is reached through it, never through a link.
// Failures come back as the host's error code (0 for success), or false with
// errno set, so that callers can tell a missing name from other failures.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace qm::fs {

// What tells one file from another (and the same file once changed).
struct FileKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileKey&) const = default;
};

// A regular file opened for reading at any offset.
class InputFile {
public:
    InputFile() = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens the host file `native`: 0, or the error code. Anything but a
    // regular file (a folder, a pipe, a device) gives ENOENT, without
    // waiting for a pipe's writer.
    int open(const std::filesystem::path& native);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The size it had when opened.
    std::uint64_t size() const { return size_; }
    // The open file's key now; nothing when none is open.
    std::optional<FileKey> key() const;
    // Up to `n` bytes from `offset`; fewer only at the end of the file or
    // on a read error.
    std::size_t readAt(std::uint64_t offset, void* buf, std::size_t n) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// An open folder.
class FolderHandle {
public:
    enum class Kind { File, Folder, Link, Other };
    struct Entry {
        Kind kind = Kind::Other;
        std::chrono::system_clock::time_point modified{};
    };

    FolderHandle() = default;
    ~FolderHandle() { close(); }
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // Opens the folder at the host path `native` (links on the way to it
    // are followed): 0, or the error code.
    int open(const std::filesystem::path& native);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Gives up the descriptor, which the caller is then to close.
    int release() { return std::exchange(fd_, -1); }

    // Opens the folder `name` in this one into `out`; a link of that name is
    // never followed (ELOOP or ENOTDIR). 0, or the error code (ENOENT when
    // there is no such name).
    int openChild(const std::string& name, FolderHandle& out) const;
    // Makes the folder `name` here (0777 less the umask): 0, or the error
    // code (EEXIST when the name is taken, ENAMETOOLONG, ...).
    int makeChild(const std::string& name) const;
    // What `name` is here, a link taken as itself; nothing when missing.
    std::optional<Entry> entry(const std::string& name) const;
    // Removes `name` here: a folder with everything in it, anything else (a
    // link too) by itself. No link is followed, inside either. What cannot
    // be removed stays.
    void removeTree(const std::string& name) const;

private:
    int fd_ = -1;
};

// A new file for the name `leaf` of an open folder, written under a hidden
// temporary name beside it and made exclusively (never through a link); it
// takes its name only on commit(), and anything else removes it. What a
// killed writer of the same name left is removed by the next one
// (qm::fs::createOwnedTemp).
class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile() { discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // False, with errno set, when it cannot be made. Only the owner may
    // read it while it is written.
    bool create(const FolderHandle& folder, const std::string& leaf);
    bool isOpen() const { return fd_ >= 0; }
    // Writes all of `n` bytes; false when the file did not take them all
    // (errno tells why: ENOSPC for a full disk).
    bool write(const void* p, std::size_t n);
    // Gives the file the permission bits `mode` and `modified` as its
    // modification and access time, and renames it over the leaf. False when
    // it could not be put in place; the temporary file is then gone.
    bool commit(unsigned mode, std::chrono::system_clock::time_point modified);
    // Removes the temporary file; the leaf stays as it was.
    void discard();
    const std::string& tempName() const { return temp_; }

private:
    int dirfd_ = -1;
    int fd_ = -1;
    std::string temp_;
    std::string leaf_;
};

// What making a folder on a host path came to.
enum class FolderMade { Made, Exists, ParentMissing, Failed };
// Makes the one folder `native` with the permission bits `mode` (less the
// umask); the folders above it must exist.
FolderMade makeHostFolder(const std::filesystem::path& native, unsigned mode = 0777);

// The permission bits a new file gets here: 0666 less the umask.
unsigned newFileMode();

} // namespace qm::fs
