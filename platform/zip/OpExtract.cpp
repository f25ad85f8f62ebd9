// Extraction into ExtractFolder. Names that would leave the folder are
// refused; folders are opened one by one without following symbolic links
// (the folder of the last file stays open for the next one). A file is
// written without a name (or, where the file system cannot do that, under a
// temporary one) and gets its own name only when it is complete and its CRC
// is right: where nothing stands, by a link; over an old file, by a rename.
// So a run that is killed leaves every name with its old file or none. What
// killed runs left under temporary names is removed from each folder the
// run writes into. With workers (DecodeAhead.h) the files are decoded
// ahead, each into a file without a name that is named when its turn comes
// here, and every decision and event stays on this thread, in the same
// order. When the disk fills up while files are ahead, they are dropped and
// the run goes on one entry at a time.
#include "platform/fs/CaseTwins.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/OwnedTemp.h"
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
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;
namespace dt = qm::datetime;

namespace {

// Files up to this size are kept in memory by the workers when they cannot
// write files of their own.
constexpr uint64_t MemoryAheadLimit = 1 << 20;

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
    // The folder a file goes to, opened (made where missing); -1 and the skip reason.
    int folderOf(const std::vector<std::string>& comps, int& reason);
    // Decodes the entry into a file that is complete when it gives Ok: the
    // worker's `a` (`placed`: already under its name in `parent`) or one of
    // its own in `out`. Throws IoError.
    DecodeResult decode(const ArchiveEntry& e, const Decoded* a, int parent, const std::string& leaf, bool exists,
                        TempFile& temp, OutFile& out, bool& placed, const std::function<void(uint64_t)>& progress);
    // The decoding done by a worker, as it would have gone here: its progress
    // played back and its bytes (when it kept them in memory) written to `out`.
    DecodeResult playBack(const Decoded& a, OutFile& out, const std::function<void(uint64_t)>& progress);
    // Opens a new file of this thread in `parent`: without a name where that
    // works, else under a temporary name (`temp`). Throws IoError.
    void openOwn(int parent, const std::string& leaf, TempFile& temp, OutFile& out);
    // Copies the bytes of the worker's file into `out`.
    void copyOut(const Decoded& a, OutFile& out);
    // Gives the complete file `fd` (without a name unless `temp` has one)
    // the name `leaf` in `parent`; false when that cannot be done.
    bool place(int fd, TempFile& temp, int parent, const std::string& leaf, bool exists);
    void startWorkers();
    // Where a file entry goes: its folders and name, each as it will be made.
    std::optional<std::vector<std::string>> placeOf(const ArchiveEntry& e) const;
    // The files of `chosen` that workers may decode (jobs_), and the places
    // that more than one of them may take (shared_).
    void planJobs(const std::vector<const ArchiveEntry*>& chosen);
    // Whether `comps` names a file that this run has written already: the
    // same name twice, or a name in another case where the folder takes it
    // for the same file. Notes the place for the next ones.
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
    // Files of this run; only places that more than one chosen entry may
    // take (by the hash of their place without case) are kept.
    qm::fs::CaseTwins written_;
    std::unordered_set<size_t> shared_;
    std::unordered_set<std::string> cleared_; // folders rid of leftovers or made, as joined components
    std::vector<const ArchiveEntry*> jobs_;   // what the workers decode, by the place in `chosen`
    std::unique_ptr<DecodeAhead> ahead_;
    bool memoryAhead_ = false;
    bool unnamed_ = false; // files without a name can be made here
    SkipRules rules_;
    const std::function<void()> tick_ = [this] { ctx_.tick(); };
};

