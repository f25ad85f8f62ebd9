// Build: a new archive, or an update of an existing one (entries replaced
// by name, new ones added, the rest copied unchanged), always written to a
// temporary file (or temporary parts) that takes the old archive's place
// only when complete. A split archive's parts are written side by side; a
// spanned archive is made whole in the temporary folder first and then
// written disk by disk. A self-extractor's program and configuration go in
// front of the archive, whose offsets then count from the file's start.
#include "platform/fs/Drives.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/EntryJob.h"
#include "platform/zip/Gather.h"
#include "platform/zip/Names.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/SfxSettings.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace qm::zip {

namespace stdfs = std::filesystem;

namespace {

// Sizes from which an entry's local header reserves Zip64 sizes: the data
// may then pass 4 GiB once compressed.
constexpr uint64_t LargeEntry = 0xF0000000ull;

struct Planned {
    SourceItem item;
    int replaces = -1; // index of the old entry it takes the place of
};

class BuildRun {
public:
    BuildRun(PavikZip& z, OpContext& ctx) : z_(z), ctx_(ctx) {}
    ~BuildRun()
    {
        if (tempFd_ >= 0)
            ::close(tempFd_);
    }
    BuildRun(const BuildRun&) = delete;
    BuildRun& operator=(const BuildRun&) = delete;
    int run();

private:
    enum class Layout { Single, Split, Spanned };
    int checkSettings();
    int openTemp(const stdfs::path& targetFolder);
    int writeArchive(ArchiveWriter& w, const std::string& comment);
    void placeSplit();
    void removeStaleParts();
    void plan(std::vector<SourceItem>& found);
    bool writeNew(ArchiveWriter& w, const Planned& p);
    void copyOld(ArchiveWriter& w, size_t index);
    std::string extras(const SourceItem& it, const std::string& name, bool local) const;
    void skipped(const std::string& name, const std::string& source, int reason)
    {
        ctx_.skipped(name, source, z_.ArchivePath, reason);
    }
    void progress(uint64_t doneInEntry)
    {
        ctx_.setDone(done_ + doneInEntry);
        ctx_.tick();
    }

