#pragma once
// Where the bytes of an archive being written go: one file, or a sequence
// of parts (the files of a split archive, the disks of a spanned one).
// Positions are counted over the whole archive; a part holds a run of them.
#include "platform/zip/FileIo.h"

#include <cstddef>
#include <cstdint>

namespace qm::zip {

class ArchiveOutput {
public:
    virtual ~ArchiveOutput() = default;
    virtual void write(const void* data, size_t n) = 0;
    // The position the next byte goes to.
    virtual uint64_t offset() const = 0;
    // Overwrites bytes written earlier.
    virtual void patch(uint64_t at, const void* data, size_t n) = 0;
    // Drops everything from `at` on.
    virtual void truncate(uint64_t at) = 0;
    // The next `n` bytes are one record that the format does not let two
    // parts share: when they do not fit into the current part, it ends here
    // and a new part begins.
    virtual void keepTogether(size_t /*n*/) {}
    // The part (0 = the first) that the next byte goes to, and where in it.
    virtual uint32_t disk() const { return 0; }
    virtual uint64_t diskOffset() const { return offset(); }
    // The next `n` bytes are those of `src` from `from` on: true when this
    // output holds them there already (it then moves past them, and they
    // need not be read); false: they are to be written.
    virtual bool holdsAlready(const InFile& /*src*/, uint64_t /*from*/, uint64_t /*n*/) { return false; }
};

// One file.
class SingleOutput : public ArchiveOutput {
public:
    explicit SingleOutput(OutFile& f) : f_(f) {}
    void write(const void* data, size_t n) override { f_.write(data, n); }
    uint64_t offset() const override { return f_.offset(); }
    void patch(uint64_t at, const void* data, size_t n) override { f_.patch(at, data, n); }
    void truncate(uint64_t at) override { f_.truncate(at); }
    OutFile& file() { return f_; }

private:
    OutFile& f_;
};

} // namespace qm::zip
