#include "platform/zip/PieceCodec.h"

#include "platform/zip/ZipFormat.h"

#include <algorithm>
#include <bzlib.h>
#include <cstring>
#include <map>
#include <stdexcept>
#include <zlib.h>

namespace qm::zip {

namespace {

constexpr uint64_t BlockMagic = 0x314159265359ull;
constexpr uint64_t EndMagic = 0x177245385090ull;
// "BZh" and the digit, the block magic and the block's CRC.
constexpr size_t BzHeader = 4;
constexpr size_t BzEmptyStream = BzHeader + 6 + 4;

int clampBw(int level)
{
    return level < 1 ? 1 : level > 9 ? 9 : level;
}

// `count` (at most 57) bits of `p` from bit `pos`, first bit highest.
uint64_t bitsAt(const unsigned char* p, uint64_t pos, int count)
{
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) {
        uint64_t at = pos + uint64_t(i);
        v = (v << 1) | ((p[at >> 3] >> (7 - (at & 7))) & 1u);
    }
    return v;
}

uint32_t be32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void deflateInto(z_stream& z, int flush, ByteBuffer& out)
{
    size_t used = 0;
    for (;;) {
        if (out.size() - used < 64)
            out.resize(out.size() + out.size() / 2 + 1024);
        z.next_out = out.data() + used;
        z.avail_out = uInt(out.size() - used);
        int rc = deflate(&z, flush);
        if (rc == Z_STREAM_ERROR)
            throw std::runtime_error("deflate failed");
        used = out.size() - z.avail_out;
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0))
            break;
    }
    out.resize(used);
}

} // namespace

size_t bwPieceLimit(int level)
{
    const size_t block = size_t(clampBw(level)) * 100000 - 19;
    return block * 4 / 5 - 64;
}

char bwLevelDigit(int level)
{
    return char('0' + clampBw(level));
}

// ---- IncompressibleProbe

struct IncompressibleProbe::State {
    z_stream z{};
    ByteBuffer out;
    State()
    {
        if (deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
    }
    ~State() { deflateEnd(&z); }
};

IncompressibleProbe::IncompressibleProbe() : s_(std::make_unique<State>()) {}
IncompressibleProbe::~IncompressibleProbe() = default;

bool IncompressibleProbe::hardlyShrinks(const unsigned char* data, size_t n)
{
    n = std::min(n, ProbeSize);
    deflateReset(&s_->z);
    s_->out.resize(deflateBound(&s_->z, uLong(n)) + 64);
    s_->z.next_in = const_cast<Bytef*>(data);
    s_->z.avail_in = uInt(n);
    deflateInto(s_->z, Z_FINISH, s_->out);
    return s_->out.size() * 100 >= n * 97;
}

// ---- PieceEncoder

struct PieceEncoder::State {
    std::map<int, z_stream> deflaters; // by level
    BlockStash bwMemory; // for whole entries and pieces alike; before `whole`, which gives it back
    std::unique_ptr<Encoder> whole;
    int wholeMethod = -1;
    int wholeLevel = -1;
    ~State()
    {
        for (auto& [level, z] : deflaters)
            deflateEnd(&z);
    }
    z_stream& deflater(int level)
    {
        auto it = deflaters.find(level);
        if (it != deflaters.end()) {
            deflateReset(&it->second);
            return it->second;
        }
        z_stream& z = deflaters[level];
        std::memset(&z, 0, sizeof z);
        if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            deflaters.erase(level);
            throw std::bad_alloc();
        }
        return z;
    }
};

PieceEncoder::PieceEncoder() : s_(std::make_unique<State>()) {}
PieceEncoder::~PieceEncoder() = default;

void PieceEncoder::whole(int method, int level, const unsigned char* in, size_t n, ByteBuffer& out)
{
    if (!s_->whole || method != s_->wholeMethod || level != s_->wholeLevel) {
        s_->whole = makeEncoder(method, level, &s_->bwMemory);
        s_->wholeMethod = method;
        s_->wholeLevel = level;
    } else {
        s_->whole->reset();
    }
    out.clear();
    ByteSink sink = [&out](const unsigned char* p, size_t k) { out.insert(out.end(), p, p + k); };
    s_->whole->write(in, n, sink);
    s_->whole->finish(sink);
}

void PieceEncoder::deflatePiece(int level, const unsigned char* dict, size_t dictLen, const unsigned char* in,
                                size_t n, bool last, ByteBuffer& out)
{
    z_stream& z = s_->deflater(level);
    if (dictLen > DeflateWindow) {
        dict += dictLen - DeflateWindow;
        dictLen = DeflateWindow;
    }
    if (dictLen)
        deflateSetDictionary(&z, dict, uInt(dictLen));
    out.resize(deflateBound(&z, uLong(n)) + 64);
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = uInt(n);
    deflateInto(z, last ? Z_FINISH : Z_SYNC_FLUSH, out);
}

