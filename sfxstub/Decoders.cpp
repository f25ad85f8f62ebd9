#include "sfxstub/Decoders.h"

#include <array>
#include <bzlib.h>
#include <cstring>
#include <vector>

namespace qm::sfxstub {

namespace {

const std::array<uint32_t, 256>& crcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

uint32_t crcByte(uint32_t crc, uint8_t b)
{
    return crcTable()[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

class BwDecoder : public StreamDecoder {
public:
    BwDecoder() : buf_(OutputChunk) { std::memset(&s_, 0, sizeof s_); }
    ~BwDecoder() override
    {
        if (started_)
            BZ2_bzDecompressEnd(&s_);
    }
    bool start() override
    {
        started_ = BZ2_bzDecompressInit(&s_, 0, 0) == BZ_OK;
        if (!started_)
            return false;
        // The entry's data lacks the stream's signature: it goes in first.
        static const char signature[] = {'B', 'Z', 'h'};
        return run(reinterpret_cast<const unsigned char*>(signature), sizeof signature, {}) == Status::More;
    }
    Status feed(const unsigned char* in, size_t n, const ChunkSink& out) override { return run(in, n, out); }

private:
    Status run(const unsigned char* in, size_t n, const ChunkSink& out)
    {
        s_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in));
        s_.avail_in = unsigned(n);
        for (;;) {
            s_.next_out = reinterpret_cast<char*>(buf_.data());
            s_.avail_out = unsigned(buf_.size());
            int rc = BZ2_bzDecompress(&s_);
            size_t have = buf_.size() - s_.avail_out;
            if (have && !(out && out(buf_.data(), have)))
                return Status::Stopped;
            if (rc == BZ_STREAM_END)
                return Status::End;
            if (rc != BZ_OK)
                return Status::Error;
            if (s_.avail_in == 0 && have < buf_.size())
                return Status::More;
        }
    }

    bz_stream s_;
    bool started_ = false;
    std::vector<unsigned char> buf_;
};

} // namespace

void Crc32::update(const unsigned char* p, size_t n)
{
    uint32_t c = state_;
    for (size_t i = 0; i < n; ++i)
        c = crcByte(c, p[i]);
    state_ = c;
}

PkDecrypt::PkDecrypt(std::string_view password)
{
    for (char ch : password)
        update(uint8_t(ch));
}

void PkDecrypt::update(uint8_t plain)
{
    k0_ = crcByte(k0_, plain);
    k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
    k2_ = crcByte(k2_, uint8_t(k1_ >> 24));
}

void PkDecrypt::decrypt(unsigned char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        uint32_t t = uint16_t(k2_ | 2);
        uint8_t plain = uint8_t(p[i] ^ uint8_t((t * (t ^ 1u)) >> 8));
        update(plain);
        p[i] = plain;
    }
}

bool PkDecrypt::acceptsHeader(const unsigned char (&header)[HeaderSize], uint8_t check)
{
    unsigned char copy[HeaderSize];
    std::memcpy(copy, header, HeaderSize);
    decrypt(copy, HeaderSize);
    return copy[HeaderSize - 1] == check;
}

std::unique_ptr<StreamDecoder> makeBwDecoder()
{
    return std::make_unique<BwDecoder>();
}

} // namespace qm::sfxstub
