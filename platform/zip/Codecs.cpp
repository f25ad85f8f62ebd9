#include "platform/zip/Codecs.h"

#include "platform/zip/ZipFormat.h"

#include <bzlib.h>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace qm::zip {

namespace {

constexpr size_t OutChunk = 256 * 1024;

class StoreEncoder : public Encoder {
public:
    void reset() override {}
    void write(const unsigned char* in, size_t n, const ByteSink& out) override
    {
        if (n)
            out(in, n);
    }
    void finish(const ByteSink&) override {}
};

// An output buffer written over before it is read: nothing is cleared.
using OutBuffer = std::unique_ptr<unsigned char[]>;
OutBuffer outBuffer()
{
    return OutBuffer(new unsigned char[OutChunk]);
}

class DeflateEncoder : public Encoder {
public:
    explicit DeflateEncoder(int level) : buf_(outBuffer())
    {
        std::memset(&z_, 0, sizeof z_);
        if (deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
    }
    ~DeflateEncoder() override { deflateEnd(&z_); }
    void reset() override { deflateReset(&z_); }
    void write(const unsigned char* in, size_t n, const ByteSink& out) override { run(in, n, Z_NO_FLUSH, out); }
    void finish(const ByteSink& out) override { run(nullptr, 0, Z_FINISH, out); }

private:
    void run(const unsigned char* in, size_t n, int flush, const ByteSink& out)
    {
        z_.next_in = const_cast<Bytef*>(in);
        // Feed at most 1 GiB at a time: avail_in is 32 bits wide.
        size_t left = n;
        do {
            uInt part = uInt(left > (1u << 30) ? (1u << 30) : left);
            z_.avail_in = part;
            left -= part;
            int f = left ? Z_NO_FLUSH : flush;
            do {
                z_.next_out = buf_.get();
                z_.avail_out = uInt(OutChunk);
                int rc = deflate(&z_, f);
                if (rc == Z_STREAM_ERROR)
                    throw std::runtime_error("deflate failed");
                size_t have = OutChunk - z_.avail_out;
                if (have)
                    out(buf_.get(), have);
                if (rc == Z_STREAM_END)
                    break;
            } while (z_.avail_out == 0 || z_.avail_in != 0 || (f == Z_FINISH));
        } while (left);
    }

    z_stream z_;
    OutBuffer buf_;
};

class BwEncoder : public Encoder {
public:
    BwEncoder(int level, BlockStash* stash)
        : block_(level < 1 ? 1 : level > 9 ? 9 : level), stash_(stash ? stash : &own_), buf_(outBuffer())
    {
    }
    ~BwEncoder() override { end(); }
    void reset() override { end(); }
    void write(const unsigned char* in, size_t n, const ByteSink& out) override { run(in, n, BZ_RUN, out); }
    void finish(const ByteSink& out) override
    {
        run(nullptr, 0, BZ_FINISH, out);
        end(); // its memory goes back to the stash at once, for whoever needs it next
    }

private:
    // The library cannot restart a stream: each entry's is set up when its
    // first bytes come, and let go when it ends.
    void start()
    {
        if (started_)
            return;
        std::memset(&s_, 0, sizeof s_);
        s_.bzalloc = &BlockStash::alloc;
        s_.bzfree = &BlockStash::release;
        s_.opaque = stash_;
        if (BZ2_bzCompressInit(&s_, block_, 0, 0) != BZ_OK)
            throw std::bad_alloc();
        started_ = true;
        skip_ = 3; // the "BZh" signature is not stored
    }
    void end()
    {
        if (started_)
            BZ2_bzCompressEnd(&s_);
        started_ = false;
    }
    void emit(const unsigned char* p, size_t n, const ByteSink& out)
    {
        size_t drop = n < skip_ ? n : skip_;
        skip_ -= drop;
        if (n > drop)
            out(p + drop, n - drop);
    }
    void run(const unsigned char* in, size_t n, int action, const ByteSink& out)
    {
        start();
        s_.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        size_t left = n;
        do {
            unsigned part = unsigned(left > (1u << 30) ? (1u << 30) : left);
            s_.avail_in = part;
            left -= part;
            int act = left ? BZ_RUN : action;
            for (;;) {
                s_.next_out = reinterpret_cast<char*>(buf_.get());
                s_.avail_out = unsigned(OutChunk);
                int rc = BZ2_bzCompress(&s_, act);
                if (rc < 0)
                    throw std::runtime_error("bzip2 compression failed");
                emit(buf_.get(), OutChunk - s_.avail_out, out);
                if (act == BZ_FINISH ? rc == BZ_STREAM_END : s_.avail_in == 0)
                    break;
            }
        } while (left);
    }

