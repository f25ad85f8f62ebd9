#pragma once
// The output of an update of a single-file archive. While what is written
// is the old archive byte for byte (nothing changed), nothing is written:
// the old entries' data is passed over without being read. At the first
// lasting difference the old archive's bytes so far go into the temporary
// file, and writing goes on there. An update that would write the old
// archive once more thus leaves it as it is (same() at the end).
#include "platform/zip/ArchiveOutput.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm::zip {

class SameAsOldOutput : public ArchiveOutput {
public:
    // `out`: the temporary file, empty; `old`: the archive being updated.
    SameAsOldOutput(OutFile& out, const InFile& old) : out_(out), old_(old) {}

    void write(const void* data, size_t n) override;
    uint64_t offset() const override { return comparing_ ? pos_ : out_.offset(); }
    void patch(uint64_t at, const void* data, size_t n) override;
    void truncate(uint64_t at) override;
    bool holdsAlready(const InFile& src, uint64_t from, uint64_t n) override;

    // Whether everything written is the old archive, whole and as it is.
    bool same();
    // The temporary file gets everything written so far, and what follows.
    void materialize();

private:
    // Whether `n` bytes at `at` differ from the old archive's.
    bool differs(uint64_t at, const char* p, size_t n);
    void overlay(uint64_t at, const char* p, size_t n);

    OutFile& out_;
    const InFile& old_;
    bool comparing_ = true;
    uint64_t pos_ = 0;
    struct Chunk {
        uint64_t at;
        std::string bytes;
    };
    // The chunk that holds the byte at `at`, or end().
    std::vector<Chunk>::iterator chunkAt(uint64_t at);
    void drop(std::vector<Chunk>::iterator from, std::vector<Chunk>::iterator to);

    // Bytes written that differ from the old archive's, in order of
    // position; a patch may still make them equal (a local header's sizes).
    std::vector<Chunk> overlay_;
    std::vector<std::string> spare_; // the memory of chunks dropped, for the next ones
    size_t overlayBytes_ = 0;
    ReadWindow window_;
};

} // namespace qm::zip
