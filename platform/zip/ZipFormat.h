#pragma once
// The ZIP container's records, little-endian helpers, DOS date-time packing,
// the extra fields we write and read, and name decoding.
#include "platform/datetime/DateTime.h"
#include "platform/fs/Text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::zip::fmt {

inline constexpr uint32_t LocalSig = 0x04034b50;
inline constexpr uint32_t CentralSig = 0x02014b50;
inline constexpr uint32_t EndSig = 0x06054b50;
inline constexpr uint32_t Zip64EndSig = 0x06064b50;
inline constexpr uint32_t Zip64LocatorSig = 0x07064b50;
inline constexpr uint32_t DescriptorSig = 0x08074b50;

inline constexpr size_t LocalHeaderSize = 30;
inline constexpr size_t CentralHeaderSize = 46;
inline constexpr size_t EndRecordSize = 22;
inline constexpr size_t Zip64EndSize = 56;
inline constexpr size_t Zip64LocatorSize = 20;

inline constexpr uint16_t FlagEncrypted = 0x0001;
inline constexpr uint16_t FlagDescriptor = 0x0008;
inline constexpr uint16_t FlagUtf8 = 0x0800;

inline constexpr uint16_t ExtraZip64 = 0x0001;
inline constexpr uint16_t ExtraNtfs = 0x000a;
inline constexpr uint16_t ExtraTime = 0x5455;
inline constexpr uint16_t ExtraUnicodePath = 0x7075;

inline constexpr uint32_t Max32 = 0xffffffffu;
inline constexpr uint16_t Max16 = 0xffffu;

// Methods.
inline constexpr int Stored = 0;
inline constexpr int Deflated = 8;
inline constexpr int Bzip2 = 12;        // bzip2 stream with its "BZh" signature
inline constexpr int BurrowsWheeler = 18; // bzip2 stream without the signature

// Host system in the high byte of "version made by".
inline constexpr int HostDos = 0;
inline constexpr int HostUnix = 3;
inline constexpr int HostNtfs = 11;

// Appending little-endian values.
void put16(std::string& out, uint16_t v);
void put32(std::string& out, uint32_t v);
void put64(std::string& out, uint64_t v);
inline uint16_t get16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t get64(const unsigned char* p) { return uint64_t(get32(p)) | (uint64_t(get32(p + 4)) << 32); }
void set16(char* p, uint16_t v);
void set32(char* p, uint32_t v);
void set64(char* p, uint64_t v);

// DOS date and time (local wall-clock time, two-second steps, 1980..2107).
struct DosTime {
    uint16_t time = 0;
    uint16_t date = (0 << 9) | (1 << 5) | 1; // 1980-01-01
    uint32_t packed() const { return (uint32_t(date) << 16) | time; }
};
// Values outside 1980..2107 are clamped; odd seconds round up to the next
// even second, so a stored time is never earlier than the file's.
DosTime toDos(const qm::datetime::DateTime& local);
DosTime dosFromTimeT(int64_t t);
qm::datetime::DateTime fromDos(uint16_t date, uint16_t time);

// File times of an entry as seconds since 1970 (UTC); any of them may be absent.
struct EntryTimes {
    std::optional<int64_t> modified;
    std::optional<int64_t> accessed;
    std::optional<int64_t> created;
};

// Extra blocks: the whole block (id, length, data) is appended to `out`.
void appendExtendedTime(std::string& out, const EntryTimes& t, bool local);
void appendNtfsTimes(std::string& out, const EntryTimes& t);
void appendUnicodePath(std::string& out, std::string_view headerName, std::string_view utf8Name);

// Walks the blocks of an extra field; a block that runs past the end stops
// the walk. `fn(id, data, length)`.
template <class Fn>
void forEachExtra(std::string_view extra, Fn fn)
{
    size_t pos = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
    while (pos + 4 <= extra.size()) {
        uint16_t id = get16(p + pos);
        uint16_t len = get16(p + pos + 2);
        if (pos + 4 + len > extra.size())
            return;
        fn(id, p + pos + 4, size_t(len));
        pos += 4 + size_t(len);
    }
}
// The extra field without the blocks of the given id.
std::string withoutExtra(std::string_view extra, uint16_t id);
// Reads the times of 0x5455 and 0x000a blocks into `t` (NTFS wins).
void readTimes(std::string_view extra, EntryTimes& t);
// The UTF-8 name of a 0x7075 block, when its CRC matches `headerName`.
std::optional<std::string> readUnicodePath(std::string_view extra, std::string_view headerName);

// Names: UTF-8 passes; anything else is read as code page 437.
using qm::fs::isValidUtf8;
bool isAscii(std::string_view s);
std::string cp437ToUtf8(std::string_view s);

// Seconds since 1970 <-> Windows FILETIME (100 ns since 1601).
uint64_t toFileTime(int64_t unixSeconds);
int64_t fromFileTime(uint64_t ft);

} // namespace qm::zip::fmt
