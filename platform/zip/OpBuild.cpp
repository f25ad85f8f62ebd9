// Build: a new archive, or an update of an existing one (entries replaced
// by name, new ones added, the rest copied unchanged), always written to a
// temporary file (or temporary parts) that takes the old archive's place
// only when complete; a replacing build reads nothing of the old one. A
// split archive's parts are written side by side; a spanned archive is made
// whole in the temporary folder first and then written disk by disk. A
// self-extractor's program and configuration go in front of the archive,
// whose offsets then count from the file's start; split, the program is the
// first part, as on the first disk of a spanned one, and the other parts
// follow it as "name.z02", "name.z03", ...
#include "platform/fs/Drives.h"
#include "platform/fs/Handles.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/OwnedTemp.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SetAside.h"
#include "platform/fs/WinPath.h"
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/FileEntries.h"
#include "platform/zip/Gather.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/Names.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/SameAsOldOutput.h"
#include "platform/zip/SfxSettings.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace qm::zip {

namespace stdfs = std::filesystem;

namespace {

class BuildRun {
public:
    BuildRun(PavikZip& z, OpContext& ctx, bool replace) : z_(z), ctx_(ctx), replace_(replace) {}
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
    void placeProgramSet(const std::vector<stdfs::path>& paths);
    void plan(SourceList& found);
    void copyOld(ArchiveWriter& w, size_t index);
    // Every old entry, in place, with the planned file that replaces it
    // (none: the entry is kept as it is).
    std::vector<FileToWrite> oldInOrder();
    // Nothing would change: the old archive stays as it is (its entries
    // checked), dated as if it had been written now.
    int leftAsItIs();
    int dateAsWritten()
    {
        ::utimensat(AT_FDCWD, target_.c_str(), nullptr, 0);
        return result::Ok;
    }
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
    const bool replace_; // the old archive is not read: only the files make the new one
    ArchiveReader old_;
    bool hasOld_ = false;
    stdfs::path target_;
    TempFile temp_;
    int tempFd_ = -1;
    SourceList sources_;
    std::deque<SourceItem>& planned_ = sources_.items; // what plan() kept of them
    std::vector<int> replaces_;   // per planned file: the old entry it takes the place of, or -1
    std::vector<int> replacedBy_; // per old entry: index in planned_, or -1
    uint64_t done_ = 0;
    Layout layout_ = Layout::Single;
    SfxPrefix sfx_;
    bool isSfx_ = false;
    std::vector<std::unique_ptr<TempFile>> parts_; // the temporary parts of a split archive
    stdfs::path partsFolder_;
    std::string stem_; // what this archive's temporary files are called
    std::vector<stdfs::path> oldParts_; // the old set's parts beside its name
    NameOrigin origin_; // what stood under the archive's name when the build began
};

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
    if (z_.spansDisks())
        layout_ = Layout::Spanned;
    else if (z_.SplitPartSize > 0)
        layout_ = Layout::Split;
    if (layout_ != Layout::Single && z_.SplitPartSize > 0 && z_.SplitPartSize < MinPartSize)
        return result::SplitSizeTooSmall;
    isSfx_ = !z_.SfxStubPath.empty();
    if (isSfx_) {
        sfx_ = makeSfxPrefix(z_);
        if (sfx_.result != result::Ok) {
            if (sfx_.result == result::SfxValueTooLong)
                ctx_.warning(sfx_.property, warning::SfxValueTooLong);
            return sfx_.result;
        }
        // Split, the program is the first part (as the first disk of a
        // spanned one) and must sit in it whole, with the archive's signature.
        if (layout_ == Layout::Split && sfx_.bytes.size() + 4 > uint64_t(z_.SplitPartSize))
            return result::SfxSplitTooSmall;
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
        std::optional<stdfs::path> native = nativeOf(z_.ArchivePath);
        if (!t || !native)
            return result::TempFolderFailed;
        folder = *t;
        stem_ = TempFile::stemFor(*native);
        qm::fs::removeStaleTemps(folder, stem_);
    } else {
        std::optional<stdfs::path> native = nativeOf(z_.ArchivePath);
        if (!native)
            return result::TargetFolderMissing;
        target_ = resolveTarget(*native);
        folder = target_.parent_path();
        if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return result::TargetFolderMissing;
        origin_ = NameOrigin::of(target_);
        if (::stat(target_.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode))
                return result::WriteFailed;
            if (!(st.st_mode & S_IWUSR))
                return result::ArchiveReadOnly; // a read-only file is protected, as on the file system
            leaveOut.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)});
            if (st.st_size > 0 && !replace_) {
                r = openArchive(ctx_, z_.ArchivePath, old_, false);
                if (r != result::Ok)
                    return r;
                hasOld_ = true;
            } else if (st.st_size > 0 && target_ != *native && !isArchiveFile(target_)) {
                // A link at the archive's name is written through only over
                // an archive: anything else it leads to stays, as an update
                // leaves it.
                return result::NotAnArchive;
            }
        }
        // The old set's parts (those its records count) are not taken as
        // files to back up.
        oldParts_ = origin_.partPaths();
        for (const stdfs::path& p : oldParts_)
            if (::stat(p.c_str(), &st) == 0)
                leaveOut.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)});
        // Nor is an older archive of this name, or a part of its set,
        // waiting aside while it is made anew.
        for (const stdfs::path& p : copiesLeftAside(target_))
            if (::stat(p.c_str(), &st) == 0)
                leaveOut.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)});
        // (What killed builds of this archive left behind went before the
        // operation began: settleLeftAside.)
        stem_ = TempFile::stemFor(target_);
    }

    if (layout_ == Layout::Split) {
        // No part of this set is ever put over another archive's: refused
        // before anything is made.
        refuseOtherSetsParts(target_, isSfx_ ? 2 : 1, oldParts_);
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
    sources_ = gatherSources(g, cb);
    plan(sources_);

    std::string comment = hasOld_ ? old_.comment() : std::string();
    const std::string oldComment = comment;
    ctx_.emit([&](ZipEvents& s) { s.CommentRequest(comment); });

    if (planned_.empty()) {
        if (!hasOld_)
            return result::NothingToDo;
        if (comment == oldComment && !isSfx_ && layout_ == Layout::Single && !old_.spanned())
            return leftAsItIs(); // nothing would change
    }
    if (isSfx_) {
        // The stub reads no Zip64 records: a file that would need them stops
        // the build before anything is compressed.
        for (const SourceItem& p : planned_)
            if (p.size >= LargeEntry)
                return result::SfxNeedsZip64;
    }

    uint64_t total = 0;
    for (const SourceItem& p : planned_)
        total += p.size;
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
            v.fd = parts_.back()->create(partsFolder_, -1, TempFileMode, stem_);
            v.path = parts_.back()->path();
            v.capacity = uint64_t(z_.SplitPartSize);
            return v;
        };
        hooks.dropped = [this](uint32_t index) { parts_.resize(index); };
        VolumeOutput vo(hooks, z_.faults());
        ArchiveWriter w(vo);
        if (isSfx_) {
            // The program and its configuration open the first part, and the
            // entries' offsets there count from the file's start.
            vo.keepTogether(sfx_.bytes.size());
            vo.write(sfx_.bytes.data(), sfx_.bytes.size());
        }
        const uint64_t sigAt = vo.offset();
        char sig[4];
        fmt::set32(sig, SpanningSig);
        vo.write(sig, 4);
        r = writeArchive(w, comment);
        if (r != result::Ok)
            return r;
        if (vo.count() == 1) {
            fmt::set32(sig, SinglePartMarker);
            vo.patch(sigAt, sig, 4);
        }
        vo.finish();
        ctx_.complete();
        placeSplit();
        return result::Ok;
    }

    OutFile out;
    out.attach(tempFd_, temp_.path(), z_.faults());
    tempFd_ = -1;
    // An update of one file is held against the old archive as it is
    // written: an archive that would come out the same stays as it is.
    std::optional<SameAsOldOutput> same;
    std::optional<SingleOutput> single;
    if (layout_ == Layout::Single && hasOld_ && !old_.spanned() && !isSfx_)
        same.emplace(out, old_.file());
    else
        single.emplace(out);
    ArchiveWriter w(same ? static_cast<ArchiveOutput&>(*same) : *single);
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
    if (same) {
        if (same->same())
            return dateAsWritten(); // nothing changed: the temporary file goes
        same->materialize();
    }
    if (layout_ == Layout::Spanned) {
        out.commit();
        spanArchive(z_, ctx_, temp_.path(), isSfx_ ? sfx_.bytes : std::string());
        return result::Ok;
    }
    // The old set's other parts go when one file takes its place (origin_).
    putInPlace(out, temp_, target_, z_.faults(), ctx_, isSfx_, z_.OwnerOnlyFiles ? 0700 : 07777, &origin_);
    return result::Ok;
}

