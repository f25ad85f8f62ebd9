#pragma once
// File access of the engine: a buffered output file that can patch earlier
// bytes and cut itself back (to drop an entry that failed), a positional
// input file, and the failures they raise inside the engine.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>

namespace qm::zip {

// Lets tests make the engine's writes fail (for example with ENOSPC) without
// filling a real disk. Called before each write to a file the engine
// creates; returning an errno value makes that write fail with it.
struct IoFaults {
    std::function<int(const std::filesystem::path& file, uint64_t offset, size_t length)> beforeWrite;
};

// A read or write failed with `err` (an errno value).
struct IoError {
    int err;
    std::filesystem::path file;
};

// The archive's structure is not what the format allows.
struct FormatError {
    std::string what;
    bool notArchive = false; // no end record at all: not a ZIP archive
    bool multiDisk = false;  // part of a split or spanned set
};

// The owner asked the running operation to stop.
struct AbortError {};

class OutFile {
public:
    OutFile() = default;
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile();

    // Takes over `fd` (closed by the object).
    void attach(int fd, std::filesystem::path path, const IoFaults* faults);
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }

    void write(const void* data, size_t n);
    uint64_t offset() const { return base_ + used_; }
    // Overwrites bytes written earlier.
    void patch(uint64_t at, const void* data, size_t n);
    // Drops everything from `at` on.
    void truncate(uint64_t at);
    void flush();
    // Flushes, writes the file to the disk and closes it.
    void commit();
    void close();

private:
    void writeAt(uint64_t at, const char* p, size_t n);

    int fd_ = -1;
    std::filesystem::path path_;
    const IoFaults* faults_ = nullptr;
    std::unique_ptr<char[]> buf_;
    size_t cap_ = 0;
    size_t used_ = 0;
    uint64_t base_ = 0;
};

class InFile {
public:
    InFile() = default;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    ~InFile();

    // False with errno set when the file cannot be opened.
    bool open(const std::filesystem::path& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const { return size_; }
    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }

    // Reads up to `n` bytes at `at`; fewer only at the end of the file.
    size_t readAt(uint64_t at, void* buf, size_t n) const;
    // Reads exactly `n` bytes or throws FormatError (the archive is cut short).
    void readExact(uint64_t at, void* buf, size_t n) const;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::filesystem::path path_;
};

// A file that is removed again unless it is kept: the temporary archive of
// a build, a file being extracted.
class TempFile {
public:
    TempFile() = default;
    ~TempFile() { discard(); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates a new, uniquely named file (its name starts with a dot) in
    // `folder`, or relative to the open folder `dirfd` when that is not -1.
    // Returns the open descriptor; throws IoError.
    int create(const std::filesystem::path& folder, int dirfd = -1, mode_t mode = 0666);
    const std::filesystem::path& path() const { return path_; }
    const std::string& name() const { return name_; }
    // The file has been renamed or is to stay: nothing is removed.
    void keep() { path_.clear(); }
    void discard();

private:
    std::filesystem::path path_;
    std::string name_;
    int dirfd_ = -1;
};

// Writes `n` bytes at the current position of `fd`, retrying short writes.
void writeAllFd(int fd, const void* data, size_t n, const std::filesystem::path& path, const IoFaults* faults,
                uint64_t offsetHint);

} // namespace qm::zip
