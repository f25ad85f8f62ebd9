#include "CaseFoldingFolder.h"

#include "TestSupport.h"

#include <fstream>
#include <sys/stat.h>

namespace qm::test {

namespace stdfs = std::filesystem;

namespace {

// Whether the folder answers to a name in capitals for a file made in small letters.
bool folds(const stdfs::path& folder)
{
    std::ofstream(folder / "probe.txt") << "x";
    struct stat st {};
    const bool same = ::stat((folder / "PROBE.TXT").c_str(), &st) == 0;
    std::error_code ec;
    stdfs::remove(folder / "probe.txt", ec);
    return same;
}

} // namespace

CaseFoldingFolder::CaseFoldingFolder(const stdfs::path& under, unsigned megabytes)
    : image_(under / "fat.img"), mountPoint_(under / "fat")
{
    stdfs::create_directories(mountPoint_);
    if (!haveProgram("mkfs.vfat") && !stdfs::exists("/usr/sbin/mkfs.vfat") && !stdfs::exists("/sbin/mkfs.vfat")) {
        why_ = "mkfs.vfat (Debian dosfstools) is not installed";
        return;
    }
    std::string out;
    if (runCommand({"sh", "-c", "PATH=$PATH:/usr/sbin:/sbin mkfs.vfat -C '" + image_.string() + "' " +
                                    std::to_string(megabytes * 1024) + " >/dev/null 2>&1"},
                   &out) != 0) {
        why_ = "mkfs.vfat could not make a FAT image";
        return;
    }
    if (runCommand({"sh", "-c", "mount -t vfat -o loop '" + image_.string() + "' '" + mountPoint_.string() +
                                    "' >/dev/null 2>&1"}) == 0) {
        mounted_ = true;
    } else if (haveProgram("fusefat") &&
               runCommand({"sh", "-c", "fusefat -o rw+ '" + image_.string() + "' '" + mountPoint_.string() +
                                           "' >/dev/null 2>&1"}) == 0) {
        mounted_ = fuse_ = true;
    } else {
        why_ = "a FAT image cannot be mounted here (no vfat in the kernel or no loop device, and no fusefat "
               "or FUSE; or mounting is not allowed)";
        return;
    }
    if (!folds(mountPoint_)) {
        why_ = "the FAT medium mounted here tells case apart";
        unmount();
    }
}

CaseFoldingFolder::~CaseFoldingFolder()
{
    unmount();
}

void CaseFoldingFolder::unmount()
{
    if (!mounted_)
        return;
    const std::string at = "'" + mountPoint_.string() + "'";
    runCommand({"sh", "-c",
                (fuse_ ? "fusermount3 -u " + at + " 2>/dev/null || fusermount -u " + at + " 2>/dev/null || " : "") +
                    "umount " + at + " 2>/dev/null"});
    mounted_ = false;
}

} // namespace qm::test
