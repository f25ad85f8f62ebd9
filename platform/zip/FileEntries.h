#pragma once
// Writing the entries of a build's files and folders, one after another in
// archive order. With more than one worker the files are read and
// compressed ahead on worker threads (Pipeline.h); with one, each is
// compressed here as one stream. A file whose old entry holds the same
// content, made with the settings in force and whole, has that entry's
// data copied instead. Every event comes from here, on the caller's
// thread, in the same order either way.
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/EntryDecode.h"
#include "platform/zip/EntryJob.h"
#include "platform/zip/Gather.h"
#include "platform/zip/OpContext.h"
#include "platform/zip/Pipeline.h"

#include <memory>
#include <optional>
#include <vector>

namespace qm::zip {

// Sizes from which an entry's local header reserves Zip64 sizes: the data
// may then pass 4 GiB once compressed.
inline constexpr uint64_t LargeEntry = 0xF0000000ull;

struct FileToWrite {
    const SourceItem* item = nullptr; // nullptr: `old` stays as it is, and is only checked
    const ArchiveEntry* old = nullptr; // the old entry it replaces, if any
};

class FileEntries {
public:
    // `order`: every file and folder, in the order they will be written.
    // `done` counts the source bytes dealt with (for the overall progress).
    FileEntries(PavikZip& z, OpContext& ctx, const SourceList& list, const ArchiveReader* old,
                std::vector<FileToWrite> order, uint64_t& done);
    ~FileEntries();
    FileEntries(const FileEntries&) = delete;
    FileEntries& operator=(const FileEntries&) = delete;

    // Writes `order[index]` (called once for each file, in order). False
    // when nothing was written: the file was skipped, or could not be read.
    bool write(ArchiveWriter& w, size_t index);
    // The old entry of `order[index]` is kept as it is (no file stands for
    // it, or its file was not written): its data is checked, on the workers
    // when no file stands for it, and a damaged one is kept with a warning.
    // Called in order, in place of write() or after it.
    void checkKept(size_t index);
    // Entries whose data came from the old archive.
    int64_t copied() const { return copied_; }

private:
    struct Entry; // what write() knows of the entry being written
    int methodFor(const SourceItem& it) const;
    bool isFolder(size_t index) const;
    // Whether the old archive was made at the method and level in force,
    // so that its stored entries stand for unchanged files.
    bool storedStands();
    void startEntry(Entry& x, uint32_t mode);
    void copyUnchanged(ArchiveWriter& w, Entry& x);
    bool writeStream(ArchiveWriter& w, Entry& x, int fd, int method);
    bool writePieces(ArchiveWriter& w, Entry& x, FileWork& work);
    // Whether the old entry holds the file's content (read here, or by the workers).
    bool sameAsOld(int fd, Entry& x);
    bool sameAsOld(FileWork& work, Entry& x);
    // Whether the old entry's data stands for the file; a damaged entry is
    // made anew, with a warning.
    bool oldStands(const Entry& x, OldData d);
    bool readOldLocal(Entry& x);
    void complete(ArchiveWriter& w, Entry& x, uint32_t crc, uint64_t size, uint64_t compressed, bool changed);
    void onBytes(Entry& x, uint64_t bytes);
    void skipped(const Entry& x, int reason);

    PavikZip& z_;
    OpContext& ctx_;
    const SourceList& list_;
    const ArchiveReader* old_;
    std::vector<FileToWrite> order_;
    std::vector<const ArchiveEntry*> candidate_; // per order_ entry: an old entry that may hold it
    std::optional<bool> storedStands_;
    size_t nextSpec_ = 0;
    uint64_t& done_;
    int64_t copied_ = 0;
    EntryCompressor& compressor_; // the control's own, kept between builds
    DecodeScratch& decode_;
    ReadWindow oldWindow_;
    std::vector<char> copyBuffer_;
    std::unique_ptr<Pipeline> pipe_;
};

} // namespace qm::zip