int BuildRun::writeArchive(ArchiveWriter& w, const std::string& comment)
{
    // Old entries keep their places (those replaced by a file of the same
    // name get its new data), new files follow.
    std::vector<FileToWrite> order = oldInOrder();
    for (size_t i = 0; i < planned_.size(); ++i)
        if (replaces_[i] < 0)
            order.push_back({&planned_[i], nullptr});
    FileEntries files(z_, ctx_, sources_, hasOld_ ? &old_ : nullptr, std::move(order), done_);
    size_t next = 0;
    if (hasOld_) {
        for (size_t i = 0; i < old_.entries().size(); ++i) {
            ctx_.step();
            const size_t at = next++;
            if (replacedBy_[i] >= 0 && files.write(w, at))
                continue;
            // No file stands for the entry, or it cannot be read now: the
            // older copy stays.
            files.checkKept(at);
            copyOld(w, i);
        }
    }
    for (size_t i = 0; i < planned_.size(); ++i) {
        if (replaces_[i] >= 0)
            continue;
        ctx_.step();
        files.write(w, next++);
    }
    z_.setCopiedEntries(files.copied());
    if (w.count() == 0 && !hasOld_)
        return result::NothingToDo;
    if (isSfx_ && w.needsZip64())
        return result::SfxNeedsZip64;
    w.finish(comment);
    return result::Ok;
}

