// Extraction into ExtractFolder. Names that would leave the folder are
// refused; folders are opened one by one without following symbolic links
// (the folder of the last file stays open for the next one). A file that
// replaces another is written to a temporary file beside its target and
// renamed into place only when it is complete and its CRC is right; a small
// file where nothing is in the way is made under its own name and removed
// again unless it is complete and right. With workers (DecodeAhead.h) the
// files are decoded ahead, each into a file without a name that is given
// its name (or the temporary one) when its turn comes here, and every
// decision and event stays on this thread, in the same order.
#include "platform/fs/NoCase.h"
#include "platform/zip/DecodeAhead.h"
#include "platform/zip/EntryDecode.h"
#include "platform/zip/ExtractFolders.h"
#include "platform/zip/Filters.h"
#include "platform/zip/Names.h"
#include "platform/zip/OpCommon.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unordered_set>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;
namespace dt = qm::datetime;

namespace {

// Files up to this size are written under their own name when nothing is in
// the way: if the run stops while one is written, little is lost, and it is
// removed on the way out.
constexpr uint64_t DirectCreateLimit = 1 << 20;

struct FolderTime {
    std::vector<std::string> comps;
    int64_t modified;
};

class ExtractRun {
public:
    ExtractRun(PavikZip& z, OpContext& ctx) : z_(z), ctx_(ctx) {}
    int run();

private:
    void extractOne(const ArchiveEntry& e, const std::vector<std::string>& comps, size_t job);
    void extractFolder(const ArchiveEntry& e, const std::vector<std::string>& comps, const std::string& name,
                       const std::string& target);
    // The decoding done by a worker, as it would have gone here: its progress
    // played back and its bytes (when it kept them in memory) written to `out`.
    DecodeResult playBack(const Decoded& a, OutFile& out, const std::function<void(uint64_t)>& progress);
    // Puts the worker's finished unnamed file under the name of the file
    // made here (`temp`, still empty); false when it cannot be named there:
    // then its bytes are copied into `out`.
    bool adopt(const Decoded& a, int parent, TempFile& temp, OutFile& out);
    void startWorkers(const std::vector<const ArchiveEntry*>& chosen);
    // Where a file entry goes: its folders and name, each as it will be made.
    std::optional<std::vector<std::string>> placeOf(const ArchiveEntry& e) const;
    // Notes the places that more than one of `chosen` may take.
    void findSharedPlaces(const std::vector<const ArchiveEntry*>& chosen);
    // Whether a file has been written to `comps` in this run; notes it for the next ones.
    bool writtenBefore(const std::vector<std::string>& comps);
    void note(int code)
    {
        auto rank = [](int c) {
            switch (c) {
            case result::DataError: return 6;
            case result::ArchiveDamaged: return 5;
            case result::UnsafeEntries: return 4;
            case result::BadPassword: return 3;
            case result::EntriesNotWritten: return 2;
            default: return 1;
            }
        };
        if (worst_ == result::Ok || rank(code) > rank(worst_))
            worst_ = code;
    }
    void skipped(const std::string& name, const std::string& target, int reason)
    {
        ctx_.skipped(name, z_.ArchivePath, target, reason);
    }

