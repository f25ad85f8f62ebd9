#pragma once
// The events of the zip control. An owner derives from ZipEvents and
// overrides what it handles (the rest do nothing), then connects the object
// with PavikZip::addEventSink. Several sinks may listen to one control; each
// event goes to them in the order they were added, on the caller's thread,
// while the method runs. Arguments passed by reference are answers: every
// sink sees what the sinks before it answered.
//
// Names in events are archive names with "\" between folders
// ("docs\notes.txt"); a folder entry ends with "\". Percentages run 0..100.
#include "platform/datetime/DateTime.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qm::zip {

struct ListedEntry {
    std::string name;            // folder part included
    std::string comment;
    int64_t size = 0;
    int64_t compressedSize = 0;
    int ratio = 0;               // percent saved
    uint32_t attributes = 0;     // 1 read-only, 2 hidden, 4 system, 16 folder, 32 archive, 1024 alias
    uint32_t crc = 0;
    qm::datetime::DateTime modified;
    qm::datetime::DateTime accessed;
    qm::datetime::DateTime created;
    int method = 0;
    bool encrypted = false;
};

class ZipEvents {
public:
    virtual ~ZipEvents() = default;
    // One entry of a listing.
    virtual void FileListed(const ListedEntry&) {}
    // Disk `disk` is wanted (0 = the last one); answer whether it is in.
    virtual void DiskRequest(int /*disk*/, bool& /*ready*/) {}
    // The name a file will be stored under; the handler may change it.
    virtual void EntryNaming(std::string& /*storedName*/, const std::string& /*sourcePath*/) {}
    // A file is about to be added, extracted, removed or tested.
    virtual void BeforeZip(const std::string& /*name*/, bool& /*skip*/) {}
    virtual void BeforeUnzip(const std::string& /*name*/, bool& /*skip*/) {}
    virtual void BeforeRemove(const std::string& /*name*/) {}
    virtual void BeforeTest(const std::string& /*name*/) {}
    // A file or entry was left out; `source` and `target` name where it came
    // from and where it was going (either may be empty).
    virtual void FileSkipped(const std::string& /*name*/, const std::string& /*source*/,
                             const std::string& /*target*/, int /*reason*/) {}
    virtual void FileProgress(const std::string& /*name*/, int /*percent*/) {}
    virtual void TotalProgress(int /*percent*/) {}
    // The archive's comment is about to be written; the handler may change it.
    virtual void CommentRequest(std::string& /*comment*/) {}
    // The running method ends with `result`.
    virtual void OperationDone(int /*result*/) {}
    virtual void Warning(const std::string& /*name*/, int /*code*/) {}
    // Share of the directory read while listing.
    virtual void ListingProgress(int /*percent*/) {}
};

// Events as function objects, for owners that handle only a few of them.
class ZipEventHandlers : public ZipEvents {
public:
    std::function<void(const ListedEntry&)> onFileListed;
    std::function<void(int, bool&)> onDiskRequest;
    std::function<void(std::string&, const std::string&)> onEntryNaming;
    std::function<void(const std::string&, bool&)> onBeforeZip;
    std::function<void(const std::string&, bool&)> onBeforeUnzip;
    std::function<void(const std::string&)> onBeforeRemove;
    std::function<void(const std::string&)> onBeforeTest;
    std::function<void(const std::string&, const std::string&, const std::string&, int)> onFileSkipped;
    std::function<void(const std::string&, int)> onFileProgress;
    std::function<void(int)> onTotalProgress;
    std::function<void(std::string&)> onCommentRequest;
    std::function<void(int)> onOperationDone;
    std::function<void(const std::string&, int)> onWarning;
    std::function<void(int)> onListingProgress;

    void FileListed(const ListedEntry& e) override { if (onFileListed) onFileListed(e); }
    void DiskRequest(int d, bool& r) override { if (onDiskRequest) onDiskRequest(d, r); }
    void EntryNaming(std::string& n, const std::string& s) override { if (onEntryNaming) onEntryNaming(n, s); }
    void BeforeZip(const std::string& n, bool& s) override { if (onBeforeZip) onBeforeZip(n, s); }
    void BeforeUnzip(const std::string& n, bool& s) override { if (onBeforeUnzip) onBeforeUnzip(n, s); }
    void BeforeRemove(const std::string& n) override { if (onBeforeRemove) onBeforeRemove(n); }
    void BeforeTest(const std::string& n) override { if (onBeforeTest) onBeforeTest(n); }
    void FileSkipped(const std::string& n, const std::string& s, const std::string& t, int r) override
    {
        if (onFileSkipped) onFileSkipped(n, s, t, r);
    }
    void FileProgress(const std::string& n, int p) override { if (onFileProgress) onFileProgress(n, p); }
    void TotalProgress(int p) override { if (onTotalProgress) onTotalProgress(p); }
    void CommentRequest(std::string& c) override { if (onCommentRequest) onCommentRequest(c); }
    void OperationDone(int r) override { if (onOperationDone) onOperationDone(r); }
    void Warning(const std::string& n, int c) override { if (onWarning) onWarning(n, c); }
    void ListingProgress(int p) override { if (onListingProgress) onListingProgress(p); }
};

} // namespace qm::zip
