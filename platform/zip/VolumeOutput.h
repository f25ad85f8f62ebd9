#pragma once
// An archive written as a run of parts: the files of a split archive or the
// disks of a spanned one. Parts are filled one after another up to their
// capacity; a record kept together that does not fit ends the part early.
// The owner supplies each part (an empty file open for writing, and how
// much it may hold) and hears when one is complete.
#include "platform/zip/ArchiveOutput.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace qm::zip {

class VolumeOutput : public ArchiveOutput {
public:
    struct Volume {
        int fd = -1;                 // empty, open for reading and writing; taken over
        std::filesystem::path path;  // where it is, for later patches
        uint64_t capacity = 0;       // most bytes it may hold
    };
    struct Hooks {
        // Supplies part `index` (0 = the first). May throw.
        std::function<Volume(uint32_t index)> open;
        // Part `index` is complete, on the disk and closed.
        std::function<void(uint32_t index)> closed;
        // Part `index` is dropped again (a truncation went back before it).
        std::function<void(uint32_t index)> dropped;
    };
    // At most this many parts (the format's disk numbers).
    static constexpr uint32_t MaxParts = 0xfffe;

    VolumeOutput(Hooks hooks, const IoFaults* faults) : hooks_(std::move(hooks)), faults_(faults) {}

    void write(const void* data, size_t n) override;
    uint64_t offset() const override;
    void patch(uint64_t at, const void* data, size_t n) override;
    void truncate(uint64_t at) override;
    void keepTogether(size_t n) override;
    uint32_t disk() const override;
    uint64_t diskOffset() const override;

    // Completes the last part (written to the disk, closed, `closed` heard).
    void finish();
    uint32_t count() const { return uint32_t(parts_.size()); }
    uint64_t partSize(uint32_t i) const
    {
        return i + 1 == parts_.size() && !finished_ ? cur_.offset() : parts_[i].size;
    }
    const std::filesystem::path& partPath(uint32_t i) const { return parts_[i].path; }

private:
    struct Part {
        std::filesystem::path path;
        uint64_t start = 0;
        uint64_t size = 0; // once complete
        uint64_t capacity = 0;
    };
    void next();
    size_t partAt(uint64_t at) const;

    Hooks hooks_;
    const IoFaults* faults_;
    std::vector<Part> parts_;
    OutFile cur_;
    bool finished_ = false;
};

} // namespace qm::zip
