#pragma once
// The files of a set on the host's file system: the set that a file names
// (qm::zip::sets::membersOf over the files beside it), and which archive a
// part beside it belongs to. Shared by the zip control and the
// self-extractor stub.
#include "platform/zip/SetMembers.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm::zip {

// The file "<stem>.z<nn>" beside `named` (number 2: "name.z02"), as it
// stands in either letter case; where neither stands, in capitals when the
// extension of `named` is.
std::filesystem::path partFile(const std::filesystem::path& named, uint32_t number);

// The set that the file `named` names, with the paths of its files.
struct SetFiles {
    std::filesystem::path named;
    sets::Members members;
    std::vector<std::filesystem::path> paths; // first part first; the last holds the end record
    std::filesystem::path faulty;             // the file missing, damaged or another set's

    sets::Layout layout() const { return members.layout; }
    bool whole() const { return members.whole(); }
    // Whether the set has parts beside `named` (a split set or a program's).
    bool beside() const { return layout() == sets::Layout::Split || layout() == sets::Layout::ProgramSet; }
    // Whether `p` is one of its files, by name.
    bool holds(const std::filesystem::path& p) const;
    // Its files other than the one that names it that stand beside it and
    // are its own: all of them when the set is whole; else those that no
    // other archive beside counts among its parts.
    std::vector<std::filesystem::path> ownParts() const;
};
SetFiles setFilesOf(const std::filesystem::path& named);

// The names in the folder that holds `file`, sorted.
std::vector<std::string> namesBeside(const std::filesystem::path& file);

// The archive beside `file` whose set counts it among its parts (a split
// archive's last part, a self-extracting program), other than `except`;
// nothing when none does.
std::optional<std::filesystem::path> ownerOf(const std::filesystem::path& file, const std::filesystem::path& except = {});

// A file of one of the host's file systems, as the set records read it.
class HostFile : public sets::File {
public:
    // Opens the regular file `p` (a link to one too); check isOpen().
    explicit HostFile(const std::filesystem::path& p);
    ~HostFile() override;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t at, void* buf, size_t n) const override;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

} // namespace qm::zip
