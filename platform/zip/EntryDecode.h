#pragma once
// Reading one entry's data: decryption, decoding, the size bound and the
// CRC check, chunk by chunk.
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/Codecs.h"
#include "platform/zip/ExpansionBound.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace qm::zip {

enum class DecodeResult {
    Ok,
    BadPassword, // encrypted and no password, or the password check failed
    DataError,   // the stream is damaged, cut short, too long, or the CRC differs
    PasswordOrData, // encrypted: the password passed its one-byte check, the data did not
    Unsupported, // a method the engine cannot decode
};

// Compressed bytes read at a time: `progress` of decodeEntry comes after each
// such chunk (the last one shorter).
inline constexpr size_t DecodeChunk = 256 * 1024;

// What a run over many entries keeps from one to the next.
struct DecodeScratch {
    DecoderCache decoders;
    std::vector<unsigned char> buffer;
    ReadWindow window; // local headers and small entries, read in file order
};

// A volume label (an entry of a DOS or Windows host with that attribute).
bool isVolumeLabel(const ArchiveEntry& e);
// A folder entry or volume label holds nothing to decode: its local header
// must be there and it must claim no content, else it is damaged.
// Extraction and test judge it alike.
DecodeResult checkFolderEntry(const ArchiveReader& archive, const ArchiveEntry& e, ReadWindow* window);

// The two plain bytes that end the encryption header of `e` (whose local
// header is `h`), as ZipCrypto::makeHeader takes them: the DOS time when a
// data descriptor follows the data, else the CRC's high 16 bits.
uint16_t cryptCheckOf(const ArchiveEntry& e, const LocalHeader& h);

// Whether `password` passes both check bytes of the encrypted entry `e`,
// not only the last one that decodeEntry asks for. A password that is not
// the entry's own passes the last byte once in 256, both once in 65536.
// Some tools leave the byte before the last to chance: their entries then
// fail this mostly even with their own password.
bool passesBothCheckBytes(const ArchiveReader& archive, const ArchiveEntry& e, const LocalHeader& h,
                          std::string_view password, ReadWindow& window);

// Decodes `e` (whose local header is `h`) with `password`; the plain bytes go
// to `out`. The output never exceeds the entry's recorded size: more is
// reported as a data error at once. `progress` gets the compressed bytes
// read so far after each chunk; it may throw (AbortError) to stop.
DecodeResult decodeEntry(const ArchiveReader& archive, const ArchiveEntry& e, const LocalHeader& h,
                         std::string_view password, const ByteSink& out,
                         const std::function<void(uint64_t)>& progress, DecodeScratch& scratch);

} // namespace qm::zip
