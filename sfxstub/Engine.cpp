#include "sfxstub/Engine.h"

#include "platform/datetime/DateTime.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/fs/WinPath.h"
#include "platform/zip/ExpansionBound.h"
#include "sfxstub/EngineRun.h"
#include "sfxstub/SfxConfig.h"

#include <algorithm>
#include <cerrno>

namespace qm::sfxstub {

namespace detail {

namespace {

constexpr uint64_t EndSearch = 66000;

} // namespace

int UnzipRun::parseOptions(const std::vector<std::string>& argv)
{
    bool haveDest = false;
    for (size_t i = 1; i < argv.size(); ++i) {
        std::string a = qm::fs::toBackslashes(argv[i]);
        if (a.size() > 1 && a[0] == '-') {
            for (size_t j = 1; j < a.size(); ++j) {
                char c = a[j];
                if (c == 'n') {
                    never_ = true;
                } else if (c == 'o') {
                    overwrite_ = true;
                } else if (c == 'u') {
                    update_ = true;
                } else if (c == 'd') {
                    if (haveDest)
                        return result::BadOptions;
                    dest_ = j + 1 < a.size() ? a.substr(j + 1)
                                             : (i + 1 < argv.size() ? qm::fs::toBackslashes(argv[++i]) : "");
                    if (dest_.empty())
                        return result::BadOptions;
                    haveDest = true;
                    break;
                } else {
                    return result::BadOptions;
                }
            }
        } else if (archive_.empty() && !a.empty()) {
            archive_ = a;
        } else {
            return result::BadOptions;
        }
    }
    if (archive_.empty())
        return result::BadOptions;
    if (never_)
        overwrite_ = false;
    return result::Ok;
}

int UnzipRun::openArchive()
{
    const int err = in_.open(archive_);
    if (err == 0)
        return result::Ok;
    if (err == ENOENT && in_.open(archive_ + ".zip") == 0) {
        archive_ += ".zip";
        return result::Ok;
    }
    return result::NotFound;
}

bool UnzipRun::endInTail(unsigned char (&end)[22], uint64_t& at)
{
    const uint64_t size = in_.size();
    if (size < 22)
        return false;
    const uint64_t low = size > EndSearch ? size - EndSearch : 0;
    std::vector<unsigned char> tail(size_t(size - low));
    in_.seek(low);
    tail.resize(in_.read(tail.data(), tail.size()));
    const unsigned char first = signature(Sig::End)[0];
    for (size_t k = tail.size() >= 22 ? tail.size() - 21 : 0; k-- > 0;) {
        const unsigned char* c = tail.data() + k;
        if (c[0] == first && hasSignature(c, Sig::End)) {
            std::copy(c, c + 22, end);
            at = low + k;
            return true;
        }
    }
    return false;
}

int UnzipRun::findEnd(unsigned char (&end)[22], uint64_t& at)
{
    if (endInTail(end, at))
        return result::Ok;
    if (const int r = findEndBeside(end, at); r != NoPartBeside)
        return r;
    for (int asked = 0; spanned_ && asked < 3; ++asked) {
        in_.close(); // nothing of the medium is held while it is changed
        EngineEvent e{event::NextDisk};
        e.number = 0; // the last disk
        send(e);
        if (abort_)
            return result::Stopped;
        in_.open(archive_);
        if (endInTail(end, at))
            return result::Ok;
    }
    return result::Damaged;
}

size_t UnzipRun::readSpan(void* buf, size_t n)
{
    auto* out = static_cast<unsigned char*>(buf);
    size_t done = 0;
    while (done < n) {
        size_t got = in_.read(out + done, n - done);
        done += got;
        if (got > 0)
            continue;
        if (!multiPart() || currentDisk_ >= lastDisk_)
            break;
        int r = askForDisk(currentDisk_ + 1);
        if (r != result::Ok) {
            missing_ = r == result::DiskMissing || r == result::PartMissing ? r : 0;
            break;
        }
        in_.seek(0);
    }
    return done;
}

bool UnzipRun::readLocalAt(uint64_t at, unsigned char (&h)[30])
{
    in_.seek(at);
    return in_.read(h, 30) == 30 && hasSignature(h, Sig::Local);
}

void UnzipRun::readCentral(uint32_t total)
{
    for (uint32_t i = 0; i < total; ++i) {
        unsigned char h[46];
        if (!readExact(h, sizeof h) || !hasSignature(h, Sig::Central)) {
            raise(result::Damaged);
            return;
        }
        const uint16_t needed = get16(h + 6), flags = get16(h + 8);
        CentralEntry e;
        e.host = uint8_t(get16(h + 4) >> 8);
        e.method = get16(h + 10);
        e.crc = get32(h + 16);
        e.compressed = get32(h + 20);
        e.size = get32(h + 24);
        e.disk = get16(h + 34);
        e.dosAttributes = uint8_t(get32(h + 38) | 0x20);
        e.unixMode = get32(h + 38) >> 16;
        e.localOffset = get32(h + 42);
        e.encrypted = flags & 1;
        e.descriptor = flags & 8;
        // One file holds every entry unless disks are asked for.
        spans_.push_back({multiPart() ? e.disk : uint16_t(cdDisk_ - 1), e.localOffset, 30 + e.compressed, -1});
        std::string name(get16(h + 28), '\0');
        std::string extra(get16(h + 30), '\0');
        std::string comment(get16(h + 32), '\0');
        if (!readExact(name.data(), name.size()) || !readExact(extra.data(), extra.size())
            || !readExact(comment.data(), comment.size())) {
            raise(result::Damaged);
            return;
        }
        if (records_)
            records_->note(e.disk, e.localOffset, name, e.crc, e.compressed);
        // Names written without the UTF-8 flag are in the DOS code page.
        e.name = (flags & 0x800) ? name : qm::fs::dosToUtf8(name);
        e.comment = comment.substr(0, 255);
        const int version = needed & 0xFF, host = needed >> 8;
        if (version >= (host == 2 ? 43 : 21) || !engine_.decodes(e.method)) {
            errorEvent(e.name, kind::Unsupported);
            raise(result::Warning);
            if (abort_)
                return;
            continue;
        }
        totalSize_ += e.size;
        spans_.back().entry = ptrdiff_t(entries_.size());
        entries_.push_back(std::move(e));
    }
    unsigned char after[4];
    readExact(after, 4); // the end record's signature; nothing rides on it
}

void UnzipRun::settleExtents()
{
    std::vector<const Span*> order;
    order.reserve(spans_.size());
    for (const Span& s : spans_)
        order.push_back(&s);
    std::stable_sort(order.begin(), order.end(), [](const Span* a, const Span* b) {
        return a->disk != b->disk ? a->disk < b->disk : a->offset < b->offset;
    });
    // Each entry owns the bytes up to the next one on its disk, and on the
    // directory's disk those before the directory. The directory's place
    // counts here as if nothing stood in front of the archive; once an
    // entry's header is found the check is exact (extentLimit).
    for (size_t k = 0; k < order.size(); ++k) {
        const Span& a = *order[k];
        const Span* next = k + 1 < order.size() && order[k + 1]->disk == a.disk ? order[k + 1] : nullptr;
        const bool onDirectoryDisk = a.disk + 1 == cdDisk_;
        const uint64_t end = std::min(next ? next->offset : NoLimit, onDirectoryDisk ? cdAt_ : NoLimit);
        const bool fits = a.disk + 1 <= cdDisk_ && a.offset <= end && a.length <= end - a.offset;
        if (a.entry >= 0) {
            CentralEntry& e = entries_[size_t(a.entry)];
            e.nextOffset = next ? next->offset : NoLimit;
            e.onDirectoryDisk = onDirectoryDisk;
            e.refused = !fits;
        }
    }
}

uint64_t UnzipRun::extentLimit(const CentralEntry& e) const
{
    return std::min(e.nextOffset == NoLimit ? NoLimit : e.nextOffset + correction_,
                    e.onDirectoryDisk ? cdAt_ : NoLimit);
}

uint64_t UnzipRun::archiveStart()
{
    if (cdDisk_ != 1)
        return 0;
    std::vector<uint64_t> offsets;
    for (const Span& s : spans_)
        if (s.disk == 0)
            offsets.push_back(s.offset);
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    // Only a record whose local header stands where it says marks the
    // archive's bytes: one that points into the program in front (which
    // holds no whole signature) moves nothing. Offsets are taken as
    // extraction takes them, corrected first and then as stored.
    unsigned char h[30];
    for (const uint64_t shift : {correction_, uint64_t(0)}) {
        for (const uint64_t o : offsets) {
            if (o + shift >= cdAt_)
                break;
            if (readLocalAt(o + shift, h))
                return o + shift;
        }
        if (shift == 0)
            break;
    }
    return cdAt_;
}

int UnzipRun::run(const std::vector<std::string>& argv)
{
    if (int r = parseOptions(argv))
        return r;
    if (archive_.find_first_of("*?") != std::string::npos)
        return result::NotFound;
    if (dest_.empty())
        dest_ = qm::fs::fromNative(std::filesystem::current_path());
    if (!qm::fs::exists(dest_)) {
        try {
            qm::fs::makeFolder(dest_);
        } catch (const qm::RtError&) {
            return result::NoDestination;
        }
        EngineEvent e{event::FolderMade};
        e.path = qm::fs::withoutTrailingBackslash(dest_);
        send(e);
    }
    if (!qm::fs::isFolder(dest_))
        return result::NoDestination;
    if (int r = openArchive())
        return r;

    unsigned char end[22];
    uint64_t endAt = 0;
    if (int r = findEnd(end, endAt))
        return r;
    if (split_ && get16(end + 4) + 1 != currentDisk_)
        return result::Damaged; // the last part beside the program is not that of its set
    currentDisk_ = lastDisk_ = get16(end + 4) + 1;
    if (spanned_ && !split_)
        takeDisk(lastDisk_, driveLabel());
    const int cdDisk = cdDisk_ = get16(end + 6) + 1;
    const uint32_t total = get16(end + 10);
    const uint64_t cdSize = get32(end + 12);
    uint64_t cdOffset = get32(end + 16);
    if (lastDisk_ > 1) {
        qm::zip::sets::End records;
        records.parts = uint32_t(lastDisk_);
        records.cdDisk = uint32_t(cdDisk - 1);
        records.cdOffset = cdOffset;
        records.cdSize = cdSize;
        records.entries = total;
        records_.emplace(records);
    }
    if (cdOffset == 0 && cdSize == 0)
        return result::Warning; // an empty archive
    const int64_t extra = int64_t(endAt) - int64_t(cdOffset + cdSize);
    if (extra > 0) {
        correction_ = uint64_t(extra);
        raise(result::Warning);
        if (cdOffset == 0) {
            cdOffset = uint64_t(extra);
            correction_ = 0;
            raise(result::Damaged);
        }
    }
    if (multiPart() && cdDisk != currentDisk_)
        if (int r = askForDisk(cdDisk))
            return r;
    unsigned char sig[4];
    in_.seek(cdOffset + correction_);
    if (in_.read(sig, 4) != 4 || !hasSignature(sig, Sig::Central)) {
        in_.seek(cdOffset);
        if (correction_ == 0 || in_.read(sig, 4) != 4 || !hasSignature(sig, Sig::Central))
            return std::max(result_, int(result::Damaged));
        correction_ = 0;
        raise(result::Damaged);
    }
    in_.seek(in_.tell() - 4);
    cdAt_ = in_.tell();
    readCentral(total);
    if (abort_)
        return result::Stopped;
    // Entries whose bytes are another's or lie outside the archive are
    // refused one by one; more output than an archive of this size honestly
    // gives refuses the whole archive before anything is written. A program
    // in front of the archive is no part of its size.
    settleExtents();
    uint64_t output = 0;
    for (const CentralEntry& e : entries_)
        output = e.refused ? output : qm::zip::addSaturating(output, e.size);
    if (qm::zip::beyondExpansionLimit(output, in_.size() - archiveStart()))
        return std::max(result_, int(result::Damaged));
    if (entries_.empty())
        return std::max(result_, int(result::NothingDone));

    totalEvent();
    for (size_t i = 0; i < entries_.size() && !abort_ && !diskFull_; ++i) {
        const uint64_t before = overall_;
        extract(entries_[i], i);
        // An entry that did not write all of its size still counts as done.
        const uint64_t expected = before + entries_[i].size;
        if (overall_ < expected && !abort_ && !diskFull_) {
            overall_ = expected;
            totalEvent();
        }
    }
    in_.close();
    if (abort_)
        return result::Stopped;
    if (diskFull_)
        return std::max(result_, int(result::DiskFull));
    if (processed_ == 0)
        raise(result::NothingDone);
    if (passwordFailures_ > 0)
        raise(result::Skipped);
    return result_;
}

} // namespace detail

Engine::Engine(EngineCallback callback, Methods methods) : callback_(std::move(callback)), methods_(std::move(methods))
{
}

bool Engine::decodes(int method) const
{
    return method == 0 || method == 18 || (method == 8 && methods_.deflate);
}

int Engine::UnzipMain(const std::vector<std::string>& argv)
{
    try {
        return detail::UnzipRun(callback_, *this, methods_, SpannedMode).run(argv);
    } catch (const std::bad_alloc&) {
        return result::NoMemory;
    }
}

int64_t FindPatternInFile(int fd, std::string_view pattern, int64_t from, int64_t to)
{
    return qm::sfx::findPatternInFile(fd, pattern, uint64_t(std::max<int64_t>(from, 0)),
                                      to < 0 ? qm::sfx::ToEndOfFile : uint64_t(to));
}

} // namespace qm::sfxstub
