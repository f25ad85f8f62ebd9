#pragma once
// Compressing an entry in pieces, side by side, and joining the pieces into
// the one stream the entry holds. A deflate piece is primed with the 32 KiB
// in front of it and ends on a byte boundary (only the last one ends the
// stream), so the pieces simply follow each other. A Burrows-Wheeler piece
// is small enough to make exactly one block; the blocks' bits are joined
// behind one header and closed with the stream's end marker and the
// combined CRC of the blocks.
#include "platform/zip/Codecs.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qm::zip {

// Bytes that a resize leaves as they are, instead of clearing them first:
// every buffer of a piece is written over at once.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using ByteBuffer = std::vector<unsigned char, UninitializedAllocator<unsigned char>>;

// How much a deflate piece looks back into the data before it.
inline constexpr size_t DeflateWindow = 32 * 1024;
// Files from this size on are first tried on a sample of their start.
inline constexpr uint64_t ProbeFrom = 256 * 1024;
inline constexpr size_t ProbeSize = 64 * 1024;

// The most input bytes that always make a single block at `level` (1..9),
// whatever the data: the block holds the data after its first run-length
// step, which can grow it by a quarter.
size_t bwPieceLimit(int level);
// The block-size digit that starts a Burrows-Wheeler stream of `level`.
char bwLevelDigit(int level);

// Tells packed or random data (photos, archives) from data worth
// compressing, by a fast pass over a sample. Reused from file to file.
class IncompressibleProbe {
public:
    IncompressibleProbe();
    ~IncompressibleProbe();
    IncompressibleProbe(const IncompressibleProbe&) = delete;
    IncompressibleProbe& operator=(const IncompressibleProbe&) = delete;
    // Whether the first ProbeSize bytes of `data` would hardly shrink.
    bool hardlyShrinks(const unsigned char* data, size_t n);

private:
    struct State;
    std::unique_ptr<State> s_;
};

// One thread's compressors, kept from piece to piece.
class PieceEncoder {
public:
    PieceEncoder();
    ~PieceEncoder();
    PieceEncoder(const PieceEncoder&) = delete;
    PieceEncoder& operator=(const PieceEncoder&) = delete;

    // A whole entry's stream of `method` at `level`, as the streaming encoder makes it.
    void whole(int method, int level, const unsigned char* in, size_t n, ByteBuffer& out);
    // A deflate piece; `dict` holds the `dictLen` bytes just before it.
    void deflatePiece(int level, const unsigned char* dict, size_t dictLen, const unsigned char* in, size_t n,
                      bool last, ByteBuffer& out);
    // A complete bzip2 stream (signature included) of at most bwPieceLimit(level) bytes.
    void bwPiece(int level, const unsigned char* in, size_t n, ByteBuffer& out);

private:
    struct State;
    std::unique_ptr<State> s_;
};

// Joins the single-block streams of bwPiece into one Burrows-Wheeler
// stream (without the "BZh" signature), written to `out` as it goes.
class BwJoiner {
public:
    BwJoiner(int level, ByteSink out);
    // Throws std::runtime_error for a piece that is not one whole block.
    void add(const unsigned char* piece, size_t n);
    void finish();

private:
    void putBits(uint64_t value, int count);
    void putByte(unsigned char b);
    void flush();

    ByteSink out_;
    std::vector<unsigned char> buf_;
    uint64_t acc_ = 0;
    int bits_ = 0;
    uint32_t combined_ = 0;
};

} // namespace qm::zip
