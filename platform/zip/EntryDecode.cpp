#include "platform/zip/EntryDecode.h"

#include "platform/zip/ZipCrypto.h"

#include <algorithm>
#include <optional>
#include <zlib.h>

namespace qm::zip {

namespace {

struct TooLong {};

} // namespace

bool isVolumeLabel(const ArchiveEntry& e)
{
    return (e.externalAttr & 0x08) && !e.isFolder() && e.host() != fmt::HostUnix;
}

DecodeResult checkFolderEntry(const ArchiveReader& archive, const ArchiveEntry& e, ReadWindow* window)
{
    try {
        archive.readLocal(e, window);
    } catch (const FormatError&) {
        return DecodeResult::DataError;
    }
    return e.size == 0 ? DecodeResult::Ok : DecodeResult::DataError;
}

uint16_t cryptCheckOf(const ArchiveEntry& e, const LocalHeader& h)
{
    const bool descriptor = (e.flags & fmt::FlagDescriptor) || (h.flags & fmt::FlagDescriptor);
    return descriptor ? e.dosTime : uint16_t(e.crc >> 16);
}

bool passesBothCheckBytes(const ArchiveReader& archive, const ArchiveEntry& e, const LocalHeader& h,
                          std::string_view password, ReadWindow& window)
{
    if (!e.encrypted() || password.empty() || e.compressedSize < ZipCrypto::HeaderSize)
        return false;
    unsigned char header[ZipCrypto::HeaderSize];
    window.readExact(archive.file(), h.dataOffset, header, sizeof header);
    const uint16_t check = cryptCheckOf(e, h);
    return ZipCrypto(password).checkHeader(header, uint8_t(check >> 8)) &&
           header[ZipCrypto::HeaderSize - 2] == uint8_t(check);
}

DecodeResult decodeEntry(const ArchiveReader& archive, const ArchiveEntry& e, const LocalHeader& h,
                         std::string_view password, const ByteSink& out,
                         const std::function<void(uint64_t)>& progress, DecodeScratch& scratch)
{
    if (!canDecode(e.method))
        return DecodeResult::Unsupported;
    if (e.size == 0 && e.compressedSize == 0 && !e.encrypted())
        return e.crc == 0 ? DecodeResult::Ok : DecodeResult::DataError;
    uint64_t pos = h.dataOffset;
    uint64_t left = e.compressedSize;
    std::optional<ZipCrypto> crypto;
    if (e.encrypted()) {
        if (password.empty() || left < ZipCrypto::HeaderSize)
            return left < ZipCrypto::HeaderSize && !password.empty() ? DecodeResult::DataError
                                                                     : DecodeResult::BadPassword;
        unsigned char header[ZipCrypto::HeaderSize];
        scratch.window.readExact(archive.file(), pos, header, sizeof header);
        crypto.emplace(password);
        if (!crypto->checkHeader(header, uint8_t(cryptCheckOf(e, h) >> 8)))
            return DecodeResult::BadPassword;
        pos += ZipCrypto::HeaderSize;
        left -= ZipCrypto::HeaderSize;
    }
    if (e.method == fmt::Stored && left != e.size)
        return DecodeResult::DataError;

    Decoder* dec = scratch.decoders.get(e.method, left);
    uint32_t crc = 0;
    uint64_t written = 0;
    const uint64_t limit = e.size;
    ByteSink sink = [&](const unsigned char* p, size_t n) {
        if (n > limit - written)
            throw TooLong{};
        written += n;
        crc = uint32_t(crc32_z(crc, p, n));
        out(p, n);
    };

    std::vector<unsigned char>& buf = scratch.buffer;
    const size_t want = size_t(std::min<uint64_t>(DecodeChunk, left ? left : 1));
    if (buf.size() < want)
        buf.resize(want);
    uint64_t done = 0;
    Decoder::Status st = Decoder::Status::More;
    try {
        if (left == 0)
            st = dec->feed(buf.data(), 0, sink);
        while (left > 0 && st == Decoder::Status::More) {
            size_t n = size_t(std::min<uint64_t>(buf.size(), left));
            scratch.window.readExact(archive.file(), pos, buf.data(), n);
            if (crypto)
                crypto->decrypt(buf.data(), n);
            pos += n;
            left -= n;
            done += n;
            st = dec->feed(buf.data(), n, sink);
            if (progress)
                progress(done);
        }
    } catch (const TooLong&) {
        st = Decoder::Status::Error;
    }
    // One password in 256 passes the header check; its data then fails.
    const DecodeResult bad = crypto ? DecodeResult::PasswordOrData : DecodeResult::DataError;
    if (st == Decoder::Status::Error)
        return bad;
    if (st != Decoder::Status::End && !(e.method == fmt::Stored && written == e.size))
        return bad;
    if (written != e.size || crc != e.crc)
        return bad;
    return DecodeResult::Ok;
}

} // namespace qm::zip
