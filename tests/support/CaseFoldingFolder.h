#pragma once
// A folder that takes a name in another case for the same file, as a FAT
// medium does: a small FAT image made with mkfs.vfat and mounted, by the
// kernel where it has FAT, else through fusefat. Where neither can be done
// (no tools, no loop devices or FUSE, not allowed to mount), available() is
// false and `why()` says so, for the test to print as its reason to skip.
#include <filesystem>
#include <string>

namespace qm::test {

class CaseFoldingFolder {
public:
    explicit CaseFoldingFolder(const std::filesystem::path& under, unsigned megabytes = 16);
    ~CaseFoldingFolder();
    CaseFoldingFolder(const CaseFoldingFolder&) = delete;
    CaseFoldingFolder& operator=(const CaseFoldingFolder&) = delete;

    bool available() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::filesystem::path& path() const { return mountPoint_; }

private:
    void unmount();

    std::filesystem::path image_, mountPoint_;
    bool mounted_ = false;
    bool fuse_ = false;
    std::string why_;
};

} // namespace qm::test
