#pragma once
// Writing an archive: local headers (patched once an entry's sizes are
// known, or followed by a data descriptor), entries copied unchanged from an
// older archive, the central directory and the end records, with Zip64
// records wherever sizes, offsets or counts need them.
#include "platform/zip/ArchiveOutput.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/FileIo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm::zip {

// What the central directory records of one entry.
struct WrittenEntry {
    std::string name; // UTF-8, "/" between folders
    std::string comment;
    uint16_t madeBy = (fmt::HostUnix << 8) | 30;
    uint16_t needed = 20;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint16_t internalAttr = 0;
    uint32_t externalAttr = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localOffset = 0; // over the whole archive
    uint32_t disk = 0;        // the part that holds the local header
    uint64_t diskOffset = 0;  // where in that part
    std::string centralExtra; // blocks other than Zip64
    // Set while the entry is being written.
    bool localZip64 = false;
    uint64_t localExtraStart = 0;
};

class ArchiveWriter {
public:
    explicit ArchiveWriter(ArchiveOutput& out) : out_(out) {}
    explicit ArchiveWriter(OutFile& out) : own_(std::make_unique<SingleOutput>(out)), out_(*own_) {}

    // Writes the local header of `e` (name, flags, method and times set).
    // `large` reserves Zip64 sizes in the local header, for data that may
    // reach 4 GiB. With the descriptor flag the sizes follow the data.
    void beginEntry(WrittenEntry& e, const std::string& localExtra, bool large);
    // Completes `e` once crc and sizes are set, and records it.
    void endEntry(WrittenEntry& e);
    // Drops a begun entry and everything written after its start.
    void abandonEntry(const WrittenEntry& e);

    // Copies `old` (data unchanged) from `src`; `chunkDone` gets the bytes
    // copied after each chunk.
    void copyEntry(const ArchiveReader& src, const ArchiveEntry& old, const std::function<void(uint64_t)>& chunkDone);
    // Copies raw bytes (a stub in front of the archive, an entry's data);
    // `chunkDone` gets the bytes copied after each chunk.
    void copyBytes(const InFile& src, uint64_t from, uint64_t length,
                   const std::function<void(uint64_t)>& chunkDone = {});

    // Whether the archive needs Zip64 records: an entry that needed them
    // (sizes or offsets of 4 GiB), 65535 entries or more, or a directory that
    // would start or end beyond 4 GiB.
    bool needsZip64() const;

    // Central directory, Zip64 records when needed, end record with comment.
    // Records are kept whole within a part; the end records share the last.
    void finish(const std::string& comment);

    // Entries recorded so far.
    uint64_t count() const { return sizes_.size(); }
    ArchiveOutput& out() { return out_; }

private:
    // Appends the central header of `e` to `h`.
    void centralHeader(const WrittenEntry& e, std::string& h) const;
    // Keeps the central header of `e` until finish.
    void record(const WrittenEntry& e);
    // The local header of `e`, whose position it records.
    void writeLocalHeader(WrittenEntry& e, uint32_t crc, uint32_t compressedSize, uint32_t size,
                          const std::string& extra);
    // The data descriptor after an entry's data.
    void writeDescriptor(const WrittenEntry& e);

    std::unique_ptr<SingleOutput> own_;
    ArchiveOutput& out_;
    // The central directory as it will be written, in blocks of about a
    // MiB (a long list never needs one large piece of memory), and the
    // size of each entry's header in it.
    std::vector<std::string> central_;
    std::vector<uint32_t> sizes_;
    uint64_t centralSize_ = 0;
    bool entryNeedsZip64_ = false;
    std::string header_; // the header being made, kept from one to the next
};

} // namespace qm::zip