std::vector<FileToWrite> BuildRun::oldInOrder()
{
    std::vector<FileToWrite> order;
    order.reserve(planned_.size() + (hasOld_ ? old_.entries().size() : 0));
    if (hasOld_)
        for (size_t i = 0; i < old_.entries().size(); ++i)
            order.push_back({replacedBy_[i] >= 0 ? &planned_[size_t(replacedBy_[i])] : nullptr, &old_.entries()[i]});
    return order;
}

int BuildRun::leftAsItIs()
{
    // The entries stay, and are checked all the same.
    FileEntries files(z_, ctx_, sources_, &old_, oldInOrder(), done_);
    for (size_t i = 0; i < old_.entries().size(); ++i) {
        ctx_.step();
        files.checkKept(i);
    }
    return dateAsWritten();
}

void BuildRun::placeSplit()
{
    std::vector<stdfs::path> paths;
    for (const auto& p : parts_)
        paths.push_back(p->path());
    struct stat st {};
    mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    if (mode == 0)
        mode = mode_t(qm::fs::newFileMode());
    // Not over a newer archive another program put under the name meanwhile
    // (origin_), nor while another one puts its own there.
    if (isSfx_)
        placeProgramSet(paths);
    else
        placeSplitSet(paths, target_, mode, z_.faults(), ctx_, origin_);
    for (auto& p : parts_)
        p->keep();
}

void BuildRun::placeProgramSet(const std::vector<stdfs::path>& paths)
{
    // The program is part 1 and names the set: it is set aside first and
    // put in place last, executable as a program of one file is; the parts
    // after it ("name.z02", ...) are plain files.
    struct stat st {};
    mode_t mode = programMode(::stat(target_.c_str(), &st) == 0 ? std::optional<mode_t>(st.st_mode & 07777)
                                                                 : std::nullopt);
    mode &= z_.OwnerOnlyFiles ? 0700 : 07777;
    SetNames names;
    names.lastMode = mode;
    std::vector<stdfs::path> parts(paths.begin() + 1, paths.end());
    for (uint32_t i = 1; i < paths.size(); ++i)
        names.finals.push_back(splitPartPath(target_, i));
    parts.push_back(paths.front());
    names.finals.push_back(target_);
    placeSplitSet(parts, target_, mode & 0666, z_.faults(), ctx_, origin_, names);
}

int BuildRun::openTemp(const stdfs::path& targetFolder)
{
    std::optional<stdfs::path> folder = workFolderOf(z_, targetFolder);
    if (!folder)
        return result::TempFolderFailed;
    try {
        tempFd_ = temp_.create(*folder, -1, TempFileMode, stem_);
    } catch (const IoError& e) {
        if (e.err == ENOSPC || e.err == EDQUOT)
            return result::DiskFull;
        return z_.UseTempArchive ? result::TempFolderFailed : result::WriteFailed;
    }
    return result::Ok;
}

namespace {

struct FileIdHash {
    size_t operator()(const std::pair<uint64_t, uint64_t>& id) const
    {
        return std::hash<uint64_t>{}(id.first * 0x9E3779B97F4A7C15ull ^ id.second);
    }
};

} // namespace