    PavikZip& z_;
    OpContext& ctx_;
    ArchiveReader old_;
    bool hasOld_ = false;
    stdfs::path target_;
    TempFile temp_;
    int tempFd_ = -1;
    std::vector<Planned> planned_;
    std::vector<int> replacedBy_; // per old entry: index in planned_, or -1
    EntryCompressor compressor_;
    uint64_t done_ = 0;
    Layout layout_ = Layout::Single;
    SfxPrefix sfx_;
    bool isSfx_ = false;
    std::vector<std::unique_ptr<TempFile>> parts_; // the temporary parts of a split archive
    stdfs::path partsFolder_;
};

bool onRemovableDrive(const std::string& winPath)
{
    std::string p = qm::fs::toBackslashes(winPath);
    if (p.size() < 2 || p[1] != ':')
        return false;
    std::optional<qm::fs::Drive> d = qm::fs::findDrive(p[0]);
    return d && d->type == qm::fs::drivetype::Removable;
}

int BuildRun::checkSettings()
{
    if (z_.Method != 0 && z_.Method != 8 && z_.Method != 18)
        return result::BadSetting;
    if (z_.Level < 0 || z_.Level > 9)
        return result::BadSetting;
    if (z_.SpanMode < 0 || z_.SpanMode > 2 || z_.SplitPartSize < 0)
        return result::BadSetting;
    if (z_.ArchivePath.empty())
        return result::NoArchivePath;
    if (z_.SpanMode == 1 || (z_.SpanMode == 2 && onRemovableDrive(z_.ArchivePath)))
        layout_ = Layout::Spanned;
    else if (z_.SplitPartSize > 0)
        layout_ = Layout::Split;
    if (layout_ != Layout::Single && z_.SplitPartSize > 0 && z_.SplitPartSize < MinPartSize)
        return result::SplitSizeTooSmall;
    isSfx_ = !z_.SfxStubPath.empty();
    if (isSfx_) {
        // A stub runs from its own file and finds the archive from there:
        // it cannot be one of several parts side by side.
        if (layout_ == Layout::Split)
            return result::SfxCannotSplit;
        sfx_ = makeSfxPrefix(z_);
        if (sfx_.result != result::Ok) {
            if (sfx_.result == result::SfxValueTooLong)
                ctx_.warning(sfx_.property, warning::SfxValueTooLong);
            return sfx_.result;
        }
    }
    return result::Ok;
}

int BuildRun::run()
{
    int r = checkSettings();
    if (r != result::Ok)
        return r;

    struct stat st {};
    std::set<std::pair<uint64_t, uint64_t>> leaveOut;
    stdfs::path folder;
    if (layout_ == Layout::Spanned) {
        // Made whole in the temporary folder, then written disk by disk; an
        // archive already on the disk in the drive is not carried over.
        std::optional<stdfs::path> t = tempFolderOf(z_);
        if (!t)
            return result::TempFolderFailed;
        folder = *t;
    } else {
        std::optional<stdfs::path> native = nativeOf(z_.ArchivePath);
        if (!native)
            return result::TargetFolderMissing;
        target_ = resolveTarget(*native);
        folder = target_.parent_path();
        if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return result::TargetFolderMissing;
        if (::stat(target_.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode))
                return result::WriteFailed;
            if (!(st.st_mode & S_IWUSR))
                return result::ArchiveReadOnly; // a read-only file is protected, as on the file system
            leaveOut.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)});
            if (st.st_size > 0) {
                r = openArchive(ctx_, z_.ArchivePath, old_, false);
                if (r != result::Ok)
                    return r;
                hasOld_ = true;
            }
        }
        for (const stdfs::path& p : existingSplitParts(target_))
            if (::stat(p.c_str(), &st) == 0)
                leaveOut.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)});
    }

    if (layout_ == Layout::Split) {
        std::optional<stdfs::path> t = workFolderOf(z_, folder);
        if (!t || ::stat(t->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return result::TempFolderFailed;
        partsFolder_ = *t;
    } else {
        r = openTemp(folder);
        if (r != result::Ok)
            return r;
        if (::fstat(tempFd_, &st) == 0)
            leaveOut.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)});
    }

    // The files to take.
    GatherSettings g;
    g.items = names::splitList(z_.FileMask);
    for (const std::string& e : z_.listEntries())
        if (!e.empty())
            g.items.push_back(e);
    g.sourceFolderGiven = !z_.SourceFolder.empty();
    g.keepFolderNames = z_.KeepFolderNames;
    g.includeSubfolders = z_.IncludeSubfolders;
    g.filters = filtersOf(z_);
    g.leaveOut = leaveOut;
    if (g.sourceFolderGiven) {
        g.baseFolder = z_.SourceFolder;
        bool anyRelative = false;
        for (const std::string& i : g.items)
            anyRelative = anyRelative || !isAbsoluteWinPath(i);
        std::optional<stdfs::path> base = nativeOf(z_.SourceFolder);
        if (anyRelative && (!base || ::stat(base->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
            return result::SourceNotFound;
    } else {
        std::error_code ec;
        g.baseFolder = qm::fs::fromNative(stdfs::current_path(ec));
    }
    GatherCallbacks cb;
    cb.tick = [this] { ctx_.tick(); };
    cb.skipped = [this](const std::string& source, int reason) { skipped(source, source, reason); };
    std::vector<SourceItem> found = gatherSources(g, cb);
    plan(found);

    std::string comment = hasOld_ ? old_.comment() : std::string();
    const std::string oldComment = comment;
    ctx_.emit([&](ZipEvents& s) { s.CommentRequest(comment); });

    if (planned_.empty()) {
        if (!hasOld_)
            return result::NothingToDo;
        if (comment == oldComment && !isSfx_ && layout_ == Layout::Single && !old_.spanned())
            return result::Ok; // nothing would change
    }
    if (isSfx_) {
        // The stub reads no Zip64 records: a file that would need them stops
        // the build before anything is compressed.
        for (const Planned& p : planned_)
            if (p.item.size >= LargeEntry)
                return result::SfxNeedsZip64;
    }

    uint64_t total = 0;
    for (const Planned& p : planned_)
        total += p.item.size;
    if (hasOld_)
        for (size_t i = 0; i < old_.entries().size(); ++i)
            if (replacedBy_[i] < 0)
                total += old_.entries()[i].compressedSize;
    ctx_.setTotal(total);
    ctx_.setDone(0);

    if (layout_ == Layout::Split) {
        VolumeOutput::Hooks hooks;
        hooks.open = [this](uint32_t) {
            parts_.push_back(std::make_unique<TempFile>());
            VolumeOutput::Volume v;
            v.fd = parts_.back()->create(partsFolder_);
            v.path = parts_.back()->path();
            v.capacity = uint64_t(z_.SplitPartSize);
            return v;
        };
        hooks.dropped = [this](uint32_t index) { parts_.resize(index); };
        VolumeOutput vo(hooks, z_.faults());
        ArchiveWriter w(vo);
        char sig[4];
        fmt::set32(sig, SpanningSig);
        vo.write(sig, 4);
        r = writeArchive(w, comment);
        if (r != result::Ok)
            return r;
        if (vo.count() == 1) {
            fmt::set32(sig, SinglePartMarker);
            vo.patch(0, sig, 4);
        }
        vo.finish();
        ctx_.complete();
        placeSplit();
        return result::Ok;
    }

    OutFile out;
    out.attach(tempFd_, temp_.path(), z_.faults());
    tempFd_ = -1;
    ArchiveWriter w(out);
    if (layout_ == Layout::Single) {
        if (isSfx_)
            out.write(sfx_.bytes.data(), sfx_.bytes.size());
        else if (hasOld_ && !old_.spanned() && old_.leadSize() > 0)
            w.copyBytes(old_.file(), 0, old_.leadSize()); // a stub in front stays
    }
    r = writeArchive(w, comment);
    if (r != result::Ok)
        return r;
    ctx_.complete();
    if (layout_ == Layout::Spanned) {
        out.commit();
        spanArchive(z_, ctx_, temp_.path(), isSfx_ ? sfx_.bytes : std::string());
        return result::Ok;
    }
    putInPlace(out, temp_, target_, z_.faults(), ctx_, isSfx_);
    removeStaleParts();
    return result::Ok;
}

int BuildRun::writeArchive(ArchiveWriter& w, const std::string& comment)
{
    if (hasOld_) {
        for (size_t i = 0; i < old_.entries().size(); ++i) {
            ctx_.step();
            int p = replacedBy_[i];
            if (p < 0 || !writeNew(w, planned_[size_t(p)]))
                copyOld(w, i); // a file that cannot be read now keeps its older copy
        }
    }
    for (const Planned& p : planned_) {
        if (p.replaces >= 0)
            continue;
        ctx_.step();
        writeNew(w, p);
    }
    if (w.entries().empty() && !hasOld_)
        return result::NothingToDo;
    if (isSfx_ && w.needsZip64())
        return result::SfxNeedsZip64;
    w.finish(comment);
    return result::Ok;
}

void BuildRun::placeSplit()
{
    std::vector<stdfs::path> paths;
    for (const auto& p : parts_)
        paths.push_back(p->path());
    struct stat st {};
    mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    if (mode == 0) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    placeSplitSet(paths, target_, mode, z_.faults(), ctx_);
    for (auto& p : parts_)
        p->keep();
}

void BuildRun::removeStaleParts()
{
    // An old split set gave way to one file: its other parts go too.
    if (!hasOld_ || !old_.spanned())
        return;
    for (const stdfs::path& p : existingSplitParts(target_))
        ::unlink(p.c_str());
}

int BuildRun::openTemp(const stdfs::path& targetFolder)
{
    std::optional<stdfs::path> folder = workFolderOf(z_, targetFolder);
    if (!folder)
        return result::TempFolderFailed;
    try {
        tempFd_ = temp_.create(*folder);
    } catch (const IoError& e) {
        if (e.err == ENOSPC || e.err == EDQUOT)
            return result::DiskFull;
        return z_.UseTempArchive ? result::TempFolderFailed : result::WriteFailed;
    }
    return result::Ok;
}

void BuildRun::plan(std::vector<SourceItem>& found)
{
    std::unordered_map<std::string, size_t> oldByName;
    if (hasOld_) {
        replacedBy_.assign(old_.entries().size(), -1);
        for (size_t i = 0; i < old_.entries().size(); ++i)
            oldByName.emplace(qm::fs::foldCase(old_.entries()[i].name), i);
    }
    std::unordered_map<std::string, size_t> taken;
    for (SourceItem& it : found) {
        std::string name = it.name;
        ctx_.emit([&](ZipEvents& s) { s.EntryNaming(name, it.source); });
        if (name != it.name)
            name = names::toStored(name, it.folder);
        if (name.empty() || name.size() > fmt::Max16) { // a stored name has a 16-bit length
            skipped(it.source, it.source, skip::InvalidName);
            continue;
        }
        it.name = name;
        std::string key = qm::fs::foldCase(name);
        auto dup = taken.find(key);
        if (dup != taken.end()) {
            if (planned_[dup->second].item.native != it.native)
                skipped(names::shown(name), it.source, skip::DuplicateName);
            continue;
        }
        auto o = oldByName.find(key);
        const ArchiveEntry* oldEntry = o == oldByName.end() ? nullptr : &old_.entries()[o->second];
        if (z_.SkipWhenExisting && oldEntry) {
            skipped(names::shown(name), it.source, skip::AlreadyInArchive);
            continue;
        }
        if (z_.SkipWhenMissing && !oldEntry) {
            skipped(names::shown(name), it.source, skip::NotInArchive);
            continue;
        }
        if (z_.SkipWhenOlderDate && oldEntry && !it.folder) {
            int64_t mine = it.times.modified.value_or(0);
            bool older = oldEntry->times.modified
                             ? mine < *oldEntry->times.modified
                             : fmt::dosFromTimeT(mine).packed() <
                                   ((uint32_t(oldEntry->dosDate) << 16) | oldEntry->dosTime);
            if (older) {
                skipped(names::shown(name), it.source, skip::OlderThanInArchive);
                continue;
            }
        }
        // Files carry no version information here, so "older version" never applies.
        Planned p;
        p.item = std::move(it);
        if (oldEntry && replacedBy_[o->second] < 0) {
            p.replaces = int(o->second);
            replacedBy_[o->second] = int(planned_.size());
        }
        taken.emplace(key, planned_.size());
        planned_.push_back(std::move(p));
    }
}

std::string BuildRun::extras(const SourceItem& it, const std::string& name, bool local) const
{
    std::string x;
    if (z_.HeaderSet & 1)
        fmt::appendExtendedTime(x, it.times, local);
    if (z_.HeaderSet & 2)
        fmt::appendNtfsTimes(x, it.times);
    if ((z_.HeaderSet & 8) && !fmt::isAscii(name))
        fmt::appendUnicodePath(x, name, name);
    // Bit 4 (security descriptors) has nothing to store on this system.
    return x;
}

bool BuildRun::writeNew(ArchiveWriter& w, const Planned& p)
{
    const SourceItem& it = p.item;
    const std::string shownName = names::shown(it.name);
    bool skip = false;
    ctx_.emit([&](ZipEvents& s) { s.BeforeZip(shownName, skip); });
    if (skip) {
        skipped(shownName, it.source, skip::SkippedByHandler);
        return false;
    }
    ctx_.fileProgress(shownName, 0);

    WrittenEntry e;
    e.name = it.name;
    fmt::DosTime dos = fmt::dosFromTimeT(it.times.modified.value_or(0));
    e.dosTime = dos.time;
    e.dosDate = dos.date;
    uint32_t dosAttrs = uint32_t(it.attributes) & (1 | 2);
    if (it.folder) {
        e.method = fmt::Stored;
        e.externalAttr = (uint32_t(S_IFDIR | it.mode) << 16) | dosAttrs | 0x10;
        w.beginEntry(e, extras(it, e.name, true), false);
        e.centralExtra = extras(it, e.name, false);
        w.endEntry(e);
        ctx_.fileProgress(shownName, 100);
        return true;
    }

    int fd = ::open(it.native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        skipped(shownName, it.source, errno == ENOENT ? skip::NotFound : skip::CannotRead);
        return false;
    }
    struct FdGuard {
        int fd;
        ~FdGuard() { ::close(fd); }
    } guard{fd};
    if (!z_.IncludeOpenFiles && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        skipped(shownName, it.source, skip::FileInUse);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        skipped(shownName, it.source, skip::CannotRead);
        return false;
    }

    const bool encrypt = !z_.Password.empty();
    const uint64_t size = uint64_t(st.st_size);
    int method = (z_.Level == 0 || z_.Method == fmt::Stored || size == 0) ? fmt::Stored : z_.Method;
    e.externalAttr = (uint32_t(S_IFREG | (st.st_mode & 07777)) << 16) | dosAttrs | 0x20;
    e.centralExtra = extras(it, e.name, false);
    const std::string localExtra = extras(it, e.name, true);
    const bool large = size >= LargeEntry;

    int fileLast = -1;
    auto onChunk = [&](uint64_t bytes) {
        int pct = size == 0 ? 100 : percentOf(bytes, size);
        if (pct != fileLast && pct < 100) {
            fileLast = pct;
            ctx_.fileProgress(shownName, pct);
        }
        progress(bytes);
    };
    CompressResult res;
    for (;;) {
        e.method = uint16_t(method);
        e.flags = encrypt ? (fmt::FlagEncrypted | fmt::FlagDescriptor) : 0;
        e.needed = (method == fmt::Stored && !encrypt) ? 10 : 20;
        w.beginEntry(e, localExtra, large);
        CompressJob job;
        job.fd = fd;
        job.expectedSize = size;
        job.method = method;
        job.level = method == fmt::Stored ? 0 : z_.Level;
        job.password = z_.Password;
        job.checkByte = uint8_t(e.dosTime >> 8);
        ArchiveOutput& out = w.out();
        try {
            res = compressor_.run(
                job, [&out](const unsigned char* d, size_t n) { out.write(d, n); }, onChunk);
        } catch (const SourceError&) {
            w.abandonEntry(e);
            skipped(shownName, it.source, skip::CannotRead);
            return false;
        }
        method = res.method;
        uint64_t data = res.compressedSize - (encrypt ? 12 : 0);
        if (method != fmt::Stored && data > res.size) {
            // Incompressible: stored is smaller.
            w.abandonEntry(e);
            method = fmt::Stored;
            continue;
        }
        break;
    }
    e.method = uint16_t(method);
    e.needed = large ? 45 : (method == fmt::Stored && !encrypt) ? 10 : 20;
    e.crc = res.crc;
    e.size = res.size;
    e.compressedSize = res.compressedSize;
    w.endEntry(e);
    done_ += size;
    ctx_.setDone(done_);
    if (res.sizeChanged)
        ctx_.warning(shownName, warning::FileChanged);
    ctx_.fileProgress(shownName, 100);
    return true;
}

void BuildRun::copyOld(ArchiveWriter& w, size_t index)
{
    const ArchiveEntry& e = old_.entries()[index];
    w.copyEntry(old_, e, [this](uint64_t bytes) { progress(bytes); });
    done_ += e.compressedSize;
}

} // namespace

int PavikZip::Build()
{
    return runOperation(*this, operation::Zip, [this](OpContext& ctx) { return BuildRun(*this, ctx).run(); });
}

} // namespace qm::zip
