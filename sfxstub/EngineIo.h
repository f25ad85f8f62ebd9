#pragma once
// The engine's file side: the archive read in 8 KiB blocks aligned to the
// file, the ZIP signatures, the mapping of entry names to output names, the
// folders below the destination (opened without following links) and output
// files that take their name only when complete.
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace qm::sfxstub::detail {

// The archive file, read through one block of 8 KiB kept aligned to the file.
class DiskInput {
public:
    DiskInput() = default;
    DiskInput(const DiskInput&) = delete;
    DiskInput& operator=(const DiskInput&) = delete;
    ~DiskInput() { close(); }

    // Opens a Windows-form path; false when it cannot be opened.
    bool open(const std::string& winPath);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    uint64_t size() const { return size_; }
    void seek(uint64_t pos) { pos_ = pos; }
    uint64_t tell() const { return pos_; }
    // Up to `n` bytes from the position; fewer only at the end of the file.
    size_t read(void* buf, size_t n);

private:
    static constexpr size_t Block = 8192;
    int fd_ = -1;
    uint64_t size_ = 0;
    unsigned char block_[Block];
    uint64_t blockStart_ = 0;
    size_t blockLen_ = 0;
    uint64_t pos_ = 0;
};

enum class Sig { Local, Central, End };
// A record signature, put together at run time: the program holds none whole.
std::array<unsigned char, 4> signature(Sig s);
bool hasSignature(const unsigned char* p, Sig s);

// An entry name taken apart into output components.
struct MappedName {
    bool refused = false;     // a "..", ".", empty or NUL component, or nothing left
    bool folder = false;      // the name ends in a separator
    bool droppedRoot = false; // a leading separator or drive was taken off
    std::vector<std::string> parts;
};
MappedName mapEntryName(std::string_view name);
// The 8.3 form of a component, for volumes that refuse the long one.
std::string shortForm(std::string_view component);

// An open folder, its host path and its Windows form.
struct OpenFolder {
    int fd = -1;
    std::filesystem::path host;
    std::string win;
    OpenFolder() = default;
    OpenFolder(OpenFolder&& o) noexcept;
    OpenFolder& operator=(OpenFolder&& o) noexcept;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder();
};

// Opens a folder named in Windows form (links in it are followed: it is the
// destination or a folder of the program's).
bool openBase(const std::string& winFolder, OpenFolder& out);
// The spelling under which `name` exists in `folder` (case ignored), else
// `name` itself.
std::string spellingIn(const OpenFolder& folder, const std::string& name);
// Opens, making it when missing, the folder `name` below `parent`, never
// following a link. `made` hears of each folder made. False when it cannot
// be opened or made.
bool openChild(const OpenFolder& parent, const std::string& name, OpenFolder& out,
               const std::function<void(const std::string&)>& made);

// An output file written beside its target under a temporary name, created
// exclusively; commit() puts it in place, anything else removes it.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    bool create(const OpenFolder& folder, const std::string& leaf);
    bool isOpen() const { return fd_ >= 0; }
    // False on a short write (errno tells why).
    bool write(const unsigned char* p, size_t n);
    // Sets the permissions and the time, and renames over the target.
    bool commit(mode_t mode, std::time_t modified);
    void discard();

private:
    int dirfd_ = -1;
    int fd_ = -1;
    std::string temp_;
    std::string leaf_;
};

} // namespace qm::sfxstub::detail
