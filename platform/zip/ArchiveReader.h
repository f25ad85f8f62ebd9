#pragma once
// Reading an archive's directory: the end record (with its Zip64 forms), the
// central directory, the data before the archive (a self-extractor's stub),
// and the checks that keep a damaged or hostile archive from leading the
// engine astray (offsets outside the file, overlapping entries, counts that
// do not match the directory).
#include "platform/datetime/DateTime.h"
#include "platform/zip/FileIo.h"
#include "platform/zip/ZipFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm::zip {

// One entry of the central directory. Its texts are views into the
// reader that read it and live as long as that reader.
struct ArchiveEntry {
    uint16_t madeBy = 0;
    uint16_t needed = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint16_t internalAttr = 0;
    uint32_t externalAttr = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localOffset = 0; // absolute position in the file
    uint64_t extentEnd = 0;   // where the next entry (or the directory) begins

    // UTF-8, "/" between folders.
    std::string_view name() const { return {text_ + (decoded_ & DecodedName ? rawLength() : 0), nameLen_}; }
    // The bytes of the header.
    std::string_view rawName() const { return {text_, rawNameLen_}; }
    // The central extra field as stored.
    std::string_view extra() const { return {text_ + rawNameLen_, extraLen_}; }
    // UTF-8.
    std::string_view comment() const
    {
        size_t at = decoded_ & DecodedComment ? rawLength() + (decoded_ & DecodedName ? nameLen_ : 0)
                                              : size_t(rawNameLen_) + extraLen_;
        return {text_ + at, commentLen_};
    }
    std::string_view rawComment() const { return {text_ + rawNameLen_ + extraLen_, rawCommentLen_}; }
    // The times of the extra field (each may be absent).
    fmt::EntryTimes times() const;

    bool encrypted() const { return (flags & fmt::FlagEncrypted) != 0; }
    bool hasDescriptor() const { return (flags & fmt::FlagDescriptor) != 0; }
    bool isFolder() const;
    int host() const { return madeBy >> 8; }
    // Unix permission and type bits when the entry was made on Unix, else 0.
    uint32_t unixMode() const;
    // The attribute bits the control reports: read-only 1, hidden 2, system 4,
    // volume 8, folder 16, archive 32, alias 1024.
    uint32_t attributes() const;
    // Local wall-clock times; accessed and created fall back to modified.
    qm::datetime::DateTime modified() const;
    qm::datetime::DateTime accessed() const;
    qm::datetime::DateTime created() const;

private:
    friend class ArchiveReader;
    static constexpr uint8_t DecodedName = 1;    // the name differs from its bytes and follows them
    static constexpr uint8_t DecodedComment = 2; // the comment too, after the name
    size_t rawLength() const { return size_t(rawNameLen_) + extraLen_ + rawCommentLen_; }

    // The raw name, extra field and comment, then the decoded name and
    // comment where they differ from the raw ones.
    const char* text_ = "";
    uint32_t nameLen_ = 0;
    uint32_t commentLen_ = 0;
    uint16_t rawNameLen_ = 0;
    uint16_t extraLen_ = 0;
    uint16_t rawCommentLen_ = 0;
    uint8_t decoded_ = 0;
};

// Where an entry's data starts, read from its local header.
struct LocalHeader {
    uint64_t dataOffset = 0;
    uint16_t flags = 0;
    std::string extra;
};

// How the reader reaches the other parts of a split or spanned archive:
// given the last part (the one with the end record) and the number of
// parts, it returns the paths of all parts, first to last. It may throw
// (FormatError with a code, AbortError).
using PartLocator =
    std::function<std::vector<std::filesystem::path>(const std::filesystem::path& last, uint32_t count)>;

class ArchiveReader {
public:
    // Opens `path` and reads its directory. Throws IoError when the file
    // cannot be read, FormatError when it is not a ZIP archive or is damaged.
    // An archive of several parts needs `parts` (else FormatError with
    // multiDisk); its parts are then read as one file. The file is let go
    // of while `parts` seeks the others, and when it does not read.
    void open(const std::filesystem::path& path, const PartLocator& parts = {});

    const std::vector<ArchiveEntry>& entries() const { return entries_; }
    const std::string& comment() const { return comment_; }
    const std::string& rawComment() const { return rawComment_; }
    // Bytes in front of the archive whose offsets do not count (a stub in
    // front of an archive with offsets from its own start).
    uint64_t prefixSize() const { return prefix_; }
    // Bytes in front of the first entry (a stub and its configuration, a
    // split archive's signature): what a rewrite copies unchanged.
    uint64_t leadSize() const { return lead_; }
    // The archive has several parts (split or spanned).
    bool spanned() const { return spanned_; }
    // Keeps `owner` (for example copies of spanned disks) alive as long as
    // the reader.
    void keepAlive(std::shared_ptr<void> owner) { keep_ = std::move(owner); }
    const InFile& file() const { return file_; }

    // Reads and checks the local header of `e` (through `window` when
    // given); throws FormatError.
    LocalHeader readLocal(const ArchiveEntry& e, ReadWindow* window = nullptr) const;

    // True when `e`'s data lies wholly inside its own extent.
    static bool fitsExtent(const ArchiveEntry& e, const LocalHeader& h);

private:
    void openFile(const std::filesystem::path& path, const PartLocator& locateParts);
    void readDirectory(uint64_t cdStart, uint64_t cdSize, uint64_t count);
    // Room for `n` bytes of text that stay where they are while the reader lives.
    char* textRoom(size_t n);
    // Where `offset` of part `disk` lies in the whole.
    uint64_t globalOffset(uint32_t disk, uint64_t offset) const;

    InFile file_;
    std::shared_ptr<void> keep_;
    uint64_t lead_ = 0;
    std::vector<ArchiveEntry> entries_;
    // The entries' texts, in blocks that never move.
    std::vector<std::unique_ptr<char[]>> texts_;
    char* textAt_ = nullptr;
    size_t textLeft_ = 0;
    std::string comment_;
    std::string rawComment_;
    uint64_t prefix_ = 0;
    bool spanned_ = false;
};

// Decodes a stored name: the UTF-8 flag, a Unicode path block, or code page
// 437; "\" counts as a folder separator.
std::string decodeName(std::string_view raw, uint16_t flags, int host, std::string_view extra);

} // namespace qm::zip
