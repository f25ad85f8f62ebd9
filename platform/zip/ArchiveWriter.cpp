#include "platform/zip/ArchiveWriter.h"

#include <algorithm>
#include <vector>

namespace qm::zip {

using namespace fmt;

namespace {

uint16_t nameFlag(const std::string& name, const std::string& comment)
{
    return isAscii(name) && isAscii(comment) ? 0 : FlagUtf8;
}

bool hasZip64Block(std::string_view extra)
{
    bool found = false;
    forEachExtra(extra, [&](uint16_t id, const unsigned char*, size_t) { found = found || id == ExtraZip64; });
    return found;
}

} // namespace

void ArchiveWriter::beginEntry(WrittenEntry& e, const std::string& localExtra, bool large)
{
    e.flags |= nameFlag(e.name, e.comment);
    e.localZip64 = large;
    if (large && e.needed < 45)
        e.needed = 45;
    std::string extra;
    if (large) {
        put16(extra, ExtraZip64);
        put16(extra, 16);
        put64(extra, 0);
        put64(extra, 0);
    }
    extra += localExtra;
    if (extra.size() > 0xffff)
        extra.resize(large ? 20 : 0);
    writeLocalHeader(e, 0, large ? Max32 : 0, large ? Max32 : 0, extra);
    e.localExtraStart = e.localOffset + LocalHeaderSize + e.name.size();
}

void ArchiveWriter::writeLocalHeader(WrittenEntry& e, uint32_t crc, uint32_t compressedSize, uint32_t size,
                                     const std::string& extra)
{
    std::string& h = header_; // kept from one header to the next
    h.clear();
    h.reserve(LocalHeaderSize + e.name.size() + extra.size());
    put32(h, LocalSig);
    put16(h, e.needed);
    put16(h, e.flags);
    put16(h, e.method);
    put16(h, e.dosTime);
    put16(h, e.dosDate);
    put32(h, crc);
    put32(h, compressedSize);
    put32(h, size);
    put16(h, uint16_t(e.name.size()));
    put16(h, uint16_t(extra.size()));
    h += e.name;
    h += extra;
    out_.keepTogether(h.size());
    e.localOffset = out_.offset();
    e.disk = out_.disk();
    e.diskOffset = out_.diskOffset();
    out_.write(h.data(), h.size());
}

void ArchiveWriter::writeDescriptor(const WrittenEntry& e)
{
    std::string d;
    put32(d, DescriptorSig);
    put32(d, e.crc);
    if (e.localZip64) {
        put64(d, e.compressedSize);
        put64(d, e.size);
    } else {
        put32(d, uint32_t(e.compressedSize));
        put32(d, uint32_t(e.size));
    }
    out_.keepTogether(d.size());
    out_.write(d.data(), d.size());
}

void ArchiveWriter::endEntry(WrittenEntry& e)
{
    if (e.flags & FlagDescriptor) {
        writeDescriptor(e);
    } else {
        char crc[4];
        set32(crc, e.crc);
        out_.patch(e.localOffset + 14, crc, 4);
    }
    {
        // The method may have changed on the way (data that would not shrink is stored).
        char head[6];
        set16(head, e.needed);
        set16(head + 2, e.flags);
        set16(head + 4, e.method);
        out_.patch(e.localOffset + 4, head, 6);
    }
    if (!(e.flags & FlagDescriptor)) {
        if (e.localZip64) {
            char sizes[16];
            set64(sizes, e.size);
            set64(sizes + 8, e.compressedSize);
            out_.patch(e.localExtraStart + 4, sizes, 16);
        } else {
            char sizes[8];
            set32(sizes, uint32_t(e.compressedSize));
            set32(sizes + 4, uint32_t(e.size));
            out_.patch(e.localOffset + 18, sizes, 8);
        }
    }
    record(e);
}

void ArchiveWriter::record(const WrittenEntry& e)
{
    constexpr size_t Block = 1 << 20;
    std::string& h = header_;
    h.clear();
    centralHeader(e, h);
    if (central_.empty() || central_.back().size() + h.size() > Block) {
        central_.emplace_back();
        central_.back().reserve(std::max(Block, h.size()));
    }
    central_.back() += h;
    sizes_.push_back(uint32_t(h.size()));
    centralSize_ += h.size();
    entryNeedsZip64_ = entryNeedsZip64_ || e.localZip64 || e.size >= Max32 || e.compressedSize >= Max32 ||
                       e.diskOffset >= Max32 || e.disk >= Max16;
}

void ArchiveWriter::abandonEntry(const WrittenEntry& e)
{
    out_.truncate(e.localOffset);
}

void ArchiveWriter::copyBytes(const InFile& src, uint64_t from, uint64_t length,
                              const std::function<void(uint64_t)>& chunkDone)
{
    const bool held = out_.holdsAlready(src, from, length);
    std::vector<char> buf(held ? 0 : size_t(std::min<uint64_t>(length ? length : 1, 1 << 20)));
    uint64_t done = 0;
    while (length > 0) {
        size_t n = size_t(std::min<uint64_t>(held ? (1 << 20) : buf.size(), length));
        if (!held) {
            src.readExact(from, buf.data(), n);
            out_.write(buf.data(), n);
        }
        from += n;
        length -= n;
        done += n;
        if (chunkDone)
            chunkDone(done);
    }
}

void ArchiveWriter::copyEntry(const ArchiveReader& src, const ArchiveEntry& old,
                              const std::function<void(uint64_t)>& chunkDone)
{
    LocalHeader lh = src.readLocal(old);
    WrittenEntry e;
    e.name = old.name();
    e.comment = old.comment();
    e.madeBy = old.madeBy;
    e.needed = old.needed;
    e.flags = old.flags;
    e.method = old.method;
    e.dosTime = old.dosTime;
    e.dosDate = old.dosDate;
    e.internalAttr = old.internalAttr;
    e.externalAttr = old.externalAttr;
    e.crc = old.crc;
    e.compressedSize = old.compressedSize;
    e.size = old.size;
    // The name is written as decoded (UTF-8, "/"), and the flag says so;
    // but a code page 437 name that would outgrow its 16-bit length as
    // UTF-8 keeps its stored bytes (and its comment too).
    const bool asStored = e.name.size() > Max16;
    if (asStored) {
        e.name = old.rawName();
        e.comment = old.rawComment();
    }
    e.centralExtra = withoutExtra(old.extra(), ExtraZip64);
    if (e.name != old.rawName()) // a Unicode path block would no longer match the stored name
        e.centralExtra = withoutExtra(e.centralExtra, ExtraUnicodePath);
    e.localZip64 = hasZip64Block(lh.extra);
    if (!asStored)
        e.flags = uint16_t((e.flags & ~FlagUtf8) | nameFlag(e.name, e.comment));
    bool descriptor = (lh.flags & FlagDescriptor) != 0;
    e.flags = uint16_t(descriptor ? (e.flags | FlagDescriptor) : (e.flags & ~FlagDescriptor));

    std::string localExtra = withoutExtra(lh.extra, ExtraUnicodePath);
    std::string z64;
    if (e.localZip64) {
        put16(z64, ExtraZip64);
        put16(z64, 16);
        put64(z64, descriptor ? 0 : e.size);
        put64(z64, descriptor ? 0 : e.compressedSize);
        localExtra = z64 + withoutExtra(localExtra, ExtraZip64);
    }
    if (localExtra.size() > Max16)
        localExtra = z64; // the other blocks no longer fit beside it
    writeLocalHeader(e, descriptor ? 0 : e.crc,
                     descriptor ? 0 : (e.localZip64 ? Max32 : uint32_t(e.compressedSize)),
                     descriptor ? 0 : (e.localZip64 ? Max32 : uint32_t(e.size)), localExtra);

    copyBytes(src.file(), lh.dataOffset, old.compressedSize, chunkDone);
    if (descriptor)
        writeDescriptor(e);
    record(e);
}

void ArchiveWriter::centralHeader(const WrittenEntry& e, std::string& h) const
{
    std::string z64;
    bool bigSize = e.size >= Max32;
    bool bigComp = e.compressedSize >= Max32;
    bool bigOffset = e.diskOffset >= Max32;
    bool bigDisk = e.disk >= Max16;
    if (bigSize) put64(z64, e.size);
    if (bigComp) put64(z64, e.compressedSize);
    if (bigOffset) put64(z64, e.diskOffset);
    if (bigDisk) put32(z64, e.disk);
    std::string extra;
    if (!z64.empty()) {
        put16(extra, ExtraZip64);
        put16(extra, uint16_t(z64.size()));
        extra += z64;
    }
    extra += e.centralExtra;
    if (extra.size() > 0xffff)
        extra.resize(z64.empty() ? 0 : 4 + z64.size());
    std::string entryComment = e.comment.size() > 0xffff ? e.comment.substr(0, 0xffff) : e.comment;
    uint16_t needed = e.needed;
    if (!z64.empty() && needed < 45)
        needed = 45;
    h.reserve(h.size() + CentralHeaderSize + e.name.size() + extra.size() + entryComment.size());
    put32(h, CentralSig);
    put16(h, e.madeBy);
    put16(h, needed);
    put16(h, e.flags);
    put16(h, e.method);
    put16(h, e.dosTime);
    put16(h, e.dosDate);
    put32(h, e.crc);
    put32(h, bigComp ? Max32 : uint32_t(e.compressedSize));
    put32(h, bigSize ? Max32 : uint32_t(e.size));
    put16(h, uint16_t(e.name.size()));
    put16(h, uint16_t(extra.size()));
    put16(h, uint16_t(entryComment.size()));
    put16(h, bigDisk ? Max16 : uint16_t(e.disk));
    put16(h, e.internalAttr);
    put32(h, e.externalAttr);
    put32(h, bigOffset ? Max32 : uint32_t(e.diskOffset));
    h += e.name;
    h += extra;
    h += entryComment;
}

bool ArchiveWriter::needsZip64() const
{
    if (sizes_.size() >= Max16 || out_.diskOffset() >= Max32 || out_.disk() >= Max16 || entryNeedsZip64_)
        return true;
    return centralSize_ >= Max32 || out_.diskOffset() + centralSize_ >= Max32;
}

void ArchiveWriter::finish(const std::string& commentIn)
{
    std::string comment = commentIn;
    if (comment.size() > 0xffff) {
        size_t cut = 0xffff;
        while (cut > 0 && (static_cast<unsigned char>(comment[cut]) & 0xc0) == 0x80)
            --cut;
        comment.resize(cut);
    }
    // A comment that held the end record's signature would leave readers,
    // which search for that record from the end, unsure where it is.
    for (size_t at = comment.find("PK\x05\x06"); at != std::string::npos; at = comment.find("PK\x05\x06", at))
        comment.replace(at + 2, 2, "  ");
    uint64_t cdSize = 0;
    uint32_t cdDisk = out_.disk();
    uint64_t cdOffset = out_.diskOffset();
    uint32_t lastDisk = cdDisk;
    uint64_t onLastDisk = 0;
    size_t block = 0, at = 0;
    for (size_t i = 0; i < sizes_.size(); ++i) {
        if (at == central_[block].size()) {
            ++block;
            at = 0;
        }
        const char* h = central_[block].data() + at;
        const size_t size = sizes_[i];
        at += size;
        out_.keepTogether(size);
        if (i == 0) {
            cdDisk = out_.disk();
            cdOffset = out_.diskOffset();
        }
        if (out_.disk() != lastDisk) {
            lastDisk = out_.disk();
            onLastDisk = 0;
        }
        ++onLastDisk;
        out_.write(h, size);
        cdSize += size;
    }
    const uint64_t count = sizes_.size();
    bool zip64 = count >= Max16 || cdSize >= Max32 || cdOffset >= Max32 || cdDisk >= Max16 ||
                 out_.disk() >= Max16;
    const size_t endSize = (zip64 ? Zip64EndSize + Zip64LocatorSize : 0) + EndRecordSize + comment.size();
    out_.keepTogether(endSize);
    if (out_.disk() != lastDisk) {
        lastDisk = out_.disk();
        onLastDisk = 0;
    }
    const uint32_t z64Disk = out_.disk();
    const uint64_t z64Offset = out_.diskOffset();
    std::string h;
    if (zip64) {
        put32(h, Zip64EndSig);
        put64(h, Zip64EndSize - 12);
        put16(h, (HostUnix << 8) | 45);
        put16(h, 45);
        put32(h, lastDisk);
        put32(h, cdDisk);
        put64(h, onLastDisk);
        put64(h, count);
        put64(h, cdSize);
        put64(h, cdOffset);
        put32(h, Zip64LocatorSig);
        put32(h, z64Disk);
        put64(h, z64Offset);
        put32(h, lastDisk + 1);
    }
    put32(h, EndSig);
    put16(h, uint16_t(std::min<uint64_t>(lastDisk, Max16)));
    put16(h, uint16_t(std::min<uint64_t>(cdDisk, Max16)));
    put16(h, uint16_t(std::min<uint64_t>(onLastDisk, Max16)));
    put16(h, uint16_t(std::min<uint64_t>(count, Max16)));
    put32(h, uint32_t(std::min<uint64_t>(cdSize, Max32)));
    put32(h, uint32_t(std::min<uint64_t>(cdOffset, Max32)));
    put16(h, uint16_t(comment.size()));
    h += comment;
    out_.write(h.data(), h.size());
}

} // namespace qm::zip
