// Writing a spanned archive disk by disk from the whole archive made in the
// temporary folder.
#include "platform/fs/OwnedTemp.h"
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <cerrno>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;

namespace {

// Room kept free on each disk for the file system's own needs.
constexpr uint64_t DiskReserve = 8192;
// A disk with less room than this is taken as full.
constexpr uint64_t LeastRoom = 4096;

uint64_t roomOn(const stdfs::path& folder)
{
    struct statvfs vs {};
    if (::statvfs(folder.c_str(), &vs) != 0)
        return 0;
    uint64_t free = uint64_t(vs.f_bavail) * uint64_t(vs.f_frsize);
    return free > DiskReserve ? free - DiskReserve : 0;
}

bool makeFolders(const stdfs::path& folder)
{
    std::error_code ec;
    stdfs::create_directories(folder, ec);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The file the first disk held before a set that needs more disks took its
// name. The first disk is out of the drive once the second is asked for, so
// nothing of it may wait on the disk itself: it waits beside the whole
// archive in the temporary folder instead, and goes back onto the first
// disk when the build stops while that disk is still in the drive.
class FirstDiskBefore {
public:
    FirstDiskBefore(PavikZip& z, OpContext& ctx, const stdfs::path& folder) : z_(z), ctx_(ctx), folder_(folder) {}

    // Keeps a copy of what `onDisk` holds, if it is a file. Throws IoError:
    // a copy that cannot be made stops the build before the disk changes.
    void keep(const stdfs::path& onDisk)
    {
        struct stat st {};
        if (::lstat(onDisk.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return;
        mode_ = st.st_mode & 07777;
        copyToTemp(onDisk, folder_, copy_, 0600, z_.faults(), ctx_, TempFile::stemFor(onDisk));
        held_ = true;
    }
    // Puts it back at `onDisk`; false when that cannot be done. The Cancel
    // that may have stopped the build does not stop this.
    bool putBack(const stdfs::path& onDisk)
    {
        if (!held_)
            return false;
        const bool stopAsked = std::exchange(z_.AbortRequested, false);
        const bool back = copyBack(onDisk);
        z_.AbortRequested = z_.AbortRequested || stopAsked;
        return back;
    }

private:
    bool copyBack(const stdfs::path& onDisk)
    {
        try {
            TempFile back;
            copyToTemp(copy_.path(), onDisk.parent_path(), back, mode_, z_.faults(), ctx_, TempFile::stemFor(onDisk));
            ::chmod(back.path().c_str(), mode_);
            nameChanging(z_.faults(), onDisk);
            if (::rename(back.path().c_str(), onDisk.c_str()) != 0)
                return false;
            back.keep();
            return true;
        } catch (...) {
            return false;
        }
    }

    PavikZip& z_;
    OpContext& ctx_;
    stdfs::path folder_;
    TempFile copy_;
    mode_t mode_ = 0;
    bool held_ = false;
};

} // namespace

void spanArchive(PavikZip& z, OpContext& ctx, const stdfs::path& source, const std::string& prefix)
{
    ArchiveReader src;
    src.open(source);
    DiskSlot slot(ctx, z.ArchivePath);
    std::vector<FileIdentity> written; // disks finished in this run
    std::unique_ptr<TempFile> temp;
    stdfs::path target;
    uint64_t room = 0; // what the disk now in takes
    bool finishing = false; // the disk closed next is the last
    FirstDiskBefore before(z, ctx, source.parent_path());

    VolumeOutput::Hooks hooks;
    hooks.open = [&](uint32_t index) {
        const uint32_t number = index + 1;
        uint64_t capacity = 0;
        target = slot.request(number, [&](const stdfs::path& p) {
            // The disk just finished is still in the drive: not this one.
            if (std::optional<FileIdentity> id = identityOf(p))
                if (std::find(written.begin(), written.end(), *id) != written.end())
                    return false;
            stdfs::path folder = p.parent_path();
            if (!makeFolders(folder))
                return false;
            qm::fs::removeStaleTemps(folder, TempFile::stemFor(p)); // a killed run's disk in the making
            capacity = roomOn(folder);
            if (z.SplitPartSize > 0)
                capacity = std::min<uint64_t>(capacity, uint64_t(z.SplitPartSize));
            return capacity >= LeastRoom;
        }, false);
        slot.label(number);
        temp = std::make_unique<TempFile>();
        VolumeOutput::Volume v;
        v.fd = temp->create(target.parent_path(), -1, 0666, TempFile::stemFor(target));
        v.path = temp->path();
        v.capacity = capacity;
        room = capacity;
        return v;
    };
    hooks.closed = [&](uint32_t index) {
        if (index == 0 && !finishing)
            before.keep(target); // more disks follow
        nameChanging(z.faults(), target);
        if (::rename(temp->path().c_str(), target.c_str()) != 0)
            throw IoError{errno, target};
        temp->keep();
        int fd = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        if (std::optional<FileIdentity> id = identityOf(target))
            written.push_back(*id);
    };

    VolumeOutput vo(hooks, z.faults());
    try {
        ArchiveWriter w(vo);
        if (!prefix.empty()) {
            vo.keepTogether(prefix.size());
            // The program must sit whole on the first disk: one that cannot
            // hold it is left as it was.
            if (prefix.size() > room)
                throw ResultError{result::DiskFull};
            vo.write(prefix.data(), prefix.size());
        }
        const uint64_t sigAt = vo.offset();
        char sig[4];
        fmt::set32(sig, SpanningSig);
        vo.write(sig, 4);
        for (const ArchiveEntry& e : src.entries()) {
            ctx.step();
            w.copyEntry(src, e, [&](uint64_t) { ctx.tick(); });
        }
        w.finish(src.comment());
        if (vo.count() == 1) {
            fmt::set32(sig, SinglePartMarker);
            vo.patch(sigAt, sig, 4);
        }
        finishing = true;
        vo.finish();
    } catch (...) {
        if (!written.empty()) {
            // Stopped once the first disk had taken the name: it gets back
            // what it held if it is still in the drive, and the run says which.
            const std::optional<stdfs::path> now = slot.current();
            const std::optional<FileIdentity> id = now ? identityOf(*now) : std::nullopt;
            const bool back = id && *id == written.front() && before.putBack(*now);
            ctx.warning(z.ArchivePath, back ? warning::FirstDiskRestored : warning::FirstDiskUnfinished);
        }
        throw;
    }
}

} // namespace qm::zip