    PavikZip& z_;
    OpContext& ctx_;
    ArchiveReader archive_;
    Fd root_;
    FolderCache folders_{root_};
    DecodeScratch scratch_;
    std::string password_;
    int worst_ = result::Ok;
    uint64_t done_ = 0;
    std::vector<FolderTime> folderTimes_;
    // Files of this run, by their place without case; only places that more
    // than one chosen entry may take (by their hash) are kept.
    std::unordered_set<std::string> written_;
    std::unordered_set<size_t> shared_;
    std::vector<const ArchiveEntry*> jobs_;   // what the workers decode, by the place in `chosen`
    std::unique_ptr<DecodeAhead> ahead_;
    bool memoryAhead_ = false;
    const std::function<void()> tick_ = [this] { ctx_.tick(); };
};

void ExtractRun::startWorkers(const std::vector<const ArchiveEntry*>& chosen)
{
    // Files are decoded ahead; folders and volume labels are checked here.
    jobs_.assign(chosen.size(), nullptr);
    for (size_t i = 0; i < chosen.size(); ++i)
        if (!chosen[i]->isFolder() && !isVolumeLabel(*chosen[i]))
            jobs_[i] = chosen[i];
    const int workers = z_.workerCount();
    if (!DecodeAhead::worthIt(jobs_, workers))
        return;
    DecodeAhead::Settings s;
    s.workers = workers;
    // Writes that a test makes fail stay on this thread, where they are made
    // without workers: the workers then keep small files in memory.
    memoryAhead_ = z_.faults() || !unnamedFilesWork(root_.fd);
    s.output = memoryAhead_ ? DecodeAhead::Output::Memory : DecodeAhead::Output::UnnamedFile;
    s.folder = root_.fd;
    s.keepFolderNames = z_.KeepFolderNames;
    s.memoryLimit = DirectCreateLimit;
    ahead_ = std::make_unique<DecodeAhead>(archive_, jobs_, password_, s);
}

std::optional<std::vector<std::string>> ExtractRun::placeOf(const ArchiveEntry& e) const
{
    auto comps = names::safeComponents(e.name());
    if (comps && !z_.KeepFolderNames) {
        if (e.isFolder())
            comps->clear();
        else
            comps = std::vector<std::string>{comps->back()};
    }
    return comps;
}

void ExtractRun::findSharedPlaces(const std::vector<const ArchiveEntry*>& chosen)
{
    std::vector<size_t> hashes;
    hashes.reserve(chosen.size());
    for (const ArchiveEntry* e : chosen) {
        if (e->isFolder() || isVolumeLabel(*e))
            continue;
        auto comps = placeOf(*e);
        if (comps && !comps->empty())
            hashes.push_back(std::hash<std::string>{}(qm::fs::foldCase(joined(*comps))));
    }
    std::sort(hashes.begin(), hashes.end());
    for (size_t i = 1; i < hashes.size(); ++i)
        if (hashes[i] == hashes[i - 1])
            shared_.insert(hashes[i]);
}

bool ExtractRun::writtenBefore(const std::vector<std::string>& comps)
{
    std::string place = qm::fs::foldCase(joined(comps));
    if (!shared_.count(std::hash<std::string>{}(place)))
        return false; // no other entry goes there
    return !written_.insert(std::move(place)).second;
}

int ExtractRun::run()
{
    int r = openArchive(ctx_, z_.ArchivePath, archive_);
    if (r != result::Ok)
        return r;
    std::optional<stdfs::path> folder = nativeOf(z_.ExtractFolder);
    if (!folder)
        return result::ExtractFolderFailed;
    std::error_code ec;
    stdfs::create_directories(*folder, ec);
    root_ = Fd(::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root_.fd < 0)
        return result::ExtractFolderFailed;
    password_ = z_.Password;

    std::vector<std::string> items = names::splitList(z_.FileMask);
    for (const std::string& e : z_.listEntries())
        if (!e.empty())
            items.push_back(e);
    names::EntrySelector selector(items, z_.IncludeSubfolders);
    Filters filters = filtersOf(z_);
    std::vector<const ArchiveEntry*> chosen;
    uint64_t total = 0;
    for (const ArchiveEntry& e : archive_.entries()) {
        if (!selector.matches(e.name()))
            continue;
        bool ok = e.isFolder() ? filters.passFolder(int(e.attributes()))
                               : filters.passFile(e.name(), int(e.attributes()), e.size, e.modified());
        if (!ok)
            continue;
        chosen.push_back(&e);
        total = addSaturating(total, e.size);
    }
    if (chosen.empty())
        return result::NothingToDo;
    if (beyondExpansionLimit(total, archive_.file().size()))
        return result::ExpansionLimit;
    ctx_.setTotal(total);
    ctx_.setDone(0);
    startWorkers(chosen);
    findSharedPlaces(chosen);

    for (size_t i = 0; i < chosen.size(); ++i) {
        const ArchiveEntry* e = chosen[i];
        ctx_.step();
        const std::string name = names::shown(e->name());
        bool skipIt = false;
        ctx_.emit([&](ZipEvents& s) { s.BeforeUnzip(name, skipIt); });
        if (skipIt) {
            skipped(name, "", skip::SkippedByHandler);
        } else if (isVolumeLabel(*e)) {
            // Nothing to write; judged as the test judges it.
            if (checkFolderEntry(archive_, *e, &scratch_.window) != DecodeResult::Ok) {
                skipped(name, "", skip::DataError);
                note(result::DataError);
            }
        } else if (auto comps = placeOf(*e)) {
            if (!comps->empty() && !e->isFolder() && writtenBefore(*comps)) {
                // A second entry for a file already written (the name stored
                // twice, or in another case) is never let overwrite it.
                skipped(name, shownTarget(z_.ExtractFolder, *comps), skip::DuplicateName);
                note(result::EntriesNotWritten);
            } else if (!comps->empty()) {
                extractOne(*e, *comps, i);
            }
        } else {
            skipped(name, "", skip::UnsafeName);
            note(result::UnsafeEntries);
        }
        done_ += e->size;
        ctx_.setDone(done_);
    }
    ahead_.reset();

    // Folder times last, once nothing more is written into them.
    for (const FolderTime& f : folderTimes_) {
        int reason = 0;
        Fd parent = openFolders(root_.fd, f.comps, f.comps.size() - 1, reason);
        if (parent.fd < 0)
            continue;
        struct timespec ts[2];
        ts[0].tv_sec = f.modified;
        ts[0].tv_nsec = 0;
        ts[1] = ts[0];
        ::utimensat(parent.fd, f.comps.back().c_str(), ts, AT_SYMLINK_NOFOLLOW);
    }
    ctx_.complete();
    return worst_;
}

void ExtractRun::extractFolder(const ArchiveEntry& e, const std::vector<std::string>& comps, const std::string& name,
                               const std::string& target)
{
    if (checkFolderEntry(archive_, e, &scratch_.window) != DecodeResult::Ok) {
        skipped(name, target, skip::DataError);
        note(result::DataError);
        return;
    }
    int reason = 0;
    Fd dir = openFolders(root_.fd, comps, comps.size(), reason);
    if (dir.fd < 0) {
        skipped(name, target, reason);
        note(result::EntriesNotWritten);
        return;
    }
    const std::optional<int64_t> t = e.times().modified;
    folderTimes_.push_back({comps, t ? *t : int64_t(dt::toTimeT(e.modified()))});
}

DecodeResult ExtractRun::playBack(const Decoded& a, OutFile& out, const std::function<void(uint64_t)>& progress)
{
    uint64_t written = 0;
    auto writeUpTo = [&](uint64_t end) {
        if (memoryAhead_ && end > written) {
            out.write(a.data.data() + written, size_t(end - written));
            written = end;
        }
    };
    ahead_->follow(
        a,
        [&](const Decoded::Mark& m) {
            writeUpTo(m.out);
            progress(m.in);
        },
        tick_);
    writeUpTo(a.data.size());
    if (a.failure)
        std::rethrow_exception(a.failure);
    return a.result;
}

bool ExtractRun::adopt(const Decoded& a, int parent, TempFile& temp, OutFile& out)
{
    TempFile named;
    if (named.link(a.fd, parent, nullptr)) {
        if (::renameat(parent, named.name().c_str(), parent, temp.name().c_str()) == 0) {
            named.keep();
            return true;
        }
    }
    // It cannot be named here (another file system, no /proc): its bytes are copied.
    std::vector<char> buf(1 << 20);
    for (uint64_t at = 0;;) {
        ssize_t n = ::pread(a.fd, buf.data(), buf.size(), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw IoError{errno, temp.path()};
        if (n == 0)
            return false;
        out.write(buf.data(), size_t(n));
        at += uint64_t(n);
    }
}

void ExtractRun::extractOne(const ArchiveEntry& e, const std::vector<std::string>& comps, size_t job)
{
    const std::string name = names::shown(e.name());
    std::string target = shownTarget(z_.ExtractFolder, comps);
    if (e.isFolder())
        return extractFolder(e, comps, name, target);
    int reason = 0;
    const int parent = folders_.open(comps, comps.size() - 1, reason);
    if (parent < 0) {
        skipped(name, target, reason);
        note(result::EntriesNotWritten);
        return;
    }
    const std::string& leaf = comps.back();
    struct stat st {};
    bool exists = ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        skipped(name, target, skip::FolderInTheWay);
        note(result::EntriesNotWritten);
        return;
    }
    if (z_.SkipWhenExisting && exists) {
        skipped(name, target, skip::TargetExists);
        return;
    }
    if (z_.SkipWhenMissing && !exists) {
        skipped(name, target, skip::TargetMissing);
        return;
    }
    if (z_.SkipWhenOlderDate && exists) {
        const std::optional<int64_t> t = e.times().modified;
        bool older = t ? *t < int64_t(st.st_mtime)
                       : ((uint32_t(e.dosDate) << 16) | e.dosTime) < fmt::dosFromTimeT(int64_t(st.st_mtime)).packed();
        if (older) {
            skipped(name, target, skip::OlderThanTarget);
            return;
        }
    }
    // Entries carry no version information, so "older version" never applies.

    ctx_.fileProgress(name, 0);
    const Decoded* a = ahead_ && jobs_[job] ? ahead_->take(job, tick_) : nullptr;
    LocalHeader h;
    try {
        if (!a)
            h = archive_.readLocal(e, &scratch_.window);
        else if (a->headerFailure)
            std::rethrow_exception(a->headerFailure);
        else if (a->localBad)
            throw FormatError{"an entry's local header is missing"};
    } catch (const FormatError&) {
        skipped(name, target, skip::DataError);
        note(result::DataError);
        return;
    }
    TempFile temp;
    OutFile out;
    bool direct = !exists && e.size <= DirectCreateLimit;
    // A file a worker has finished takes its place by a name given to it, without being made here.
    bool named = false;
    if (a && ahead_->finished(*a) && a->fd >= 0) {
        named = temp.link(a->fd, parent, direct ? &leaf : nullptr);
        if (!named && direct && errno == EEXIST) { // something appeared meanwhile
            direct = false;
            named = temp.link(a->fd, parent, nullptr);
        }
    }
    if (!named) {
        try {
            int fd = direct ? temp.createNamed(parent, leaf) : -1;
            if (fd < 0) { // something appeared meanwhile: it is replaced only by a complete file
                direct = false;
                fd = temp.create(stdfs::path(), parent, 0666);
            }
            out.attach(fd, temp.path(), z_.faults());
        } catch (const IoError& err) {
            if (writeFailure(err) == result::DiskFull)
                throw;
            skipped(name, target, skip::CannotWrite);
            note(result::EntriesNotWritten);
            return;
        }
    }
    int last = 0;
    auto progress = [&](uint64_t bytes) {
        int pct = percentOf(bytes, e.compressedSize);
        if (pct != last && pct < 100) {
            last = pct;
            ctx_.fileProgress(name, pct);
        }
        ctx_.setDone(done_ + uint64_t((static_cast<unsigned __int128>(bytes) * e.size) /
                                      (e.compressedSize ? e.compressedSize : 1)));
        ctx_.tick();
    };
    DecodeResult d;
    bool stamped = named; // the worker has set the permissions and times
    try {
        if (a)
            d = playBack(*a, out, progress);
        else
            d = decodeEntry(
                archive_, e, h, password_, [&out](const unsigned char* p, size_t n) { out.write(p, n); },
                progress, scratch_);
        if (d == DecodeResult::Ok && !named) {
            if (a && a->fd >= 0)
                stamped = adopt(*a, parent, temp, out);
            out.flush();
        }
    } catch (const IoError& err) {
        if (writeFailure(err) == result::DiskFull)
            throw; // no room: the run ends here, the partial file goes
        skipped(name, target, skip::CannotWrite);
        note(result::EntriesNotWritten);
        return;
    }
    switch (d) {
    case DecodeResult::Ok:
        break;
    case DecodeResult::BadPassword:
        skipped(name, target, skip::BadPassword);
        note(result::BadPassword);
        return;
    case DecodeResult::DataError:
        skipped(name, target, skip::DataError);
        note(result::DataError);
        return;
    case DecodeResult::PasswordOrData:
        skipped(name, target, skip::PasswordOrData);
        note(result::BadPassword);
        return;
    case DecodeResult::Unsupported:
        skipped(name, target, skip::UnsupportedMethod);
        note(result::UnsupportedMethod);
        return;
    }

    // Permissions and times, then the rename that puts the file in place.
    bool modeSet = true, timeSet = true;
    if (stamped) {
        modeSet = !a->modeNotSet;
        timeSet = !a->timeNotSet;
    } else {
        struct stat now {};
        ::fstat(out.fd(), &now);
        applyStamp(out.fd(), stampOf(e, now.st_mode), modeSet, timeSet);
    }
    if (!modeSet)
        ctx_.warning(name, warning::AttributesNotSet);
    if (!timeSet)
        ctx_.warning(name, warning::TimeNotSet);
    out.close();
    if (!direct && ::renameat(parent, temp.name().c_str(), parent, leaf.c_str()) != 0) {
        skipped(name, target, skip::CannotWrite);
        note(result::EntriesNotWritten);
        return;
    }
    temp.keep();
    ctx_.fileProgress(name, 100);
}

} // namespace

int PavikZip::Extract()
{
    return runOperation(*this, operation::Unzip, [this](OpContext& ctx) { return ExtractRun(*this, ctx).run(); });
}

} // namespace qm::zip
