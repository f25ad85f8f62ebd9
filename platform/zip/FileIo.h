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
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace qm::zip {

// Lets tests make the engine's writes fail (for example with ENOSPC) without
// filling a real disk. Called before each write to a file the engine
// creates; returning an errno value makes that write fail with it.
struct IoFaults {
    std::function<int(const std::filesystem::path& file, uint64_t offset, size_t length)> beforeWrite;
    // Called before each rename and removal that puts an archive, a part or
    // a disk in place or takes an old one away, with the name that changes
    // (a test can stop the process there).
    std::function<void(const std::filesystem::path& name)> beforeNameChange;
};

// Tells `faults`, if any, that `name` is about to change.
inline void nameChanging(const IoFaults* faults, const std::filesystem::path& name)
{
    if (faults && faults->beforeNameChange)
        faults->beforeNameChange(name);
}

// A read or write failed with `err` (an errno value).
struct IoError {
    int err;
    std::filesystem::path file;
};

// The archive's structure is not what the format allows.
struct FormatError {
    std::string what;
    bool notArchive = false; // no end record at all: not a ZIP archive
    bool multiDisk = false;  // part of a split or spanned set that cannot be read here
};

// A failure that has its own result code (a missing part, a wrong disk).
struct ResultError {
    int code;
};

// A writer of an archive's name that found, before it changed anything,
// that another writer holds the name (ArchiveBeingWritten) or changed what
// it held since this one began (ArchiveReplaced): it leaves that one's work
// as it is.
struct NameTaken : ResultError {};

// A part of a set that is missing, or damaged or another set's, named.
struct PartFault {
    int code; // PartMissing or ArchiveDamaged
    std::filesystem::path file;
};

// A file that a set's part would take is a part of another archive's set:
// nothing is put over it.
struct OtherSetsFile {
    std::filesystem::path file;
    std::filesystem::path owner; // the archive whose set counts it
};

// A file stands where an archive or a part of one is to go, or under the
// hidden name its old file or the mark of its free place would take, and
// cannot be used or moved: nothing is put over it.
struct InTheWay {
    std::filesystem::path file;
};

// The owner asked the running operation to stop.
struct AbortError {};

class OutFile {
public:
    OutFile() = default;
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile();

    // Takes over `fd` (closed by the object); writing goes on at `offset`.
    void attach(int fd, std::filesystem::path path, const IoFaults* faults, uint64_t offset = 0);
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
    // Flushes and gives up the descriptor, which stays open.
    int release();

private:
    void writeAt(uint64_t at, const char* p, size_t n);

    int fd_ = -1;
    std::filesystem::path path_;
    const IoFaults* faults_ = nullptr;
    std::unique_ptr<char[]> buf_;
    size_t cap_ = 0;
    size_t used_ = 0;
    uint64_t base_ = 0;
    uint64_t synced_ = 0; // written out up to here
};

// A file read by position; or the parts of a split archive read as one
// file, each part following the one before it.
class InFile {
public:
    InFile() = default;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    ~InFile();

    // False with errno set when the file cannot be opened.
    bool open(const std::filesystem::path& path);
    // Opens `parts` in order as one file; false with errno set (and
    // `failed` naming the part) when one cannot be opened.
    bool openParts(const std::vector<std::filesystem::path>& parts, std::filesystem::path* failed = nullptr);
    void close();
    bool isOpen() const { return !parts_.empty(); }
    uint64_t size() const { return size_; }
    // The (last) file opened.
    const std::filesystem::path& path() const { return path_; }
    size_t partCount() const { return parts_.size(); }
    // Where part `i` begins within the whole, and its size.
    uint64_t partStart(size_t i) const { return parts_[i].start; }
    uint64_t partSize(size_t i) const { return parts_[i].size; }

    // Reads up to `n` bytes at `at`; fewer only at the end of the file.
    size_t readAt(uint64_t at, void* buf, size_t n) const;
    // Reads exactly `n` bytes or throws FormatError (the archive is cut short).
    void readExact(uint64_t at, void* buf, size_t n) const;

private:
    struct Part {
        int fd = -1;
        uint64_t start = 0;
        uint64_t size = 0;
        std::filesystem::path path;
    };
    std::vector<Part> parts_;
    uint64_t size_ = 0;
    std::filesystem::path path_;
};

// Reads of an InFile through a window of its bytes, for runs of small reads
// in file order (one entry after the next): one system call fills the
// window for many of them; larger reads go to the file directly. Belongs to
// one thread.
class ReadWindow {
public:
    explicit ReadWindow(size_t size = 256 * 1024) : size_(size) {}
    // As InFile::readExact.
    void readExact(const InFile& f, uint64_t at, void* buf, size_t n);
    // The `n` bytes at `at` inside the window (valid until the next call),
    // or nullptr when they are too many for it. Throws as readExact.
    const char* view(const InFile& f, uint64_t at, size_t n);
    // Drops what it holds (the file it was read from is gone or changed).
    void forget() { file_ = nullptr; }

private:
    size_t size_;
    std::vector<char> buf_;
    const InFile* file_ = nullptr;
    uint64_t start_ = 0;
};

// A file that is removed again unless it is kept: the temporary archive of
// a build, a file being extracted. While it exists its maker holds it locked
// (platform/fs/OwnedTemp.h), so that a later run can tell a killed run's
// leftover from a file still being written.
class TempFile {
public:
    // The names of temporary files that stand for no file in particular: a
    // later extraction into their folder removes those no live run holds.
    static constexpr std::string_view DefaultStem = ".~qmz";
    // The stem of the temporary files of a build of `archive` (a host path):
    // a later build of the same archive removes those no live run holds.
    static std::string stemFor(const std::filesystem::path& archive);

    TempFile() = default;
    ~TempFile() { discard(); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates a new, uniquely named file (`stem`, 16 hex digits, ".tmp") in
    // `folder`, or relative to the open folder `dirfd` when that is not -1.
    // Returns the open descriptor; throws IoError.
    int create(const std::filesystem::path& folder, int dirfd = -1, mode_t mode = 0666,
               std::string_view stem = DefaultStem);
    // Gives the finished file `fd`, made without a name (O_TMPFILE), a new
    // temporary name in the open folder `dirfd`. False with errno set when
    // that cannot be done.
    bool link(int fd, int dirfd);
    const std::filesystem::path& path() const { return path_; }
    const std::string& name() const { return name_; }
    // The file has been renamed or is to stay: nothing is removed.
    void keep();
    void discard();

private:
    void unlock();

    std::filesystem::path path_;
    std::string name_;
    int dirfd_ = -1;
    int lock_ = -1;
};

// Writes `n` bytes at the current position of `fd`, retrying short writes.
void writeAllFd(int fd, const void* data, size_t n, const std::filesystem::path& path, const IoFaults* faults,
                uint64_t offsetHint);

} // namespace qm::zip
