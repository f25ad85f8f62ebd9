#include "platform/zip/ArchiveReader.h"

#include "platform/zip/SetMembers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace qm::zip {

namespace dt = qm::datetime;
using fmt::get16;
using fmt::get32;
using fmt::get64;

bool ArchiveEntry::isFolder() const
{
    std::string_view n = name();
    if (!n.empty() && n.back() == '/')
        return true;
    uint32_t mode = unixMode();
    if (mode != 0)
        return S_ISDIR(mode);
    return (externalAttr & 0x10) != 0;
}

uint32_t ArchiveEntry::unixMode() const
{
    if (host() != fmt::HostUnix)
        return 0;
    return externalAttr >> 16;
}

uint32_t ArchiveEntry::attributes() const
{
    uint32_t dos = externalAttr & 0xff;
    uint32_t mode = unixMode();
    uint32_t attrs;
    if (dos != 0 || mode == 0) {
        attrs = dos & 0x3f;
    } else {
        attrs = 0;
        if ((mode & 0222) == 0)
            attrs |= 1;
        if (S_ISDIR(mode))
            attrs |= 0x10;
        else
            attrs |= 0x20;
    }
    if (isFolder())
        attrs = (attrs | 0x10) & ~0x20u;
    if (mode != 0 && S_ISLNK(mode))
        attrs |= 1024;
    // A name that starts with a dot is hidden, as on the file system.
    std::string_view base = name();
    while (!base.empty() && base.back() == '/')
        base.remove_suffix(1);
    size_t slash = base.rfind('/');
    if (slash != std::string_view::npos)
        base = base.substr(slash + 1);
    if (mode != 0 && !base.empty() && base[0] == '.')
        attrs |= 2;
    return attrs;
}

fmt::EntryTimes ArchiveEntry::times() const
{
    fmt::EntryTimes t;
    fmt::readTimes(extra(), t);
    return t;
}

dt::DateTime ArchiveEntry::modified() const
{
    if (auto m = times().modified)
        return dt::fromTimeT(static_cast<std::time_t>(*m));
    return fmt::fromDos(dosDate, dosTime);
}

dt::DateTime ArchiveEntry::accessed() const
{
    fmt::EntryTimes t = times();
    if (t.accessed)
        return dt::fromTimeT(static_cast<std::time_t>(*t.accessed));
    return modified();
}

dt::DateTime ArchiveEntry::created() const
{
    fmt::EntryTimes t = times();
    if (t.created)
        return dt::fromTimeT(static_cast<std::time_t>(*t.created));
    return modified();
}

namespace {

// The decoded form of a stored name into `out`, when it differs from the
// stored bytes (another character set, a Unicode path block, "\\" between
// folders); false when the bytes stand as they are.
bool decodeNameInto(std::string_view raw, uint16_t flags, int host, std::string_view extra, std::string& out)
{
    bool asStored;
    if ((flags & fmt::FlagUtf8) && fmt::isValidUtf8(raw)) {
        asStored = true;
    } else if (auto u = fmt::readUnicodePath(extra, raw)) {
        out = std::move(*u);
        asStored = false;
    } else if (fmt::isAscii(raw) ||
               (host != fmt::HostDos && host != fmt::HostNtfs && host != 6 && fmt::isValidUtf8(raw))) {
        asStored = true;
    } else {
        out = fmt::cp437ToUtf8(raw);
        asStored = false;
    }
    if (asStored) {
        if (raw.find('\\') == std::string_view::npos)
            return false;
        out.assign(raw);
    }
    std::replace(out.begin(), out.end(), '\\', '/');
    return true;
}

} // namespace

std::string decodeName(std::string_view raw, uint16_t flags, int host, std::string_view extra)
{
    std::string name;
    if (!decodeNameInto(raw, flags, host, extra, name))
        name.assign(raw);
    return name;
}

namespace {

// Sequential reading of the central directory through a window, so a large
// directory never sits in memory whole.
class DirReader {
public:
    DirReader(const InFile& f, uint64_t start, uint64_t size) : f_(f), pos_(start), end_(start + size) {}

    const unsigned char* take(size_t n)
    {
        if (n > end_ - pos_)
            throw FormatError{"the central directory is shorter than its entries"};
        if (n > have_ - off_) {
            // Move what is left to the front and refill.
            size_t left = have_ - off_;
            if (buf_.size() < n + (1u << 16))
                buf_.resize(std::max<size_t>(n + (1u << 16), 1u << 18));
            std::memmove(buf_.data(), buf_.data() + off_, left);
            size_t want = size_t(std::min<uint64_t>(buf_.size() - left, end_ - (pos_ + left)));
            f_.readExact(pos_ + left, buf_.data() + left, want);
            have_ = left + want;
            off_ = 0;
        }
        const unsigned char* p = buf_.data() + off_;
        off_ += n;
        pos_ += n;
        return p;
    }
    uint64_t pos() const { return pos_; }

private:
    const InFile& f_;
    uint64_t pos_;
    uint64_t end_;
    std::vector<unsigned char> buf_;
    size_t have_ = 0;
    size_t off_ = 0;
};

} // namespace

