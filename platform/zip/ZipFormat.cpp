#include "platform/zip/ZipFormat.h"

#include <zlib.h>

namespace qm::zip::fmt {

namespace dt = qm::datetime;

void put16(std::string& out, uint16_t v)
{
    out.push_back(char(v & 0xff));
    out.push_back(char(v >> 8));
}

void put32(std::string& out, uint32_t v)
{
    put16(out, uint16_t(v & 0xffff));
    put16(out, uint16_t(v >> 16));
}

void put64(std::string& out, uint64_t v)
{
    put32(out, uint32_t(v & 0xffffffffu));
    put32(out, uint32_t(v >> 32));
}

void set16(char* p, uint16_t v)
{
    p[0] = char(v & 0xff);
    p[1] = char(v >> 8);
}

void set32(char* p, uint32_t v)
{
    set16(p, uint16_t(v & 0xffff));
    set16(p + 2, uint16_t(v >> 16));
}

void set64(char* p, uint64_t v)
{
    set32(p, uint32_t(v & 0xffffffffu));
    set32(p + 4, uint32_t(v >> 32));
}

DosTime toDos(const dt::DateTime& local)
{
    dt::DateTime t = local;
    if (t.second % 2 != 0)
        t = dt::addSeconds(t, 1);
    if (t.year < 1980)
        t = dt::DateTime{1980, 1, 1, 0, 0, 0};
    if (t.year > 2107)
        t = dt::DateTime{2107, 12, 31, 23, 59, 58};
    DosTime d;
    d.date = uint16_t(((t.year - 1980) << 9) | (t.month << 5) | t.day);
    d.time = uint16_t((t.hour << 11) | (t.minute << 5) | (t.second / 2));
    return d;
}

DosTime dosFromTimeT(int64_t t)
{
    return toDos(dt::fromTimeT(static_cast<std::time_t>(t)));
}

dt::DateTime fromDos(uint16_t date, uint16_t time)
{
    dt::DateTime t{1980 + (date >> 9), (date >> 5) & 0x0f, date & 0x1f,
                   time >> 11, (time >> 5) & 0x3f, (time & 0x1f) * 2};
    // Damaged fields give the nearest valid value rather than an invalid date.
    if (t.month < 1) t.month = 1;
    if (t.month > 12) t.month = 12;
    if (t.day < 1) t.day = 1;
    if (t.day > dt::daysInMonth(t.year, t.month)) t.day = dt::daysInMonth(t.year, t.month);
    if (t.hour > 23) t.hour = 23;
    if (t.minute > 59) t.minute = 59;
    if (t.second > 59) t.second = 59;
    return t;
}

namespace {

bool fitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

void beginBlock(std::string& out, uint16_t id, uint16_t len)
{
    put16(out, id);
    put16(out, len);
}

} // namespace

void appendExtendedTime(std::string& out, const EntryTimes& t, bool local)
{
    uint8_t flags = 0;
    if (t.modified && fitsInt32(*t.modified)) flags |= 1;
    if (t.accessed && fitsInt32(*t.accessed)) flags |= 2;
    if (t.created && fitsInt32(*t.created)) flags |= 4;
    if (flags == 0)
        return;
    std::string data(1, char(flags));
    if (local) {
        if (flags & 1) put32(data, uint32_t(int32_t(*t.modified)));
        if (flags & 2) put32(data, uint32_t(int32_t(*t.accessed)));
        if (flags & 4) put32(data, uint32_t(int32_t(*t.created)));
    } else if (flags & 1) {
        put32(data, uint32_t(int32_t(*t.modified)));
    }
    beginBlock(out, ExtraTime, uint16_t(data.size()));
    out += data;
}

uint64_t toFileTime(int64_t unixSeconds)
{
    return uint64_t((unixSeconds + 11644473600LL) * 10000000LL);
}

int64_t fromFileTime(uint64_t ft)
{
    return int64_t(ft / 10000000ULL) - 11644473600LL;
}

void appendNtfsTimes(std::string& out, const EntryTimes& t)
{
    if (!t.modified)
        return;
    int64_t m = *t.modified;
    int64_t a = t.accessed.value_or(m);
    int64_t c = t.created.value_or(m);
    beginBlock(out, ExtraNtfs, 32);
    put32(out, 0);        // reserved
    put16(out, 1);        // attribute tag 1: the three times
    put16(out, 24);
    put64(out, toFileTime(m));
    put64(out, toFileTime(a));
    put64(out, toFileTime(c));
}

void appendUnicodePath(std::string& out, std::string_view headerName, std::string_view utf8Name)
{
    if (utf8Name.size() > 0xffff - 5)
        return;
    beginBlock(out, ExtraUnicodePath, uint16_t(5 + utf8Name.size()));
    out.push_back(char(1));
    put32(out, uint32_t(crc32_z(0, reinterpret_cast<const Bytef*>(headerName.data()), headerName.size())));
    out.append(utf8Name);
}

std::string withoutExtra(std::string_view extra, uint16_t id)
{
    std::string out;
    forEachExtra(extra, [&](uint16_t bid, const unsigned char* data, size_t len) {
        if (bid == id)
            return;
        put16(out, bid);
        put16(out, uint16_t(len));
        out.append(reinterpret_cast<const char*>(data), len);
    });
    return out;
}

void readTimes(std::string_view extra, EntryTimes& t)
{
    EntryTimes ntfs;
    forEachExtra(extra, [&](uint16_t id, const unsigned char* p, size_t len) {
        if (id == ExtraTime && len >= 1) {
            uint8_t flags = p[0];
            size_t pos = 1;
            auto next = [&](std::optional<int64_t>& slot) {
                if (pos + 4 <= len) {
                    slot = int64_t(int32_t(get32(p + pos)));
                    pos += 4;
                }
            };
            if (flags & 1) next(t.modified);
            if (flags & 2) next(t.accessed);
            if (flags & 4) next(t.created);
        } else if (id == ExtraNtfs && len >= 4) {
            size_t pos = 4;
            while (pos + 4 <= len) {
                uint16_t tag = get16(p + pos);
                uint16_t size = get16(p + pos + 2);
                pos += 4;
                if (pos + size > len)
                    break;
                if (tag == 1 && size >= 24) {
                    ntfs.modified = fromFileTime(get64(p + pos));
                    ntfs.accessed = fromFileTime(get64(p + pos + 8));
                    ntfs.created = fromFileTime(get64(p + pos + 16));
                }
                pos += size;
            }
        }
    });
    if (ntfs.modified) t.modified = ntfs.modified;
    if (ntfs.accessed) t.accessed = ntfs.accessed;
    if (ntfs.created) t.created = ntfs.created;
}

std::optional<std::string> readUnicodePath(std::string_view extra, std::string_view headerName)
{
    std::optional<std::string> name;
    forEachExtra(extra, [&](uint16_t id, const unsigned char* p, size_t len) {
        if (id != ExtraUnicodePath || len < 5 || p[0] != 1)
            return;
        uint32_t crc = get32(p + 1);
        uint32_t actual = uint32_t(crc32_z(0, reinterpret_cast<const Bytef*>(headerName.data()), headerName.size()));
        std::string_view utf8(reinterpret_cast<const char*>(p + 5), len - 5);
        if (crc == actual && isValidUtf8(utf8))
            name = std::string(utf8);
    });
    return name;
}

bool isAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

namespace {

const uint16_t cp437High[128] = {
    0x00c7, 0x00fc, 0x00e9, 0x00e2, 0x00e4, 0x00e0, 0x00e5, 0x00e7,
    0x00ea, 0x00eb, 0x00e8, 0x00ef, 0x00ee, 0x00ec, 0x00c4, 0x00c5,
    0x00c9, 0x00e6, 0x00c6, 0x00f4, 0x00f6, 0x00f2, 0x00fb, 0x00f9,
    0x00ff, 0x00d6, 0x00dc, 0x00a2, 0x00a3, 0x00a5, 0x20a7, 0x0192,
    0x00e1, 0x00ed, 0x00f3, 0x00fa, 0x00f1, 0x00d1, 0x00aa, 0x00ba,
    0x00bf, 0x2310, 0x00ac, 0x00bd, 0x00bc, 0x00a1, 0x00ab, 0x00bb,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255d, 0x255c, 0x255b, 0x2510,
    0x2514, 0x2534, 0x252c, 0x251c, 0x2500, 0x253c, 0x255e, 0x255f,
    0x255a, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256c, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256b,
    0x256a, 0x2518, 0x250c, 0x2588, 0x2584, 0x258c, 0x2590, 0x2580,
    0x03b1, 0x00df, 0x0393, 0x03c0, 0x03a3, 0x03c3, 0x00b5, 0x03c4,
    0x03a6, 0x0398, 0x03a9, 0x03b4, 0x221e, 0x03c6, 0x03b5, 0x2229,
    0x2261, 0x00b1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00f7, 0x2248,
    0x00b0, 0x2219, 0x00b7, 0x221a, 0x207f, 0x00b2, 0x25a0, 0x00a0,
};

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xc0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3f)));
    } else {
        out.push_back(char(0xe0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3f)));
        out.push_back(char(0x80 | (cp & 0x3f)));
    }
}

} // namespace

std::string cp437ToUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s)
        appendUtf8(out, c < 0x80 ? c : cp437High[c - 0x80]);
    return out;
}

} // namespace qm::zip::fmt
