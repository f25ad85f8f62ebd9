#pragma once
// The engine's file side: the archive read in 8 KiB blocks aligned to the
// file, the ZIP signatures, the mapping of entry names to output names, the
// folders below the destination (opened without following links) and output
// files that take their name only when complete.
#include "platform/fs/Handles.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::sfxstub::detail {

// The archive file, read through one block of 8 KiB kept aligned to the file.
class DiskInput {
public:
    // Opens a Windows-form path: 0, or the error code (ENOENT also when
    // the path cannot be mapped or is not a file).
    int open(const std::string& winPath);
    void close() { file_.close(); blockLen_ = 0; }
    bool isOpen() const { return file_.isOpen(); }
    uint64_t size() const { return file_.size(); }
    // What tells the open file from another disk's; nothing when none is open.
    std::optional<qm::fs::FileKey> key() const { return file_.key(); }
    void seek(uint64_t pos) { pos_ = pos; }
    uint64_t tell() const { return pos_; }
    // Up to `n` bytes from the position; fewer only at the end of the file.
    size_t read(void* buf, size_t n);

private:
    static constexpr size_t Block = 8192;
    qm::fs::InputFile file_;
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
    qm::fs::FolderHandle dir;
    std::filesystem::path host;
    std::string win;
};

// Opens a folder named in Windows form (links in it are followed: it is the
// destination or a folder of the program's).
bool openBase(const std::string& winFolder, OpenFolder& out);
// Opens, making it when missing, the folder `name` below `parent` (by that
// very name: "Docs" and "docs" are two folders where the file system tells
// them apart), never following a link. `made` hears of each folder made. False when it cannot
// be opened or made.
bool openChild(const OpenFolder& parent, const std::string& name, OpenFolder& out,
               const std::function<void(const std::string&)>& made);

// An output file is written beside its target under a temporary name and
// put in place only when complete.
using OutputFile = qm::fs::PendingFile;

} // namespace qm::sfxstub::detail