    int block_;
    BlockStash own_; // before the stream, which gives its blocks back to it
    BlockStash* stash_;
    bz_stream s_{};
    bool started_ = false;
    size_t skip_ = 3;
    OutBuffer buf_;
};

class StoreDecoder : public Decoder {
public:
    explicit StoreDecoder(unsigned long long size) : left_(size) {}
    void reset(unsigned long long size) override { left_ = size; }
    Status feed(const unsigned char* in, size_t n, const ByteSink& out) override
    {
        size_t take = n < left_ ? n : size_t(left_);
        if (take)
            out(in, take);
        left_ -= take;
        return left_ == 0 ? Status::End : Status::More;
    }

private:
    unsigned long long left_;
};

class InflateDecoder : public Decoder {
public:
    InflateDecoder()
    {
        std::memset(&z_, 0, sizeof z_);
        if (inflateInit2(&z_, -MAX_WBITS) != Z_OK)
            throw std::bad_alloc();
    }
    ~InflateDecoder() override { inflateEnd(&z_); }
    void reset(unsigned long long) override
    {
        inflateReset(&z_);
        done_ = false;
    }
    Status feed(const unsigned char* in, size_t n, const ByteSink& out) override
    {
        if (done_)
            return Status::End;
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = uInt(n);
        for (;;) {
            z_.next_out = buf_.get();
            z_.avail_out = uInt(OutChunk);
            int rc = inflate(&z_, Z_NO_FLUSH);
            size_t have = OutChunk - z_.avail_out;
            if (have)
                out(buf_.get(), have);
            if (rc == Z_STREAM_END) {
                done_ = true;
                return Status::End;
            }
            if (rc == Z_BUF_ERROR) // no progress possible: input used up
                return Status::More;
            if (rc != Z_OK)
                return Status::Error;
            if (z_.avail_in == 0 && z_.avail_out != 0)
                return Status::More;
        }
    }

private:
    z_stream z_;
    bool done_ = false;
    // Not cleared first: only what the output of an entry reaches is ever touched.
    std::unique_ptr<unsigned char[]> buf_{new unsigned char[OutChunk]};
};

class BzDecoder : public Decoder {
public:
    explicit BzDecoder(bool addSignature) : addSignature_(addSignature) { start(); }
    ~BzDecoder() override { BZ2_bzDecompressEnd(&s_); }
    void reset(unsigned long long) override
    {
        BZ2_bzDecompressEnd(&s_);
        start();
    }
    Status feed(const unsigned char* in, size_t n, const ByteSink& out) override
    {
        if (failed_)
            return Status::Error;
        if (done_)
            return Status::End;
        s_.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
        s_.avail_in = unsigned(n);
        for (;;) {
            s_.next_out = reinterpret_cast<char*>(buf_.get());
            s_.avail_out = unsigned(OutChunk);
            int rc = BZ2_bzDecompress(&s_);
            size_t have = OutChunk - s_.avail_out;
            if (have)
                out(buf_.get(), have);
            if (rc == BZ_STREAM_END) {
                done_ = true;
                return Status::End;
            }
            if (rc != BZ_OK) {
                failed_ = true;
                return Status::Error;
            }
            if (s_.avail_in == 0 && s_.avail_out != 0)
                return Status::More;
        }
    }

private:
    void start()
    {
        std::memset(&s_, 0, sizeof s_);
        done_ = failed_ = false;
        if (BZ2_bzDecompressInit(&s_, 0, 0) != BZ_OK)
            throw std::bad_alloc();
        if (addSignature_) {
            static const unsigned char sig[3] = {'B', 'Z', 'h'};
            ByteSink none = [](const unsigned char*, size_t) {};
            if (feed(sig, 3, none) == Status::Error)
                failed_ = true;
        }
    }

