#pragma once
// Streaming compressors and decompressors for the methods the control
// writes (stored, deflated, Burrows-Wheeler) and reads (those and bzip2 with
// its signature). Each works chunk by chunk, so nothing holds a whole file.
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace qm::zip {

using ByteSink = std::function<void(const unsigned char*, size_t)>;

class Encoder {
public:
    virtual ~Encoder() = default;
    // Starts a new stream (the object is reused from entry to entry).
    virtual void reset() = 0;
    virtual void write(const unsigned char* in, size_t n, const ByteSink& out) = 0;
    virtual void finish(const ByteSink& out) = 0;
};

// The Burrows-Wheeler library's memory, kept when a stream ends: the
// library cannot restart a stream, so each entry sets up a new one, which
// then takes the same blocks again instead of fresh memory. A stream's
// bzalloc and bzfree are `alloc` and `release`, its opaque the stash.
class BlockStash {
public:
    BlockStash() = default;
    BlockStash(const BlockStash&) = delete;
    BlockStash& operator=(const BlockStash&) = delete;
    ~BlockStash();
    static void* alloc(void* self, int n, int m);
    static void release(void* self, void* p);

private:
    struct Block {
        void* p;
        size_t size;
        bool used;
    };
    void* take(size_t n);
    std::vector<Block> blocks_;
};

// Method 0, 8 (level 1..9) or 18 (level gives the block size); level 0 gives
// the stored encoder whatever the method. A method-18 encoder keeps its
// memory in `stash` when given (which must outlive it), else in its own.
std::unique_ptr<Encoder> makeEncoder(int method, int level, BlockStash* stash = nullptr);

class Decoder {
public:
    enum class Status { More, End, Error };
    virtual ~Decoder() = default;
    // Starts a new stream (`storedSize` as for makeDecoder).
    virtual void reset(unsigned long long storedSize) = 0;
    // Decodes `n` bytes of the stream; output goes to `out`. More: wants more
    // input; End: the stream is complete; Error: the data is damaged.
    virtual Status feed(const unsigned char* in, size_t n, const ByteSink& out) = 0;
};

// Methods 0, 8, 12 and 18; nullptr for any other method. `storedSize` is the
// length of a stored entry's data (a stored stream ends by its length).
std::unique_ptr<Decoder> makeDecoder(int method, unsigned long long storedSize);
bool canDecode(int method);

// Decoders kept from one entry to the next, one per method, so that a run
// over many small entries does not set up a decoder for each.
class DecoderCache {
public:
    DecoderCache();
    ~DecoderCache();
    // A decoder of `method` at the start of a new stream; nullptr for a
    // method we cannot decode.
    Decoder* get(int method, unsigned long long storedSize);

private:
    std::unique_ptr<Decoder> byMethod_[4];
};

} // namespace qm::zip