void ExtractRun::startWorkers()
{
    const int workers = z_.workerCount();
    if (!DecodeAhead::worthIt(jobs_, workers))
        return;
    DecodeAhead::Settings s;
    s.workers = workers;
    // Writes that a test makes fail stay on this thread, where they are made
    // without workers: the workers then keep small files in memory.
    memoryAhead_ = z_.faults() || !unnamed_;
    s.output = memoryAhead_ ? DecodeAhead::Output::Memory : DecodeAhead::Output::UnnamedFile;
    s.folder = root_.fd;
    s.keepFolderNames = z_.KeepFolderNames;
    s.rules = rules_;
    s.memoryLimit = MemoryAheadLimit;
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

void ExtractRun::planJobs(const std::vector<const ArchiveEntry*>& chosen)
{
    // Files are decoded ahead; folders and volume labels are checked here,
    // and names that would leave the folder are refused here.
    jobs_.assign(chosen.size(), nullptr);
    std::vector<size_t> hashes(chosen.size()), sorted;
    sorted.reserve(chosen.size());
    for (size_t i = 0; i < chosen.size(); ++i) {
        const ArchiveEntry* e = chosen[i];
        if (e->isFolder() || isVolumeLabel(*e))
            continue;
        auto comps = placeOf(*e);
        if (!comps || comps->empty())
            continue;
        hashes[i] = std::hash<std::string>{}(qm::fs::foldCase(joined(*comps)));
        sorted.push_back(hashes[i]);
        jobs_[i] = e;
    }
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i] == sorted[i - 1])
            shared_.insert(sorted[i]);
    // Of the files that may take one place only the first is decoded ahead:
    // the others are skipped.
    std::unordered_set<size_t> given;
    for (size_t i = 0; i < chosen.size() && !shared_.empty(); ++i)
        if (jobs_[i] && shared_.count(hashes[i]) && !given.insert(hashes[i]).second)
            jobs_[i] = nullptr;
}