    bz_stream s_;
    bool addSignature_;
    bool done_ = false;
    bool failed_ = false;
    // Not cleared first: only what the output of an entry reaches is ever touched.
    std::unique_ptr<unsigned char[]> buf_{new unsigned char[OutChunk]};
};

int cacheSlot(int method)
{
    switch (method) {
    case fmt::Stored: return 0;
    case fmt::Deflated: return 1;
    case fmt::Bzip2: return 2;
    case fmt::BurrowsWheeler: return 3;
    default: return -1;
    }
}

} // namespace

BlockStash::~BlockStash()
{
    for (Block& b : blocks_)
        std::free(b.p);
}

void* BlockStash::alloc(void* self, int n, int m)
{
    if (n < 0 || m < 0)
        return nullptr;
    return static_cast<BlockStash*>(self)->take(size_t(n) * size_t(m));
}

void BlockStash::release(void* self, void* p)
{
    for (Block& b : static_cast<BlockStash*>(self)->blocks_)
        if (b.p == p)
            b.used = false;
}

void* BlockStash::take(size_t n)
{
    for (Block& b : blocks_)
        if (!b.used && b.size == n) {
            b.used = true;
            return b.p;
        }
    // Not one of the sizes kept: those of another level go.
    for (size_t i = blocks_.size(); i-- > 0;)
        if (!blocks_[i].used) {
            std::free(blocks_[i].p);
            blocks_.erase(blocks_.begin() + std::ptrdiff_t(i));
        }
    void* p = std::malloc(n);
    if (p)
        blocks_.push_back({p, n, true});
    return p;
}

DecoderCache::DecoderCache() = default;
DecoderCache::~DecoderCache() = default;

Decoder* DecoderCache::get(int method, unsigned long long storedSize)
{
    int slot = cacheSlot(method);
    if (slot < 0)
        return nullptr;
    std::unique_ptr<Decoder>& d = byMethod_[slot];
    if (d)
        d->reset(storedSize);
    else
        d = makeDecoder(method, storedSize);
    return d.get();
}

std::unique_ptr<Encoder> makeEncoder(int method, int level, BlockStash* stash)
{
    if (level <= 0 || method == fmt::Stored)
        return std::make_unique<StoreEncoder>();
    if (method == fmt::Deflated)
        return std::make_unique<DeflateEncoder>(level > 9 ? 9 : level);
    if (method == fmt::BurrowsWheeler)
        return std::make_unique<BwEncoder>(level, stash);
    return nullptr;
}

bool canDecode(int method)
{
    return method == fmt::Stored || method == fmt::Deflated || method == fmt::Bzip2 ||
           method == fmt::BurrowsWheeler;
}

std::unique_ptr<Decoder> makeDecoder(int method, unsigned long long storedSize)
{
    switch (method) {
    case fmt::Stored:
        return std::make_unique<StoreDecoder>(storedSize);
    case fmt::Deflated:
        return std::make_unique<InflateDecoder>();
    case fmt::Bzip2:
        return std::make_unique<BzDecoder>(false);
    case fmt::BurrowsWheeler:
        return std::make_unique<BzDecoder>(true);
    default:
        return nullptr;
    }
}

} // namespace qm::zip
