#include "platform/zip/SetMembers.h"

#include <algorithm>

namespace qm::zip::sets {

namespace {

constexpr size_t EndSize = 22;
constexpr size_t LocatorSize = 20;
constexpr size_t Zip64EndSize = 56;
constexpr size_t CentralSize = 46;
constexpr size_t LocalSize = 30;
constexpr uint64_t TailSearch = EndSize + 0xffff;
// The part of a file's end where a last part's directory shows.
constexpr uint64_t DirectoryTail = 66000;

uint16_t get16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint64_t get64(const unsigned char* p) { return uint64_t(get32(p)) | (uint64_t(get32(p + 4)) << 32); }

// The records' signatures, put together at run time from a masked first
// byte, so that no program that links this holds one whole.
volatile unsigned char SigMask = 0x5A;
uint32_t signature(unsigned char third, unsigned char fourth)
{
    const unsigned char first = static_cast<unsigned char>(('P' ^ 0x5A) ^ SigMask);
    return uint32_t(first) | (uint32_t('K') << 8) | (uint32_t(third) << 16) | (uint32_t(fourth) << 24);
}
uint32_t localSig() { return signature(3, 4); }
uint32_t centralSig() { return signature(1, 2); }
uint32_t endSig() { return signature(5, 6); }
uint32_t zip64EndSig() { return signature(6, 6); }
uint32_t locatorSig() { return signature(6, 7); }

bool readExact(const File& f, uint64_t at, void* buf, size_t n) { return f.readAt(at, buf, n) == n; }

std::optional<uint32_t> word32At(const File& f, uint64_t at)
{
    unsigned char b[4];
    if (!readExact(f, at, b, 4))
        return std::nullopt;
    return get32(b);
}

// Whether the file begins as a program does. Only a program begins a set
// whose parts follow it; a split set's last part begins wherever its data
// goes on, and a spanned set's first disk with the set's signature.
bool startsAsProgram(const File& f)
{
    unsigned char b[4];
    if (!readExact(f, 0, b, 4))
        return false;
    return (b[0] == 0x7f && b[1] == 'E' && b[2] == 'L' && b[3] == 'F') || (b[0] == 'M' && b[1] == 'Z');
}

// The files of disks `from` to the last, as one run of bytes.
class Joined {
public:
    explicit Joined(const std::vector<const File*>& files) : files_(files) {}
    bool read(uint64_t at, unsigned char* out, uint64_t n) const
    {
        for (const File* f : files_) {
            const uint64_t size = f->size();
            if (at >= size) {
                at -= size;
                continue;
            }
            const uint64_t take = std::min<uint64_t>(n, size - at);
            if (!readExact(*f, at, out, size_t(take)))
                return false;
            out += take;
            n -= take;
            at = 0;
            if (n == 0)
                return true;
        }
        return n == 0;
    }
    uint64_t size() const
    {
        uint64_t s = 0;
        for (const File* f : files_)
            s += f->size();
        return s;
    }

private:
    const std::vector<const File*>& files_;
};

} // namespace

int64_t endRecordIn(const unsigned char* tail, size_t size)
{
    const uint32_t sig = endSig();
    int64_t found = -1;
    for (int64_t i = int64_t(size) - int64_t(EndSize); i >= 0; --i) {
        if (get32(&tail[size_t(i)]) != sig)
            continue;
        const uint64_t end = uint64_t(i) + EndSize + get16(&tail[size_t(i) + 20]);
        if (end == size)
            return i;
        if (end < size && found < 0)
            found = i;
    }
    return found;
}

std::optional<End> findEnd(const File& f)
{
    const uint64_t size = f.size();
    if (size < EndSize)
        return std::nullopt;
    const uint64_t tailLen = std::min<uint64_t>(size, TailSearch);
    std::vector<unsigned char> tail(static_cast<size_t>(tailLen));
    if (!readExact(f, size - tailLen, tail.data(), tail.size()))
        return std::nullopt;
    const int64_t found = endRecordIn(tail.data(), tail.size());
    if (found < 0)
        return std::nullopt;
    const unsigned char* e = &tail[size_t(found)];
    End r;
    r.at = size - tailLen + uint64_t(found);
    const uint32_t disk = get16(e + 4);
    r.parts = disk + 1;
    r.cdDisk = get16(e + 6);
    r.entries = get16(e + 10);
    r.cdSize = get32(e + 12);
    r.cdOffset = get32(e + 16);
    // Zip64: the locator right before the end record, its record right
    // before the locator.
    unsigned char loc[LocatorSize];
    if (r.at >= LocatorSize + Zip64EndSize && readExact(f, r.at - LocatorSize, loc, sizeof loc) &&
        get32(loc) == locatorSig()) {
        const uint32_t total = get32(loc + 16);
        if (total > 1 || disk != 0)
            r.parts = std::max<uint32_t>(total, 1);
        unsigned char rec[Zip64EndSize];
        if (readExact(f, r.at - LocatorSize - Zip64EndSize, rec, sizeof rec) && get32(rec) == zip64EndSig()) {
            r.parts = get32(rec + 16) + 1;
            r.cdDisk = get32(rec + 20);
            r.entries = get64(rec + 32);
            r.cdSize = get64(rec + 40);
            r.cdOffset = get64(rec + 48);
        }
    }
    if (r.parts == 0 || r.parts > MaxParts + 1 || r.cdDisk >= r.parts)
        return std::nullopt;
    return r;
}

bool holdsDirectoryTail(const File& f)
{
    const uint64_t size = f.size();
    const uint64_t len = std::min<uint64_t>(size, DirectoryTail);
    std::vector<unsigned char> tail(static_cast<size_t>(len));
    if (len < 4 || !readExact(f, size - len, tail.data(), tail.size()))
        return false;
    const uint32_t central = centralSig(), end = endSig();
    for (size_t i = 0; i + 4 <= tail.size(); ++i) {
        const uint32_t w = get32(&tail[i]);
        if (w == central || w == end)
            return true;
    }
    return false;
}

// ---- Records

void Records::note(uint32_t disk, uint64_t offset, std::string_view rawName, uint32_t crc, uint64_t compressed)
{
    known_ = true;
    Mark m{offset, std::string(rawName), crc, compressed};
    auto it = marks_.find(disk);
    if (it == marks_.end()) {
        marks_.emplace(disk, std::make_pair(m, m));
        return;
    }
    if (offset < it->second.first.offset)
        it->second.first = m;
    if (offset > it->second.second.offset)
        it->second.second = std::move(m);
}

bool Records::readDirectory(const std::vector<const File*>& parts)
{
    const Joined all(parts);
    const uint64_t size = all.size();
    if (end_.cdSize > size || end_.cdOffset > size - end_.cdSize)
        return false;
    std::vector<unsigned char> cd(static_cast<size_t>(end_.cdSize));
    if (!all.read(end_.cdOffset, cd.data(), cd.size()))
        return false;
    size_t at = 0;
    const uint32_t sig = centralSig();
    for (uint64_t i = 0; i < end_.entries; ++i) {
        if (cd.size() - at < CentralSize || get32(&cd[at]) != sig)
            return false;
        const unsigned char* h = &cd[at];
        const size_t nameLen = get16(h + 28), extraLen = get16(h + 30), commentLen = get16(h + 32);
        if (cd.size() - at - CentralSize < nameLen + extraLen + commentLen)
            return false;
        uint64_t size64 = get32(h + 24), compressed = get32(h + 20), offset = get32(h + 42);
        uint32_t disk = get16(h + 34);
        // Zip64: the fields that do not fit follow in their extra block, in order.
        const unsigned char* x = h + CentralSize + nameLen;
        for (size_t k = 0; k + 4 <= extraLen;) {
            const uint16_t id = get16(x + k), len = get16(x + k + 2);
            if (k + 4 + len > extraLen)
                break;
            if (id == 1) {
                const unsigned char* v = x + k + 4;
                size_t left = len;
                auto take64 = [&](uint64_t& field) {
                    if (field == 0xffffffffu && left >= 8) {
                        field = get64(v);
                        v += 8;
                        left -= 8;
                    }
                };
                take64(size64);
                take64(compressed);
                take64(offset);
                if (disk == 0xffff && left >= 4)
                    disk = get32(v);
                break;
            }
            k += 4 + len;
        }
        note(disk, offset, std::string_view(reinterpret_cast<const char*>(h + CentralSize), nameLen), get32(h + 16),
             compressed);
        at += CentralSize + nameLen + extraLen + commentLen;
    }
    known_ = true;
    return true;
}

bool Records::markStands(const File& f, const Mark& m) const
{
    unsigned char h[LocalSize];
    if (!readExact(f, m.offset, h, sizeof h) || get32(h) != localSig())
        return false;
    if (get16(h + 26) != m.name.size())
        return false;
    std::string name(m.name.size(), '\0');
    if (!readExact(f, m.offset + LocalSize, name.data(), name.size()) || name != m.name)
        return false;
    if ((get16(h + 6) & 0x0008) == 0) {
        // Sizes and CRC in the header itself (else in a descriptor after the data).
        if (get32(h + 14) != m.crc)
            return false;
        const uint32_t compressed = get32(h + 18);
        if (compressed != 0xffffffffu && m.compressed < 0xffffffffu && compressed != m.compressed)
            return false;
    }
    return true;
}

bool Records::fitsDirectory(uint32_t disk, const File& f) const
{
    if (disk < end_.cdDisk)
        return true;
    if (disk == end_.cdDisk)
        return end_.entries == 0 || word32At(f, end_.cdOffset) == centralSig();
    const std::optional<uint32_t> w = word32At(f, 0);
    return w && (*w == centralSig() || *w == zip64EndSig() || *w == endSig());
}

bool Records::fits(uint32_t disk, const File& f) const
{
    if (disk >= end_.parts || !fitsDirectory(disk, f))
        return false;
    const auto it = marks_.find(disk);
    if (it != marks_.end())
        return markStands(f, it->second.first) && markStands(f, it->second.second);
    // No entry begins on it: it may be any part but one that holds what the
    // records place on another.
    for (const auto& [other, marks] : marks_)
        if (markStands(f, marks.first) && markStands(f, marks.second))
            return false;
    return true;
}

// ---- Members

namespace {

Members faulty(Members m, Members::Fault fault, uint32_t at)
{
    m.fault = fault;
    m.faultAt = at;
    return m;
}

// The set of `numbers` (first part first) checked against its records.
Members checkedSet(const Place& place, Layout layout, std::vector<uint32_t> numbers, const End& end)
{
    Members m;
    m.layout = layout;
    m.numbers = std::move(numbers);
    m.end = end;
    std::vector<std::unique_ptr<File>> files;
    for (const uint32_t n : m.numbers) {
        const Place::Kind k = place.kind(n);
        if (k == Place::Kind::Nothing)
            return faulty(std::move(m), Members::Fault::Missing, n);
        files.push_back(k == Place::Kind::Regular ? place.open(n) : nullptr);
        if (!files.back())
            return faulty(std::move(m), Members::Fault::Damaged, n);
    }
    Records records(end);
    std::vector<const File*> cdParts;
    for (size_t d = end.cdDisk; d < files.size(); ++d)
        cdParts.push_back(files[d].get());
    if (!records.readDirectory(cdParts))
        return faulty(std::move(m), Members::Fault::Damaged, m.numbers[end.cdDisk]);
    for (uint32_t d = 0; d < files.size(); ++d)
        if (!records.fits(d, *files[d]))
            return faulty(std::move(m), Members::Fault::Damaged, m.numbers[d]);
    return m;
}

// A program's set without the part that holds its end record: its part
// `last` was cut short when it holds what a last part holds, or is well
// short of every part before it (`sizes`, the program's first).
bool cutShort(const Place& place, uint32_t last, const std::vector<uint64_t>& sizes)
{
    const std::unique_ptr<File> f = place.open(last);
    if (!f)
        return false;
    const uint64_t least = sizes.empty() ? 0 : *std::min_element(sizes.begin(), sizes.end());
    return holdsDirectoryTail(*f) || f->size() + DirectoryTail < least;
}

// A program without its part 2 beside it: it begins a set all the same when
// a later part beside it holds the end record of a set of that many parts
// whose records place the program's entries in it.
Members withoutSecondPart(const Place& place, const File& program, Members m)
{
    std::vector<uint32_t> beside = place.numbersBeside();
    std::sort(beside.begin(), beside.end());
    for (const uint32_t k : beside) {
        const std::unique_ptr<File> f = k >= 3 && place.kind(k) == Place::Kind::Regular ? place.open(k) : nullptr;
        const std::optional<End> end = f ? findEnd(*f) : std::nullopt;
        if (!end || end->parts != k)
            continue;
        Records records(*end);
        if (end->cdDisk + 1 == k && (!records.readDirectory({f.get()}) || !records.fits(0, program)))
            continue;
        m.layout = Layout::ProgramSet;
        m.end = end;
        m.numbers = {0};
        for (uint32_t n = 2; n <= k; ++n)
            m.numbers.push_back(n);
        return faulty(std::move(m), Members::Fault::Missing, 2);
    }
    return m;
}

} // namespace

Members membersOf(const Place& place)
{
    Members m;
    if (place.kind(0) != Place::Kind::Regular)
        return m;
    const std::unique_ptr<File> named = place.open(0);
    if (!named)
        return m;
    if (const std::optional<End> end = findEnd(*named)) {
        m.end = end;
        if (end->parts <= 1) {
            m.layout = Layout::Single;
            m.numbers = {0};
            return m;
        }
        bool beside = false;
        for (uint32_t n = 1; n < end->parts; ++n) {
            m.numbers.push_back(n);
            beside = beside || place.kind(n) != Place::Kind::Nothing;
        }
        m.numbers.push_back(0);
        if (!beside) {
            m.layout = Layout::Spanned;
            return m;
        }
        return checkedSet(place, Layout::Split, m.numbers, *end);
    }
    m.layout = Layout::Program;
    if (!startsAsProgram(*named))
        return m;
    if (place.kind(2) == Place::Kind::Nothing)
        return withoutSecondPart(place, *named, std::move(m));
    // The parts of a program's set follow it from "z02" to the first that
    // holds the set's own end record.
    m.layout = Layout::ProgramSet;
    m.numbers = {0};
    std::vector<uint64_t> sizes{named->size()}; // of the parts before the one looked at
    for (uint32_t k = 2; k <= MaxParts; ++k) {
        const Place::Kind kind = place.kind(k);
        if (kind == Place::Kind::Nothing) {
            const uint32_t last = k - 1;
            sizes.pop_back();
            return cutShort(place, last, sizes) ? faulty(std::move(m), Members::Fault::Damaged, last)
                                                : faulty(std::move(m), Members::Fault::Missing, k);
        }
        m.numbers.push_back(k);
        const std::unique_ptr<File> f = kind == Place::Kind::Regular ? place.open(k) : nullptr;
        if (!f)
            return faulty(std::move(m), Members::Fault::Damaged, k);
        if (const std::optional<End> end = findEnd(*f)) {
            if (end->parts == k)
                return checkedSet(place, Layout::ProgramSet, m.numbers, *end);
            // Another set's last part where this one's should be: the part
            // before it was this set's last and cut short, or this file is
            // in this set's place.
            bool before = false;
            if (k > 2) {
                sizes.pop_back();
                before = cutShort(place, k - 1, sizes);
            }
            return faulty(std::move(m), Members::Fault::Damaged, before ? k - 1 : k);
        }
        sizes.push_back(f->size());
    }
    return faulty(std::move(m), Members::Fault::Missing, MaxParts + 1);
}

} // namespace qm::zip::sets
