#include "platform/zip/FileEntries.h"

#include "platform/zip/ControlState.h"
#include "platform/zip/Names.h"
#include "platform/zip/Unchanged.h"
#include "platform/zip/ZipCrypto.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace qm::zip {

namespace {

// What a large file is cut into for the workers.
constexpr size_t DefaultPieceSize = 512 * 1024;
constexpr size_t MinPieceSize = 4096;
constexpr size_t VerifyChunk = 512 * 1024;

struct FdGuard {
    int fd;
    ~FdGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Gives the pipeline's work on a file back however the writer leaves it.
struct FinishWork {
    Pipeline* pipe;
    FileWork* work;
    ~FinishWork()
    {
        if (work)
            pipe->finish(*work);
    }
};

std::string extrasOf(int headerSet, const SourceItem& it, const std::string& name, bool local)
{
    std::string x;
    if (headerSet & 1)
        fmt::appendExtendedTime(x, it.times, local);
    if (headerSet & 2)
        fmt::appendNtfsTimes(x, it.times);
    if ((headerSet & 8) && !fmt::isAscii(name))
        fmt::appendUnicodePath(x, name, name);
    // Bit 4 (security descriptors) has nothing to store on this system.
    return x;
}

} // namespace

struct FileEntries::Entry {
    const SourceItem* it = nullptr;
    const ArchiveEntry* old = nullptr; // may hold the same content
    LocalHeader oldLocal;
    std::string shownName;
    WrittenEntry e;
    std::string localExtra;
    bool large = false;
    bool encrypt = false;
    bool sizeDiffers = false; // the file's size when opened is not the chosen one
    int lastPercent = -1;
};

FileEntries::FileEntries(PavikZip& z, OpContext& ctx, const SourceList& list, const ArchiveReader* old,
                         std::vector<FileToWrite> order, uint64_t& done)
    : z_(z), ctx_(ctx), list_(list), old_(old), order_(std::move(order)), done_(done),
      compressor_(z.state().compressor), decode_(z.state().decode)
{
    decode_.window.forget(); // it may hold an archive of an earlier build

    candidate_.assign(order_.size(), nullptr);
    uint64_t planned = 0; // bytes to read
    for (size_t i = 0; i < order_.size(); ++i) {
        if (isFolder(i))
            continue;
        const ArchiveEntry* o = order_[i].old;
        if (!order_[i].item) { // an entry kept as it is: decoded only to check it
            planned += o->size;
            candidate_[i] = o;
            continue;
        }
        const SourceItem& it = *order_[i].item;
        planned += it.size;
        if (!o || !old_)
            continue;
        const int method = methodFor(it);
        if (mayHoldFile(*o, it, method, z_.Level, !z_.Password.empty(), false) ||
            (o->method == fmt::Stored && method != fmt::Stored &&
             mayHoldFile(*o, it, method, z_.Level, !z_.Password.empty(), storedStands())))
            candidate_[i] = o;
    }
    const int workers = z_.workerCount();
    const size_t piece = z_.pieceSize() ? std::max(z_.pieceSize(), MinPieceSize) : DefaultPieceSize;
    // Work that fits in a piece or two is done sooner here than handed to
    // threads.
    if (workers > 1 && planned > 2 * uint64_t(piece)) {
        auto next = [this](FileSpec& s) {
            while (nextSpec_ < order_.size() && isFolder(nextSpec_))
                ++nextSpec_;
            if (nextSpec_ >= order_.size())
                return false;
            if (!order_[nextSpec_].item) {
                s.size = candidate_[nextSpec_]->size;
                s.level = AnyLevel;
                s.old = candidate_[nextSpec_];
                s.checkOnly = true;
                ++nextSpec_;
                return true;
            }
            const SourceItem& it = *order_[nextSpec_].item;
            s.path = list_.native(it);
            s.size = it.size;
            s.method = methodFor(it);
            s.level = z_.Level;
            s.lockCheck = !z_.IncludeOpenFiles;
            s.old = candidate_[nextSpec_];
            ++nextSpec_;
            return true;
        };
        pipe_ = std::make_unique<Pipeline>(z_.workers(), workers, piece, next, old_, z_.Password);
    }
}

FileEntries::~FileEntries() = default;

bool FileEntries::storedStands()
{
    // Asked once, and only when a stored entry would otherwise do.
    if (!storedStands_) {
        std::vector<const ArchiveEntry*> taken;
        for (const FileToWrite& f : order_)
            if (f.old && f.item && !f.item->folder)
                taken.push_back(f.old);
        storedStands_ = madeAtLevel(*old_, taken, z_.Method, z_.Level, z_.Password, decode_.window);
    }
    return *storedStands_;
}

int FileEntries::methodFor(const SourceItem& it) const
{
    return (z_.Level == 0 || z_.Method == fmt::Stored || it.size == 0) ? int(fmt::Stored) : z_.Method;
}

bool FileEntries::isFolder(size_t index) const
{
    const FileToWrite& f = order_[index];
    return f.item ? f.item->folder : f.old->isFolder();
}

void FileEntries::checkKept(size_t index)
{
    const ArchiveEntry& old = *order_[index].old;
    if (old.isFolder())
        return;
    // Such an entry has the workers' check when no file stands for it.
    std::shared_ptr<FileWork> work;
    if (pipe_ && !order_[index].item)
        work = pipe_->take();
    FinishWork finish{pipe_.get(), work.get()};
    OldData d = OldData::Unfit;
    if (work) {
        pipe_->wait(*work, 0, [this] { ctx_.tick(); });
        d = work->oldData;
    } else {
        d = checkOldData(*old_, old, AnyLevel, z_.Password, decode_, [this](uint64_t) { ctx_.tick(); });
    }
    // One that cannot be checked (another password, a method the engine
    // does not decode) stays without a word.
    if (d == OldData::Damaged)
        ctx_.warning(names::shown(old.name()), warning::KeptEntryDamaged);
}

void FileEntries::skipped(const Entry& x, int reason)
{
    ctx_.skipped(x.shownName, list_.source(*x.it), z_.ArchivePath, reason);
}

bool FileEntries::write(ArchiveWriter& w, size_t index)
{
    const SourceItem& it = *order_[index].item;
    Entry x;
    x.it = &it;
    x.old = candidate_[index];
    x.shownName = names::shown(it.name);
    // The pipeline gives the files in this same order (nothing left would
    // mean the orders differ: the file is then read here).
    std::shared_ptr<FileWork> work;
    if (pipe_ && !it.folder)
        work = pipe_->take();
    FinishWork finish{pipe_.get(), work.get()};

    bool skip = false;
    ctx_.emit([&](ZipEvents& s) { s.BeforeZip(x.shownName, skip); });
    if (skip) {
        skipped(x, skip::SkippedByHandler);
        return false;
    }
    ctx_.fileProgress(x.shownName, 0);

    WrittenEntry& e = x.e;
    e.name = it.name;
    fmt::DosTime dos = fmt::dosFromTimeT(it.times.modified.value_or(0));
    e.dosTime = dos.time;
    e.dosDate = dos.date;
    if (it.folder) {
        e.method = fmt::Stored;
        e.externalAttr = (uint32_t(S_IFDIR | it.mode) << 16) | (uint32_t(it.attributes) & 3) | 0x10;
        w.beginEntry(e, extrasOf(z_.HeaderSet, it, e.name, true), false);
        e.centralExtra = extrasOf(z_.HeaderSet, it, e.name, false);
        w.endEntry(e);
        ctx_.fileProgress(x.shownName, 100);
        return true;
    }

    if (work) {
        const auto tick = [this] { ctx_.tick(); };
        pipe_->wait(*work, 0, tick);
        if (work->skipReason != 0) {
            skipped(x, work->skipReason);
            return false;
        }
        x.sizeDiffers = work->sizeDiffers;
        startEntry(x, work->mode);
        if (x.old && sameAsOld(*work, x)) {
            copyUnchanged(w, x);
            return true;
        }
        return writePieces(w, x, *work);
    }

    int fd = ::open(list_.native(it).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        skipped(x, errno == ENOENT ? skip::NotFound : skip::CannotRead);
        return false;
    }
    FdGuard guard{fd};
    if (!z_.IncludeOpenFiles && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        skipped(x, skip::FileInUse);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        skipped(x, skip::CannotRead);
        return false;
    }
    x.sizeDiffers = uint64_t(st.st_size) != it.size;
    startEntry(x, st.st_mode);
    if (x.old && sameAsOld(fd, x)) {
        copyUnchanged(w, x);
        return true;
    }
    return writeStream(w, x, fd, methodFor(it));
}

void FileEntries::startEntry(Entry& x, uint32_t mode)
{
    const SourceItem& it = *x.it;
    const uint32_t kept = mode & (z_.OwnerOnlyFiles ? 0700 : 07777);
    x.e.externalAttr = (uint32_t(S_IFREG | kept) << 16) | (uint32_t(it.attributes) & 3) | 0x20;
    x.e.centralExtra = extrasOf(z_.HeaderSet, it, x.e.name, false);
    x.localExtra = extrasOf(z_.HeaderSet, it, x.e.name, true);
    x.large = it.size >= LargeEntry;
    x.encrypt = !z_.Password.empty();
}

void FileEntries::onBytes(Entry& x, uint64_t bytes)
{
    const uint64_t size = x.it->size;
    int pct = size == 0 ? 100 : percentOf(bytes, size);
    if (pct != x.lastPercent && pct < 100) {
        x.lastPercent = pct;
        ctx_.fileProgress(x.shownName, pct);
    }
    ctx_.setDone(done_ + std::min(bytes, size));
    ctx_.tick();
}

void FileEntries::complete(ArchiveWriter& w, Entry& x, uint32_t crc, uint64_t size, uint64_t compressed,
                           bool changed)
{
    WrittenEntry& e = x.e;
    e.needed = x.large ? 45 : (e.method == fmt::Stored && !x.encrypt) ? 10 : 20;
    e.crc = crc;
    e.size = size;
    e.compressedSize = compressed;
    w.endEntry(e);
    done_ += x.it->size;
    ctx_.setDone(done_);
    if (changed)
        ctx_.warning(x.shownName, warning::FileChanged);
    ctx_.fileProgress(x.shownName, 100);
}

void FileEntries::copyUnchanged(ArchiveWriter& w, Entry& x)
{
    // A new header (names, times and extra fields as for any new entry)
    // over the old entry's data.
    const ArchiveEntry& old = *x.old;
    WrittenEntry& e = x.e;
    e.method = old.method;
    e.flags = uint16_t((x.encrypt ? (fmt::FlagEncrypted | fmt::FlagDescriptor) : 0) |
                       (old.method == fmt::Deflated ? (old.flags & 0x6) : 0));
    e.needed = x.large ? 45 : (e.method == fmt::Stored && !x.encrypt) ? 10 : 20;
    w.beginEntry(e, x.localExtra, x.large);
    // Entries are copied in the old archive's order: small ones come from
    // one window of it.
    uint64_t at = x.oldLocal.dataOffset;
    uint64_t left = old.compressedSize;
    const bool held = w.out().holdsAlready(old_->file(), at, left); // where the old archive has it
    while (left > 0) {
        const size_t n = size_t(std::min<uint64_t>(left, VerifyChunk));
        if (!held) {
            const char* p = oldWindow_.view(old_->file(), at, n);
            if (!p) {
                if (copyBuffer_.size() < n)
                    copyBuffer_.resize(n);
                old_->file().readExact(at, copyBuffer_.data(), n);
                p = copyBuffer_.data();
            }
            w.out().write(p, n);
        }
        at += n;
        left -= n;
        onBytes(x, uint64_t((static_cast<unsigned __int128>(old.compressedSize - left) * x.it->size) /
                            old.compressedSize));
    }
    complete(w, x, old.crc, old.size, old.compressedSize, false);
    ++copied_;
}

bool FileEntries::sameAsOld(int fd, Entry& x)
{
    if (x.sizeDiffers)
        return false;
    const uint64_t size = x.it->size;
    std::vector<unsigned char>& buf = decode_.buffer;
    buf.resize(size_t(std::min<uint64_t>(size + 1, VerifyChunk)));
    uLong crc = crc32_z(0, nullptr, 0);
    uint64_t at = 0;
    for (;;) {
        // The last read asks for a byte more: the file must end where it did.
        const uint64_t left = size - at;
        const size_t want = left < buf.size() ? size_t(left) + 1 : buf.size();
        ssize_t got = ::pread(fd, buf.data(), want, off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || uint64_t(got) > left || (got == 0 && left > 0))
            return false;
        crc = crc32_z(crc, buf.data(), size_t(got));
        at += uint64_t(got);
        if (at == size && size_t(got) < want)
            break;
        ctx_.tick();
    }
    if (uint32_t(crc) != x.old->crc)
        return false;
    const OldData d = checkOldData(*old_, *x.old, z_.Level, z_.Password, decode_, [this](uint64_t) { ctx_.tick(); });
    return oldStands(x, d) && readOldLocal(x);
}

bool FileEntries::sameAsOld(FileWork& work, Entry& x)
{
    const auto tick = [this] { ctx_.tick(); };
    bool same = !work.sizeDiffers;
    if (work.whole()) {
        // Its task checked the old entry only once the content matched.
        same = same && work.oldData != OldData::Unfit;
    } else {
        // Every piece is waited for, so that none is still at work when the
        // pieces are compressed after all.
        uint32_t crc = 0;
        uint64_t read = 0;
        for (size_t k = 0; k < work.pieces.size(); ++k) {
            Piece& p = pipe_->wait(work, k, tick);
            same = same && p.err == 0 && !p.shortRead && !p.grew;
            crc = k == 0 ? p.crc : uint32_t(crc32_combine(crc, p.crc, z_off_t(p.read)));
            read += p.read;
            pipe_->release(work, k);
        }
        same = same && read == x.old->size && crc == x.old->crc;
    }
    same = same && oldStands(x, work.oldData) && readOldLocal(x);
    if (!same && !work.whole())
        pipe_->recompress(work);
    return same;
}

bool FileEntries::oldStands(const Entry& x, OldData d)
{
    if (d == OldData::Damaged)
        ctx_.warning(x.shownName, warning::OldEntryDamaged);
    return d == OldData::Fits;
}

bool FileEntries::readOldLocal(Entry& x)
{
    try {
        x.oldLocal = old_->readLocal(*x.old, &oldWindow_);
        return true;
    } catch (const FormatError&) {
        return false;
    } catch (const IoError&) {
        return false;
    }
}

bool FileEntries::writeStream(ArchiveWriter& w, Entry& x, int fd, int method)
{
    WrittenEntry& e = x.e;
    CompressResult res;
    for (;;) {
        e.method = uint16_t(method);
        e.flags = uint16_t((x.encrypt ? (fmt::FlagEncrypted | fmt::FlagDescriptor) : 0) |
                           (method == fmt::Deflated ? deflateLevelFlags(z_.Level) : 0));
        e.needed = (method == fmt::Stored && !x.encrypt) ? 10 : 20;
        w.beginEntry(e, x.localExtra, x.large);
        CompressJob job;
        job.fd = fd;
        job.expectedSize = x.it->size;
        job.method = method;
        job.level = method == fmt::Stored ? 0 : z_.Level;
        job.password = z_.Password;
        job.check = e.dosTime;
        ArchiveOutput& out = w.out();
        try {
            res = compressor_.run(
                job, [&out](const unsigned char* d, size_t n) { out.write(d, n); },
                [&](uint64_t bytes) { onBytes(x, bytes); });
        } catch (const SourceError&) {
            w.abandonEntry(e);
            skipped(x, skip::CannotRead);
            return false;
        }
        method = res.method;
        uint64_t data = res.compressedSize - (x.encrypt ? ZipCrypto::HeaderSize : 0);
        if (method != fmt::Stored && data > res.size) {
            // Incompressible: stored is smaller.
            w.abandonEntry(e);
            method = fmt::Stored;
            continue;
        }
        break;
    }
    e.method = uint16_t(method);
    if (method != fmt::Deflated)
        e.flags = uint16_t(e.flags & ~0x6);
    complete(w, x, res.crc, res.size, res.compressedSize, res.sizeChanged || x.sizeDiffers);
    return true;
}

bool FileEntries::writePieces(ArchiveWriter& w, Entry& x, FileWork& work)
{
    const auto tick = [this] { ctx_.tick(); };
    Piece& first = pipe_->wait(work, 0, tick);
    if (first.err != 0) {
        skipped(x, skip::CannotRead);
        return false;
    }
    const int method = work.whole() ? first.method : work.method;
    WrittenEntry& e = x.e;
    e.method = uint16_t(method);
    e.flags = uint16_t((x.encrypt ? (fmt::FlagEncrypted | fmt::FlagDescriptor) : 0) |
                       (method == fmt::Deflated ? deflateLevelFlags(z_.Level) : 0));
    e.needed = (method == fmt::Stored && !x.encrypt) ? 10 : 20;
    w.beginEntry(e, x.localExtra, x.large);

    ArchiveOutput& out = w.out();
    uint64_t written = 0;
    std::optional<ZipCrypto> crypto;
    if (x.encrypt) {
        crypto.emplace(z_.Password);
        unsigned char header[ZipCrypto::HeaderSize];
        crypto->makeHeader(header, e.dosTime);
        out.write(header, sizeof header);
        written += sizeof header;
    }
    auto put = [&](unsigned char* p, size_t n) {
        if (crypto)
            crypto->encrypt(p, n);
        out.write(p, n);
        written += n;
    };
    std::vector<unsigned char> copy;
    std::optional<BwJoiner> joiner;
    if (method == fmt::BurrowsWheeler && !work.whole())
        joiner.emplace(z_.Level, [&](const unsigned char* p, size_t n) {
            copy.assign(p, p + n);
            put(copy.data(), n);
        });

    uint32_t crc = 0;
    uint64_t read = 0;
    bool changed = work.sizeDiffers;
    for (size_t k = 0; k < work.pieces.size(); ++k) {
        Piece& p = pipe_->wait(work, k, tick);
        if (p.err != 0) {
            w.abandonEntry(e);
            skipped(x, skip::CannotRead);
            return false;
        }
        if (joiner)
            joiner->add(p.data.data(), p.data.size());
        else
            put(p.data.data(), p.data.size());
        crc = k == 0 ? p.crc : uint32_t(crc32_combine(crc, p.crc, z_off_t(p.read)));
        read += p.read;
        changed = changed || p.grew || p.shortRead;
        const bool ended = p.shortRead; // the file shrank: its stream ends here
        pipe_->release(work, k);
        onBytes(x, read);
        if (ended)
            break;
    }
    if (joiner)
        joiner->finish();
    if (method != fmt::Stored && written - (x.encrypt ? ZipCrypto::HeaderSize : 0) > read) {
        // Incompressible after all: stored, the file read once more.
        w.abandonEntry(e);
        return writeStream(w, x, work.fd, fmt::Stored);
    }
    complete(w, x, crc, read, written, changed);
    return true;
}

} // namespace qm::zip
