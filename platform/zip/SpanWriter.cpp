// Writing a spanned archive disk by disk from the whole archive made in the
// temporary folder.
#include "platform/fs/OwnedTemp.h"
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <algorithm>
#include <cerrno>
#include <optional>
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

// The file of the archive's name on a disk: the one the disk's part replaces.
struct OldFile {
    bool regular = false;
    mode_t mode = 0;
    uint64_t freed = 0; // the room it gives back when it goes
};

OldFile oldFileAt(const stdfs::path& p)
{
    OldFile old;
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return old;
    old.regular = true;
    old.mode = st.st_mode & 07777;
    if (st.st_nlink == 1) // another name keeps its blocks
        old.freed = uint64_t(st.st_blocks) * 512;
    return old;
}

// The mode a disk's file gets, as a single-file archive's: the old file's
// (a self-extractor's program gaining execute wherever it may be read, any
// other part losing it), 0755 for a new program; nothing for a new plain
// file, which keeps the mode it was made with. None beyond `allowed`.
std::optional<mode_t> partMode(const OldFile& old, bool program, mode_t allowed)
{
    if (program)
        return programMode(old.regular ? std::optional<mode_t>(old.mode) : std::nullopt) & allowed;
    if (!old.regular)
        return std::nullopt;
    return old.mode & ~mode_t(0111) & allowed;
}

// The file the first disk held before a set that needs more disks took its
// name, or before its first part needed the room that file took. The first
// disk is out of the drive once the second is asked for, so nothing of it
// may wait on the disk itself: it waits beside the whole archive in the
// temporary folder instead, and goes back onto the first disk when the
// build stops while that disk is still in the drive.
class FirstDiskBefore {
public:
    FirstDiskBefore(PavikZip& z, OpContext& ctx, const stdfs::path& folder) : z_(z), ctx_(ctx), folder_(folder) {}

    enum class Back { Yes, No, NeitherOnDisk };

