#pragma once
// Which files make a set, decided from the set's own records: the end
// record's count of parts, and the central directory's word of which local
// header stands at which offset of which part. A split archive is named by
// its last part ("name.zip", with "name.z01", "name.z02", ... before it); a
// self-extracting program is itself part 1 of its set and holds no end
// record ("name.exe", then "name.z02", ... to the last part, which holds it);
// a spanned set's disks all carry the archive's name, one drive after
// another. Files are reached through the caller's own access, so the zip
// control and the self-extractor stub share this without linking each other.
// No record signature is held whole here: the stub links this and searches
// its own file for records.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::zip::sets {

// The most parts a set may have.
inline constexpr uint32_t MaxParts = 0xfffe;

// One file, read through the caller's own access.
class File {
public:
    virtual ~File() = default;
    virtual uint64_t size() const = 0;
    // Up to `n` bytes at `at`; fewer only at the end of the file.
    virtual size_t readAt(uint64_t at, void* buf, size_t n) const = 0;
};

// The files that may make a set, by number: 0 is the file that names the
// set, n > 0 the file "<stem>.z<nn>" beside it.
class Place {
public:
    virtual ~Place() = default;
    enum class Kind { Nothing, Regular, Other };
    virtual Kind kind(uint32_t number) const = 0;
    // Nothing when it cannot be opened.
    virtual std::unique_ptr<File> open(uint32_t number) const = 0;
    // The numbers of the files named as parts that stand beside it, whatever they are.
    virtual std::vector<uint32_t> numbersBeside() const = 0;
};

// A set's end record, as read from its last part.
struct End {
    uint32_t parts = 1;    // the number of parts (disks)
    uint32_t cdDisk = 0;   // where the central directory begins (0 = the first part)
    uint64_t cdOffset = 0; // in that part
    uint64_t cdSize = 0;
    uint64_t entries = 0;
    uint64_t at = 0;       // where the end record lies in its file
};
// Where the end record lies in `tail`, the last bytes of a file: the record
// whose comment reaches the end wins (an archive comment may itself hold
// bytes that look like one); failing that (data after the archive), the
// last record whose comment fits. -1 when there is none.
int64_t endRecordIn(const unsigned char* tail, size_t size);
// The end record in the tail of `f` (endRecordIn), with its Zip64 forms.
std::optional<End> findEnd(const File& f);

// Whether `f` holds, near its end, what only a set's last part holds: a
// central header or the end record's signature. Tells a part cut short
// from a whole one that another follows.
bool holdsDirectoryTail(const File& f);

// What the central directory says must stand where: for each part, its
// first and last local headers with their names, CRCs and sizes.
class Records {
public:
    explicit Records(End end) : end_(end) {}

    const End& end() const { return end_; }
    // Reads the central directory from the parts it lies in, from
    // end().cdDisk to the last one, in order. False when it does not read.
    bool readDirectory(const std::vector<const File*>& parts);
    // Notes one entry of the directory (for a reader that walks it itself).
    void note(uint32_t disk, uint64_t offset, std::string_view rawName, uint32_t crc, uint64_t compressed);
    // Whether the directory has been read or noted.
    bool known() const { return known_; }

    // Whether `f` may be part `disk` (0 = the first) of this set: every
    // local header the directory places on it stands there, with its name,
    // CRC and size. A part on which no entry begins (the middle of a large
    // one) passes unless it holds what the directory places on another
    // part: which of such parts it is cannot be told. While the directory is not known, only
    // the parts that hold it can be told: the one it begins on carries a
    // central header where the end record says, and later ones begin with a
    // central header or the end records.
    bool fits(uint32_t disk, const File& f) const;

private:
    struct Mark {
        uint64_t offset = 0;
        std::string name;
        uint32_t crc = 0;
        uint64_t compressed = 0;
    };
    bool markStands(const File& f, const Mark& m) const;
    bool fitsDirectory(uint32_t disk, const File& f) const;

    End end_;
    bool known_ = false;
    // Per part: the entries that begin first and last on it.
    std::map<uint32_t, std::pair<Mark, Mark>> marks_;
};

enum class Layout {
    None,       // nothing that reads as a set's file stands there
    Single,     // one file holds the whole archive
    Split,      // the last part of a split set, its parts beside it
    Spanned,    // a spanned set's last disk: its other disks are not beside it
    ProgramSet, // a self-extracting program whose parts lie beside it
    Program,    // a file without an end record and no part beside it (a
                // spanned program's first disk, or no archive at all)
};

// The files of a set, first to last, and what is wrong with them.
struct Members {
    Layout layout = Layout::None;
    std::vector<uint32_t> numbers; // Place numbers, first part first
    enum class Fault { None, Missing, Damaged };
    Fault fault = Fault::None;
    uint32_t faultAt = 0;          // the number of the file missing, or damaged or not of this set
    std::optional<End> end;        // the set's end record

    bool whole() const { return fault == Fault::None; }
};

// The set that the file numbered 0 names. For a split set and a program's
// set every part is checked against the set's records; the first part that
// is missing, damaged, or another set's is named. A program's parts run
// from "z02" to the first that holds the set's own end record: a later file
// of that name (an older, longer set's) is no part of it.
Members membersOf(const Place& place);

} // namespace qm::zip::sets