void ArchiveReader::open(const std::filesystem::path& path, const PartLocator& locateParts)
{
    try {
        openFile(path, locateParts);
    } catch (...) {
        // Nothing of a file that does not read stays open: it may be a disk
        // the user is asked to change next.
        entries_.clear();
        file_.close();
        throw;
    }
}

void ArchiveReader::openFile(const std::filesystem::path& path, const PartLocator& locateParts)
{
    entries_.clear();
    texts_.clear();
    textAt_ = nullptr;
    textLeft_ = 0;
    comment_.clear();
    rawComment_.clear();
    prefix_ = 0;
    lead_ = 0;
    spanned_ = false;
    if (!file_.open(path))
        throw IoError{errno, path};
    const uint64_t size = file_.size();
    if (size < fmt::EndRecordSize)
        throw FormatError{"the file is too short to be an archive", true};

    // The end record lies within the last 64 KiB plus its own size.
    uint64_t tailLen = std::min<uint64_t>(size, fmt::EndRecordSize + 0xffff);
    std::vector<unsigned char> tail(tailLen);
    file_.readExact(size - tailLen, tail.data(), tailLen);
    const int64_t found = sets::endRecordIn(tail.data(), tail.size());
    if (found < 0)
        throw FormatError{"no end record was found", true};
    const unsigned char* e = &tail[found];
    const uint64_t endInLast = size - tailLen + uint64_t(found); // in the last part
    uint32_t disk = get16(e + 4);
    uint32_t cdDisk = get16(e + 6);
    uint64_t onDisk = get16(e + 8);
    uint64_t count = get16(e + 10);
    uint64_t cdSize = get32(e + 12);
    uint64_t cdOffset = get32(e + 16);
    rawComment_.assign(reinterpret_cast<const char*>(e + 22), get16(e + 20));
    comment_ = fmt::isValidUtf8(rawComment_) ? rawComment_ : fmt::cp437ToUtf8(rawComment_);

    // Zip64: the locator sits right before the end record.
    bool zip64 = false;
    uint32_t recDisk = 0;
    uint64_t recPos = 0;
    uint32_t parts = disk + 1;
    if (endInLast >= fmt::Zip64LocatorSize) {
        unsigned char loc[fmt::Zip64LocatorSize];
        file_.readExact(endInLast - fmt::Zip64LocatorSize, loc, sizeof loc);
        if (get32(loc) == fmt::Zip64LocatorSig) {
            zip64 = true;
            recDisk = get32(loc + 4);
            recPos = get64(loc + 8);
            uint32_t total = get32(loc + 16);
            if (total > 1 || disk != 0)
                parts = std::max<uint32_t>(total, 1);
        }
    }
    if (parts == 0 || parts > 0xffff)
        throw FormatError{"the number of parts is not possible"};

    uint64_t endPos = endInLast; // in the whole
    if (parts > 1 || cdDisk != 0) {
        spanned_ = true;
        if (!locateParts)
            throw FormatError{"the archive is part of a split or spanned set", false, true};
        // The last part is let go of while the others are sought: they may
        // be disks asked for in its drive.
        file_.close();
        std::vector<std::filesystem::path> paths = locateParts(path, parts);
        std::filesystem::path failed;
        if (paths.size() != parts || !file_.openParts(paths, &failed))
            throw IoError{errno ? errno : ENOENT, failed};
        endPos = file_.partStart(parts - 1) + endInLast;
        if (file_.partSize(parts - 1) != size)
            throw FormatError{"the last part changed while it was read"};
    }

    uint64_t dirEnd = endPos; // where the directory (and its Zip64 record) must end
    if (zip64) {
        const uint64_t locPos = endPos - fmt::Zip64LocatorSize;
        unsigned char rec[fmt::Zip64EndSize];
        auto isRecord = [&](uint64_t at) {
            if (at > locPos || locPos - at < fmt::Zip64EndSize)
                return false;
            file_.readExact(at, rec, sizeof rec);
            return get32(rec) == fmt::Zip64EndSig;
        };
        uint64_t actual = 0;
        bool ok = recDisk < parts && isRecord(globalOffset(recDisk, recPos));
        if (ok) {
            actual = globalOffset(recDisk, recPos);
        } else if (locPos >= fmt::Zip64EndSize && isRecord(locPos - fmt::Zip64EndSize)) {
            actual = locPos - fmt::Zip64EndSize; // offsets relative to a prefix
            ok = true;
        }
        if (!ok)
            throw FormatError{"the Zip64 end record is missing"};
        disk = get32(rec + 16);
        cdDisk = get32(rec + 20);
        onDisk = get64(rec + 24);
        count = get64(rec + 32);
        cdSize = get64(rec + 40);
        cdOffset = get64(rec + 48);
        dirEnd = actual;
    }
    if (disk + 1 != parts || cdDisk >= parts)
        throw FormatError{"the disk numbers of the end record disagree"};
    if (parts == 1 && onDisk != count)
        throw FormatError{"the entry counts of the end record disagree"};
    if (onDisk > count)
        throw FormatError{"the entry counts of the end record disagree"};
    if (parts == 1) {
        if (cdSize > dirEnd || cdOffset > dirEnd - cdSize)
            throw FormatError{"the central directory lies outside the file"};
        prefix_ = dirEnd - (cdOffset + cdSize);
    } else {
        // Parts keep their own offsets: nothing comes in front.
        if (cdOffset > file_.partSize(cdDisk))
            throw FormatError{"the central directory lies outside its part"};
        uint64_t cdStart = globalOffset(cdDisk, cdOffset);
        if (cdSize > dirEnd || cdStart > dirEnd - cdSize)
            throw FormatError{"the central directory lies outside the archive"};
        cdOffset = cdStart;
    }
    if (count > cdSize / fmt::CentralHeaderSize)
        throw FormatError{"the entry count does not fit the central directory"};
    readDirectory(cdOffset + prefix_, cdSize, count);
}

