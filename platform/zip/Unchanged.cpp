#include "platform/zip/Unchanged.h"

#include "platform/zip/PieceCodec.h"
#include "platform/zip/ZipCrypto.h"

namespace qm::zip {

uint16_t deflateLevelFlags(int level)
{
    if (level >= 8)
        return 0x2; // maximum
    if (level == 1)
        return 0x6; // super fast
    if (level == 2)
        return 0x4; // fast
    return 0;       // normal
}

namespace {

// The block-size digit at the start of a Burrows-Wheeler entry's stream
// ('\0' when it cannot be read).
char bwDigit(const ArchiveReader& archive, const ArchiveEntry& e, const LocalHeader& h, const std::string& password,
            ReadWindow* window = nullptr)
{
    const size_t skip = e.encrypted() ? ZipCrypto::HeaderSize : 0;
    unsigned char first[ZipCrypto::HeaderSize + 1];
    if (e.compressedSize < skip + 1)
        return '\0';
    if (window)
        window->readExact(archive.file(), h.dataOffset, first, skip + 1);
    else
        archive.file().readExact(h.dataOffset, first, skip + 1);
    if (e.encrypted())
        ZipCrypto(password).decrypt(first, skip + 1);
    return char(first[skip]);
}

} // namespace

bool mayHoldFile(const ArchiveEntry& old, const SourceItem& file, int method, int level, bool password,
                 bool storedStands)
{
    if (old.isFolder() || file.folder || old.size != file.size)
        return false;
    if (old.method != method && !(old.method == fmt::Stored && storedStands))
        return false;
    if (old.method == fmt::Deflated && (old.flags & 0x6) != deflateLevelFlags(level))
        return false;
    // Our encrypted entries are followed by a descriptor, and their password
    // check byte comes from the time: only such an entry keeps its meaning
    // under the header written for it now.
    if (old.encrypted() != password || (password && !old.hasDescriptor()))
        return false;
    const int64_t mtime = file.times.modified.value_or(0);
    if (fmt::dosFromTimeT(mtime).packed() != ((uint32_t(old.dosDate) << 16) | old.dosTime))
        return false;
    if (auto m = old.times().modified; m && *m != mtime)
        return false;
    if ((old.attributes() & 3u) != (uint32_t(file.attributes) & 3u))
        return false;
    return old.host() != fmt::HostUnix || (old.unixMode() & 07777) == file.mode;
}

OldData checkOldData(const ArchiveReader& archive, const ArchiveEntry& old, int level, const std::string& password,
                     DecodeScratch& scratch, const std::function<void(uint64_t)>& progress)
{
    // Without data only the header's check byte speaks for the password,
    // and a wrong one passes it once in 256: such an entry is made anew.
    if (old.encrypted() && old.size == 0)
        return OldData::Unfit;
    try {
        LocalHeader h = archive.readLocal(old, &scratch.window);
        if (old.method == fmt::BurrowsWheeler && level != AnyLevel) {
            // Another digit is another level; anything else is for the
            // decoding to judge.
            const char digit = bwDigit(archive, old, h, password, &scratch.window);
            if (digit != bwLevelDigit(level) && digit >= '1' && digit <= '9')
                return OldData::Unfit;
        }
        switch (decodeEntry(archive, old, h, password, [](const unsigned char*, size_t) {}, progress, scratch)) {
        case DecodeResult::Ok: return OldData::Fits;
        case DecodeResult::BadPassword:
        case DecodeResult::Unsupported: return OldData::Unfit;
        case DecodeResult::DataError: return OldData::Damaged;
        case DecodeResult::PasswordOrData:
            return passesBothCheckBytes(archive, old, h, password, scratch.window) ? OldData::Damaged
                                                                                   : OldData::Unfit;
        }
    } catch (const FormatError&) {
    } catch (const IoError&) {
    }
    return OldData::Damaged;
}

bool madeAtLevel(const ArchiveReader& archive, const std::vector<const ArchiveEntry*>& taken, int method, int level,
                 const std::string& password, ReadWindow& window)
{
    if (method != fmt::Deflated && method != fmt::BurrowsWheeler)
        return false;
    bool compressed = false;
    try {
        for (const ArchiveEntry* entry : taken) {
            const ArchiveEntry& e = *entry;
            if (e.isFolder() || e.method == fmt::Stored)
                continue;
            if (e.method != method)
                return false;
            if (method == fmt::Deflated ? (e.flags & 0x6) != deflateLevelFlags(level)
                                        : bwDigit(archive, e, archive.readLocal(e, &window), password, &window) !=
                                              bwLevelDigit(level))
                return false;
            compressed = true;
        }
    } catch (const FormatError&) {
        return false;
    } catch (const IoError&) {
        return false;
    }
    return compressed;
}

} // namespace qm::zip