    // Keeps a copy of what `onDisk` holds, if it is a file. Throws IoError:
    // a copy that cannot be made stops the build before the disk changes.
    void keep(const stdfs::path& onDisk)
    {
        struct stat st {};
        if (held_ || ::lstat(onDisk.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return;
        mode_ = st.st_mode & 07777;
        copyToTemp(onDisk, folder_, copy_, 0600, z_.faults(), ctx_, TempFile::stemFor(onDisk));
        held_ = true;
    }
    bool held() const { return held_; }
    // Puts it back at `onDisk`. Where the disk has no room for it beside
    // what stands there now, that goes first; when the copy then cannot be
    // made, the disk holds neither. The Cancel that may have stopped the
    // build does not stop this.
    Back putBack(const stdfs::path& onDisk)
    {
        if (!held_)
            return Back::No;
        const bool stopAsked = std::exchange(z_.AbortRequested, false);
        const Back back = copyBack(onDisk);
        z_.AbortRequested = z_.AbortRequested || stopAsked;
        return back;
    }

private:
    Back copyBack(const stdfs::path& onDisk)
    {
        bool cleared = false;
        try {
            struct stat st {};
            if (::stat(copy_.path().c_str(), &st) != 0)
                return Back::No;
            if (oldFileAt(onDisk).regular && roomOn(onDisk.parent_path()) < uint64_t(st.st_size)) {
                nameChanging(z_.faults(), onDisk);
                cleared = ::unlink(onDisk.c_str()) == 0;
            }
            TempFile back;
            copyToTemp(copy_.path(), onDisk.parent_path(), back, mode_, z_.faults(), ctx_, TempFile::stemFor(onDisk));
            ::chmod(back.path().c_str(), mode_);
            nameChanging(z_.faults(), onDisk);
            if (::rename(back.path().c_str(), onDisk.c_str()) != 0)
                return cleared ? Back::NeitherOnDisk : Back::No;
            back.keep();
            syncFolder(onDisk.parent_path());
            return Back::Yes;
        } catch (...) {
            return cleared ? Back::NeitherOnDisk : Back::No;
        }
    }

    PavikZip& z_;
    OpContext& ctx_;
    stdfs::path folder_;
    TempFile copy_;
    mode_t mode_ = 0;
    bool held_ = false;
};

// How a disk takes its part.
struct Placing {
    uint64_t capacity = 0;      // what the part may hold
    bool oldGivesWay = false;   // the old file goes before the part is written
    std::optional<mode_t> mode; // the part's mode
};

// Weighs the disk whose archive file is `onDisk` for a part of at most
// `want` bytes (what remains of the set, or less where parts have a size),
// `least` of which must sit on it whole. The part is written beside the old
// file where it fits; otherwise the old file gives way and the disk's whole
// room counts. A disk too small even so is refused (ResultError).
Placing weigh(const stdfs::path& onDisk, uint64_t want, uint64_t partSize, uint64_t least, bool program,
              mode_t allowed)
{
    const OldFile old = oldFileAt(onDisk);
    const uint64_t beside = roomOn(onDisk.parent_path());
    auto limited = [partSize](uint64_t room) { return partSize > 0 ? std::min(room, partSize) : room; };
    Placing p;
    p.mode = partMode(old, program, allowed);
    const uint64_t whole = limited(beside + old.freed);
    if (whole < least || (whole < LeastRoom && whole < want))
        throw ResultError{result::DiskTooSmall};
    p.oldGivesWay = old.freed > 0 && beside < limited(want);
    p.capacity = p.oldGivesWay ? whole : limited(beside);
    return p;
}

} // namespace

void spanArchive(PavikZip& z, OpContext& ctx, const stdfs::path& source, const std::string& prefix)
{
    ArchiveReader src;
    src.open(source);
    DiskSlot slot(ctx, z.ArchivePath);
    std::vector<FileIdentity> written; // disks finished in this run
    std::unique_ptr<TempFile> temp;
    stdfs::path target;
    bool finishing = false; // the disk closed next is the last
    FirstDiskBefore before(z, ctx, source.parent_path());
    const mode_t allowed = z.OwnerOnlyFiles ? 0700 : 07777;
    const uint64_t partSize = z.SplitPartSize > 0 ? uint64_t(z.SplitPartSize) : 0;
    // What the disks take in all: the copied archive behind the program and
    // the spanning signature.
    struct stat whole {};
    const uint64_t total = prefix.size() + 4 + (::stat(source.c_str(), &whole) == 0 ? uint64_t(whole.st_size) : 0);
    uint64_t done = 0;                // on the disks finished so far
    bool firstGaveWay = false;        // the first disk's old file went before its part was written
    bool laterWrittenOver = false;    // a later disk's file of the archive's name was replaced or removed

    VolumeOutput::Hooks hooks;
    hooks.open = [&](uint32_t index) {
        const uint32_t number = index + 1;
        const uint64_t left = total > done ? total - done : 0;
        Placing place;
        target = slot.request(number, [&](const stdfs::path& p) {
            // The disk just finished is still in the drive: not this one.
            if (std::optional<FileIdentity> id = identityOf(p))
                if (std::find(written.begin(), written.end(), *id) != written.end())
                    return false;
            stdfs::path folder = p.parent_path();
            if (!makeFolders(folder))
                return false;
            qm::fs::removeStaleTemps(folder, TempFile::stemFor(p)); // a killed run's disk in the making
            // The program must sit whole on the first disk.
            place = weigh(p, left, partSize, index == 0 ? prefix.size() : 0, index == 0 && !prefix.empty(),
                          allowed);
            return true;
        }, false);
        slot.label(number);
        if (place.oldGivesWay) {
            // What remains does not fit beside the old file: it goes first,
            // the first disk's kept in the temporary folder.
            if (index == 0)
                before.keep(target);
            nameChanging(z.faults(), target);
            if (::unlink(target.c_str()) != 0 && errno != ENOENT)
                throw IoError{errno, target};
            (index == 0 ? firstGaveWay : laterWrittenOver) = true;
            syncFolder(target.parent_path());
            const uint64_t room = roomOn(target.parent_path());
            place.capacity = std::min(place.capacity, room);
        }
        temp = std::make_unique<TempFile>();
        VolumeOutput::Volume v;
        v.fd = temp->create(target.parent_path(), -1, z.OwnerOnlyFiles ? 0600 : 0666, TempFile::stemFor(target));
        if (place.mode)
            ::fchmod(v.fd, *place.mode);
        v.path = temp->path();
        v.capacity = place.capacity;
        return v;
    };
    hooks.closed = [&](uint32_t index) {
        if (index == 0 && !finishing)
            before.keep(target); // more disks follow
        const bool replaces = index > 0 && oldFileAt(target).regular;
        struct stat part {};
        if (::stat(temp->path().c_str(), &part) == 0)
            done += uint64_t(part.st_size);
        nameChanging(z.faults(), target);
        if (::rename(temp->path().c_str(), target.c_str()) != 0)
            throw IoError{errno, target};
        temp->keep();
        laterWrittenOver = laterWrittenOver || replaces;
        syncFolder(target.parent_path());
        if (std::optional<FileIdentity> id = identityOf(target))
            written.push_back(*id);
    };

    try {
        VolumeOutput vo(hooks, z.faults());
        ArchiveWriter w(vo);
        if (!prefix.empty()) {
            vo.keepTogether(prefix.size());
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
        // The unfinished part is closed and goes first: what is put back may
        // need its room.
        temp.reset();
        if (!written.empty() || firstGaveWay) {
            // Stopped once the first disk had taken the name, or had made
            // room for its part: it gets back what it held if it is still in
            // the drive (nothing was asked for since it made room), and the
            // run says what it holds.
            const std::optional<stdfs::path> now = slot.current();
            const std::optional<FileIdentity> id = now ? identityOf(*now) : std::nullopt;
            const bool firstIn = now && (written.empty() || (id && *id == written.front()));
            const FirstDiskBefore::Back back = firstIn ? before.putBack(*now) : FirstDiskBefore::Back::No;
            int said = warning::FirstDiskUnfinished;
            if (back == FirstDiskBefore::Back::Yes)
                said = laterWrittenOver ? warning::EarlierSetBroken : warning::FirstDiskRestored;
            else if (back == FirstDiskBefore::Back::NeitherOnDisk || written.empty())
                said = warning::FirstDiskEmptied;
            ctx.warning(z.ArchivePath, said);
        }
        throw;
    }
}

} // namespace qm::zip