void PieceEncoder::bwPiece(int level, const unsigned char* in, size_t n, ByteBuffer& out)
{
    bz_stream z;
    std::memset(&z, 0, sizeof z);
    z.bzalloc = &BlockStash::alloc;
    z.bzfree = &BlockStash::release;
    z.opaque = &s_->bwMemory;
    int rc = BZ2_bzCompressInit(&z, clampBw(level), 0, 0);
    if (rc != BZ_OK)
        throw std::bad_alloc();
    struct End {
        bz_stream& z;
        ~End() { BZ2_bzCompressEnd(&z); }
    } end{z};
    const size_t size = n + n / 100 + 1024;
    out.resize(size);
    z.next_in = reinterpret_cast<char*>(const_cast<unsigned char*>(in));
    z.avail_in = unsigned(n);
    z.next_out = reinterpret_cast<char*>(out.data());
    z.avail_out = unsigned(size);
    do
        rc = BZ2_bzCompress(&z, BZ_FINISH);
    while (rc == BZ_FINISH_OK && z.avail_out > 0);
    if (rc != BZ_STREAM_END)
        throw std::runtime_error("bzip2 compression failed");
    out.resize(size - z.avail_out);
}

// ---- BwJoiner

BwJoiner::BwJoiner(int level, ByteSink out) : out_(std::move(out))
{
    buf_.reserve(64 * 1024);
    putByte(static_cast<unsigned char>(bwLevelDigit(level)));
}

void BwJoiner::putByte(unsigned char b)
{
    buf_.push_back(b);
    if (buf_.size() >= 64 * 1024)
        flush();
}

void BwJoiner::flush()
{
    if (!buf_.empty())
        out_(buf_.data(), buf_.size());
    buf_.clear();
}

void BwJoiner::putBits(uint64_t value, int count)
{
    acc_ = (acc_ << count) | (value & ((uint64_t(1) << count) - 1));
    bits_ += count;
    while (bits_ >= 8) {
        putByte(static_cast<unsigned char>(acc_ >> (bits_ - 8)));
        bits_ -= 8;
    }
    acc_ &= (uint64_t(1) << bits_) - 1;
}

void BwJoiner::add(const unsigned char* p, size_t n)
{
    if (n < BzEmptyStream || p[0] != 'B' || p[1] != 'Z' || p[2] != 'h')
        throw std::runtime_error("not a bzip2 stream");
    if (n == BzEmptyStream && bitsAt(p, BzHeader * 8, 48) == EndMagic)
        return; // no data, no block
    if (bitsAt(p, BzHeader * 8, 48) != BlockMagic)
        throw std::runtime_error("bzip2 stream without a block");
    const uint32_t blockCrc = be32(p + BzHeader + 6);
    // The end marker and the CRC follow the block; then up to seven bits of padding.
    const uint64_t total = uint64_t(n) * 8;
    uint64_t end = 0;
    for (int pad = 0; pad < 8 && end == 0; ++pad) {
        uint64_t at = total - uint64_t(pad) - 80;
        if (bitsAt(p, at, 48) == EndMagic && uint32_t(bitsAt(p, at + 48, 32)) == blockCrc &&
            bitsAt(p, total - uint64_t(pad), pad) == 0)
            end = at;
    }
    if (end == 0)
        throw std::runtime_error("bzip2 piece of more than one block");
    // The block's bits, from its byte-aligned start.
    uint64_t count = end - BzHeader * 8;
    const unsigned char* q = p + BzHeader;
    size_t whole = size_t(count / 8);
    if (bits_ == 0) {
        flush();
        out_(q, whole);
    } else {
        const int b = bits_;
        uint64_t acc = acc_;
        for (size_t i = 0; i < whole; ++i) {
            putByte(static_cast<unsigned char>((acc << (8 - b)) | (q[i] >> b)));
            acc = q[i] & ((1u << b) - 1);
        }
        acc_ = acc;
    }
    if (int rest = int(count % 8))
        putBits(q[whole] >> (8 - rest), rest);
    combined_ = ((combined_ << 1) | (combined_ >> 31)) ^ blockCrc;
}

void BwJoiner::finish()
{
    putBits(EndMagic, 48);
    putBits(combined_, 32);
    if (bits_ > 0)
        putBits(0, 8 - bits_);
    flush();
}

} // namespace qm::zip