void BuildRun::plan(SourceList& found)
{
    // Names are told apart as the file system tells them: "A.txt" and "a.txt"
    // are two files, each its own entry, and an update matches a file to the
    // entry of its very name. Only one file reached twice (a list naming it
    // twice, or in another case) is stored once; under names that an event
    // handler made different it is stored under each.
    std::unordered_map<std::string, size_t> oldByName;
    if (hasOld_) {
        replacedBy_.assign(old_.entries().size(), -1);
        oldByName.reserve(old_.entries().size());
        for (size_t i = 0; i < old_.entries().size(); ++i)
            oldByName.emplace(old_.entries()[i].name(), i);
    }
    // What is kept moves to the front of the list: one list of files, however long.
    std::unordered_map<std::string, size_t> taken;
    taken.reserve(found.items.size());
    std::unordered_multimap<std::pair<uint64_t, uint64_t>, size_t, FileIdHash> byFile;
    replaces_.reserve(found.items.size());
    size_t kept = 0;
    std::string name; // kept from one file to the next
    for (size_t at = 0; at < found.items.size(); ++at) {
        SourceItem& it = found.items[at];
        const std::string source = found.source(it);
        name = it.name;
        ctx_.emit([&](ZipEvents& s) { s.EntryNaming(name, source); });
        if (name != it.name)
            name = names::toStored(name, it.folder);
        if (name.empty() || name.size() > fmt::Max16) { // a stored name has a 16-bit length
            skipped(source, source, skip::InvalidName);
            continue;
        }
        it.name = name;
        auto dup = taken.find(name);
        if (dup != taken.end()) {
            if (found.native(found.items[dup->second]) != found.native(it))
                skipped(names::shown(name), source, skip::DuplicateName);
            continue;
        }
        const std::pair<uint64_t, uint64_t> id{it.device, it.inode};
        const auto sameFile = byFile.equal_range(id);
        if (std::any_of(sameFile.first, sameFile.second, [&](const auto& k) {
                const SourceItem& other = found.items[k.second];
                return qm::fs::equalsNoCase(other.name, it.name) && found.native(other) == found.native(it);
            }))
            continue; // the same file, its name spelt another way
        auto o = oldByName.find(name);
        const ArchiveEntry* oldEntry = o == oldByName.end() ? nullptr : &old_.entries()[o->second];
        if (z_.SkipWhenExisting && oldEntry) {
            skipped(names::shown(name), source, skip::AlreadyInArchive);
            continue;
        }
        if (z_.SkipWhenMissing && !oldEntry) {
            skipped(names::shown(name), source, skip::NotInArchive);
            continue;
        }
        if (z_.SkipWhenOlderDate && oldEntry && !it.folder) {
            int64_t mine = it.times.modified.value_or(0);
            bool older = oldEntry->times().modified
                             ? mine < *oldEntry->times().modified
                             : fmt::dosFromTimeT(mine).packed() <
                                   ((uint32_t(oldEntry->dosDate) << 16) | oldEntry->dosTime);
            if (older) {
                skipped(names::shown(name), source, skip::OlderThanInArchive);
                continue;
            }
        }
        // Files carry no version information here, so "older version" never applies.
        int replaces = -1;
        if (oldEntry && replacedBy_[o->second] < 0) {
            replaces = int(o->second);
            replacedBy_[o->second] = int(kept);
        }
        replaces_.push_back(replaces);
        taken.emplace(name, kept);
        byFile.emplace(id, kept);
        if (kept != at)
            found.items[kept] = std::move(it);
        ++kept;
    }
    found.items.resize(kept);
}

void BuildRun::copyOld(ArchiveWriter& w, size_t index)
{
    const ArchiveEntry& e = old_.entries()[index];
    w.copyEntry(old_, e, [this](uint64_t bytes) { progress(bytes); });
    done_ += e.compressedSize;
}

} // namespace

int PavikZip::Build(bool replace)
{
    return runOperation(*this, operation::Zip,
                        [this, replace](OpContext& ctx) { return BuildRun(*this, ctx, replace).run(); });
}

bool PavikZip::spansDisks() const
{
    if (SpanMode == 1)
        return true;
    std::string p = qm::fs::toBackslashes(ArchivePath);
    if (SpanMode != 2 || p.size() < 2 || p[1] != ':')
        return false;
    std::optional<qm::fs::Drive> d = qm::fs::findDrive(p[0]);
    return d && d->type == qm::fs::drivetype::Removable;
}

} // namespace qm::zip