uint64_t ArchiveReader::globalOffset(uint32_t disk, uint64_t offset) const
{
    return file_.partStart(disk) + offset;
}

char* ArchiveReader::textRoom(size_t n)
{
    constexpr size_t Block = 256 * 1024;
    if (n > textLeft_) {
        const size_t size = std::max(n, Block);
        texts_.emplace_back(new char[size]);
        textAt_ = texts_.back().get();
        textLeft_ = size;
    }
    char* p = textAt_;
    textAt_ += n;
    textLeft_ -= n;
    return p;
}

void ArchiveReader::readDirectory(uint64_t cdStart, uint64_t cdSize, uint64_t count)
{
    DirReader r(file_, cdStart, cdSize);
    entries_.reserve(size_t(count));
    const uint32_t parts = uint32_t(file_.partCount());
    std::string name, comment; // decoded forms that differ from the stored bytes
    for (uint64_t i = 0; i < count; ++i) {
        const unsigned char* h = r.take(fmt::CentralHeaderSize);
        if (get32(h) != fmt::CentralSig)
            throw FormatError{"a central directory entry lacks its signature"};
        ArchiveEntry& en = entries_.emplace_back();
        en.madeBy = get16(h + 4);
        en.needed = get16(h + 6);
        en.flags = get16(h + 8);
        en.method = get16(h + 10);
        en.dosTime = get16(h + 12);
        en.dosDate = get16(h + 14);
        en.crc = get32(h + 16);
        en.compressedSize = get32(h + 20);
        en.size = get32(h + 24);
        en.rawNameLen_ = get16(h + 28);
        en.extraLen_ = get16(h + 30);
        en.rawCommentLen_ = get16(h + 32);
        uint32_t diskStart = get16(h + 34);
        en.internalAttr = get16(h + 36);
        en.externalAttr = get32(h + 38);
        en.localOffset = get32(h + 42);
        const size_t rawLength = en.rawLength();
        const char* raw = reinterpret_cast<const char*>(r.take(rawLength));
        const std::string_view rawName(raw, en.rawNameLen_);
        const std::string_view extra(raw + en.rawNameLen_, en.extraLen_);
        const std::string_view rawComment(raw + en.rawNameLen_ + en.extraLen_, en.rawCommentLen_);

        bool needZip64 = en.size == fmt::Max32 || en.compressedSize == fmt::Max32 ||
                         en.localOffset == fmt::Max32 || diskStart == fmt::Max16;
        if (needZip64) {
            // Without a Zip64 block the values stand as written (4 GiB - 1 is legal).
            bool seen = false;
            fmt::forEachExtra(extra, [&](uint16_t id, const unsigned char* d, size_t len) {
                if (id != fmt::ExtraZip64 || seen)
                    return;
                seen = true;
                size_t pos = 0;
                auto take64 = [&](uint64_t& v) {
                    if (pos + 8 > len)
                        throw FormatError{"a Zip64 block is too short"};
                    v = get64(d + pos);
                    pos += 8;
                };
                if (en.size == fmt::Max32) take64(en.size);
                if (en.compressedSize == fmt::Max32) take64(en.compressedSize);
                if (en.localOffset == fmt::Max32) take64(en.localOffset);
                if (diskStart == fmt::Max16 && pos + 4 <= len) diskStart = get32(d + pos);
            });
        }

        // The texts are kept together; decoded forms only where they differ.
        const bool ownName = decodeNameInto(rawName, en.flags, en.host(), extra, name);
        const bool ownComment =
            !((en.flags & fmt::FlagUtf8) || fmt::isValidUtf8(rawComment)) && !rawComment.empty();
        if (ownComment)
            comment = fmt::cp437ToUtf8(rawComment);
        en.nameLen_ = uint32_t(ownName ? name.size() : rawName.size());
        en.commentLen_ = uint32_t(ownComment ? comment.size() : rawComment.size());
        en.decoded_ =
            uint8_t((ownName ? ArchiveEntry::DecodedName : 0) | (ownComment ? ArchiveEntry::DecodedComment : 0));
        const size_t textLength = rawLength + (ownName ? name.size() : 0) + (ownComment ? comment.size() : 0);
        if (textLength > 0) {
            char* text = textRoom(textLength);
            std::memcpy(text, raw, rawLength);
            char* at = text + rawLength;
            if (ownName)
                at = std::copy(name.begin(), name.end(), at);
            if (ownComment)
                std::copy(comment.begin(), comment.end(), at);
            en.text_ = text;
        }

        if (parts == 1) {
            // Offsets are relative to the archive's start, which may follow a stub.
            if (diskStart != 0)
                throw FormatError{"an entry starts on another disk"};
            if (en.localOffset > cdStart - prefix_)
                throw FormatError{"an entry's offset lies outside the archive"};
            en.localOffset += prefix_;
        } else {
            if (diskStart >= parts || en.localOffset >= file_.partSize(diskStart))
                throw FormatError{"an entry's offset lies outside its part"};
            en.localOffset = globalOffset(diskStart, en.localOffset);
        }
        if (en.localOffset + fmt::LocalHeaderSize > cdStart ||
            en.compressedSize > cdStart - en.localOffset - fmt::LocalHeaderSize)
            throw FormatError{"an entry's data runs into the central directory"};
        if (en.method == fmt::Stored && !en.encrypted() && en.compressedSize != en.size)
            throw FormatError{"a stored entry's sizes disagree"};
    }
    if (r.pos() != cdStart + cdSize)
        throw FormatError{"the entry count does not match the central directory"};

    // Every entry owns the bytes up to the next entry in file order; two
    // entries that share bytes make the archive unusable.
    std::vector<size_t> order(entries_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto before = [&](size_t a, size_t b) { return entries_[a].localOffset < entries_[b].localOffset; };
    if (!std::is_sorted(order.begin(), order.end(), before)) // archives are mostly written in order
        std::sort(order.begin(), order.end(), before);
    for (size_t k = 0; k < order.size(); ++k) {
        ArchiveEntry& a = entries_[order[k]];
        a.extentEnd = k + 1 < order.size() ? entries_[order[k + 1]].localOffset : cdStart;
        if (a.localOffset + fmt::LocalHeaderSize + a.compressedSize > a.extentEnd)
            throw FormatError{"two entries overlap"};
    }
    lead_ = order.empty() ? cdStart : entries_[order.front()].localOffset;
}

LocalHeader ArchiveReader::readLocal(const ArchiveEntry& e, ReadWindow* window) const
{
    auto read = [&](uint64_t at, void* buf, size_t n) {
        if (window)
            window->readExact(file_, at, buf, n);
        else
            file_.readExact(at, buf, n);
    };
    unsigned char h[fmt::LocalHeaderSize];
    read(e.localOffset, h, sizeof h);
    if (get32(h) != fmt::LocalSig)
        throw FormatError{"an entry's local header is missing"};
    LocalHeader lh;
    lh.flags = get16(h + 6);
    size_t nameLen = get16(h + 26);
    size_t extraLen = get16(h + 28);
    lh.dataOffset = e.localOffset + fmt::LocalHeaderSize + nameLen + extraLen;
    if (extraLen) {
        lh.extra.resize(extraLen);
        read(e.localOffset + fmt::LocalHeaderSize + nameLen, lh.extra.data(), extraLen);
    }
    if (!fitsExtent(e, lh))
        throw FormatError{"an entry's data overlaps the next entry"};
    return lh;
}

bool ArchiveReader::fitsExtent(const ArchiveEntry& e, const LocalHeader& h)
{
    return h.dataOffset <= e.extentEnd && e.compressedSize <= e.extentEnd - h.dataOffset;
}

} // namespace qm::zip