bool ExtractRun::writtenBefore(const std::vector<std::string>& comps)
{
    if (!shared_.count(std::hash<std::string>{}(qm::fs::foldCase(joined(comps)))))
        return false; // no other entry goes there
    const auto open = [&](size_t count) {
        size_t reached = 0;
        Fd dir = openExisting(root_.fd, {comps.begin(), comps.begin() + std::ptrdiff_t(count)}, reached);
        if (reached < count)
            return -1;
        return std::exchange(dir.fd, -1);
    };
    return written_.see(comps, open, TempFile::DefaultStem) != qm::fs::CaseTwins::Seen::New;
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
    unnamed_ = unnamedFilesWork(root_.fd);
    rules_.whenExisting = z_.SkipWhenExisting;
    rules_.whenMissing = z_.SkipWhenMissing;
    rules_.whenOlder = z_.SkipWhenOlderDate;

    std::vector<std::string> items = names::splitList(z_.FileMask);
    for (const std::string& e : z_.listEntries())
        if (!e.empty())
            items.push_back(e);
    names::EntrySelector selector(items, z_.IncludeSubfolders);
    for (const ArchiveEntry& e : archive_.entries())
        selector.note(e.name());
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
    planJobs(chosen);
    startWorkers();

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
                // twice, or in another case where the folder does not tell
                // case apart) is never let overwrite it.
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
    bool made = false;
    Fd dir = openFolders(root_.fd, comps, comps.size(), reason, &made);
    if (dir.fd < 0) {
        skipped(name, target, reason);
        note(result::EntriesNotWritten);
        return;
    }
    if (made)
        cleared_.insert(joined(comps)); // nothing was left in it

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

void ExtractRun::openOwn(int parent, const std::string& leaf, TempFile& temp, OutFile& out)
{
    int fd = unnamed_ ? ::openat(parent, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666) : -1;
    if (fd < 0)
        fd = temp.create(stdfs::path(), parent, 0666);
    out.attach(fd, temp.name().empty() ? stdfs::path(leaf) : temp.path(), z_.faults());
}

void ExtractRun::copyOut(const Decoded& a, OutFile& out)
{
    std::vector<char> buf(1 << 20);
    for (uint64_t at = 0;;) {
        ssize_t n = ::pread(a.fd, buf.data(), buf.size(), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw IoError{errno, out.path()};
        if (n == 0)
            return;
        out.write(buf.data(), size_t(n));
        at += uint64_t(n);
    }
}

bool ExtractRun::place(int fd, TempFile& temp, int parent, const std::string& leaf, bool exists)
{
    if (temp.name().empty()) {
        // Where nothing stands the file takes the name itself; over what
        // stands there (or has appeared meanwhile) it goes by a rename.
        if (!exists && qm::fs::linkUnnamed(fd, parent, leaf) == 0)
            return true;
        if (!temp.link(fd, parent))
            return false;
    }
    if (::renameat(parent, temp.name().c_str(), parent, leaf.c_str()) != 0)
        return false;
    temp.keep();
    return true;
}

int ExtractRun::folderOf(const std::vector<std::string>& comps, int& reason)
{
    FolderCache::Opened how;
    const int dir = folders_.open(comps, comps.size() - 1, reason, how);
    if (dir < 0 || how == FolderCache::Opened::Kept)
        return dir;
    // What killed runs left goes, once, from a folder that was there before this run.
    const bool first = cleared_.insert(joined({comps.begin(), comps.end() - 1})).second;
    if (first && how == FolderCache::Opened::Found)
        qm::fs::removeStaleTemps(dir, TempFile::DefaultStem);
    return dir;
}

DecodeResult ExtractRun::decode(const ArchiveEntry& e, const Decoded* a, int parent, const std::string& leaf,
                                bool exists, TempFile& temp, OutFile& out, bool& placed,
                                const std::function<void(uint64_t)>& progress)
{
    placed = false;
    if (a && !memoryAhead_) {
        // The worker's file: named here once it is complete, or copied
        // into one of this thread's when it cannot be named here.
        const DecodeResult d = playBack(*a, out, progress);
        if (d != DecodeResult::Ok)
            return d;
        placed = place(a->fd, temp, parent, leaf, exists);
        if (!placed) {
            openOwn(parent, leaf, temp, out);
            copyOut(*a, out);
            out.flush();
        }
        return d;
    }
    LocalHeader h;
    if (!a)
        h = archive_.readLocal(e, &scratch_.window);
    openOwn(parent, leaf, temp, out);
    const DecodeResult d =
        a ? playBack(*a, out, progress)
          : decodeEntry(
                archive_, e, h, password_, [&out](const unsigned char* p, size_t n) { out.write(p, n); }, progress,
                scratch_);
    if (d == DecodeResult::Ok)
        out.flush();
    return d;
}

void ExtractRun::extractOne(const ArchiveEntry& e, const std::vector<std::string>& comps, size_t job)
{
    const std::string name = names::shown(e.name());
    std::string target = shownTarget(z_.ExtractFolder, comps);
    if (e.isFolder())
        return extractFolder(e, comps, name, target);
    int reason = 0;
    const int parent = folderOf(comps, reason);
    if (parent < 0) {
        skipped(name, target, reason);
        note(result::EntriesNotWritten);
        return;
    }
    const std::string& leaf = comps.back();
    struct stat st {};
    const bool exists = ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (const int why = skipReasonOf(e, exists ? &st : nullptr, rules_)) {
        skipped(name, target, why);
        if (why == skip::FolderInTheWay)
            note(result::EntriesNotWritten);
        return;
    }

    ctx_.fileProgress(name, 0);
    const Decoded* a = ahead_ && jobs_[job] ? ahead_->take(job, tick_) : nullptr;
    int last = 0;
    uint64_t shown = 0; // a decoding done again goes on from what was shown
    auto progress = [&](uint64_t bytes) {
        if (bytes >= shown) {
            shown = bytes;
            int pct = percentOf(bytes, e.compressedSize);
            if (pct != last && pct < 100) {
                last = pct;
                ctx_.fileProgress(name, pct);
            }
            ctx_.setDone(done_ + uint64_t((static_cast<unsigned __int128>(bytes) * e.size) /
                                          (e.compressedSize ? e.compressedSize : 1)));
        }
        ctx_.tick();
    };
    TempFile temp;
    OutFile out;
    DecodeResult d;
    bool placed = false;
    for (;;) {
        try {
            if (a && a->headerFailure)
                std::rethrow_exception(a->headerFailure);
            if (a && a->localBad)
                throw FormatError{"an entry's local header is missing"};
            d = decode(e, a, parent, leaf, exists, temp, out, placed, progress);
            break;
        } catch (const FormatError&) {
            skipped(name, target, skip::DataError);
            note(result::DataError);
            return;
        } catch (const IoError& err) {
            if (writeFailure(err) != result::DiskFull) {
                skipped(name, target, skip::CannotWrite);
                note(result::EntriesNotWritten);
                return;
            }
            if (!ahead_ || memoryAhead_)
                throw; // no room: the run ends here, the partial file goes
            // The files decoded ahead may hold the room: they go, and the
            // entry is decoded again here, as are all the others after it.
            ahead_.reset();
            a = nullptr;
            out.close();
            temp.discard();
        }
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

    // Permissions and times (the worker has set them on its file), then the
    // name that puts the file in place.
    bool modeSet = true, timeSet = true;
    if (placed) {
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
    if (!placed && !place(out.fd(), temp, parent, leaf, exists)) {
        skipped(name, target, skip::CannotWrite);
        note(result::EntriesNotWritten);
        return;
    }
    ctx_.fileProgress(name, 100);
}

} // namespace

int PavikZip::Extract()
{
    return runOperation(*this, operation::Unzip, [this](OpContext& ctx) { return ExtractRun(*this, ctx).run(); });
}

} // namespace qm::zip
