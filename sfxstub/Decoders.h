#pragma once
// What the extraction engine decodes with: the CRC-32 of ZIP entries, the
// traditional PKWARE decryption, and streaming decoders for compressed
// entries. The Burrows-Wheeler decoder (method 18) is always here; the
// deflate decoder (method 8) lives in its own library, so the stub that does
// not read method 8 carries no zlib.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace qm::sfxstub {

// ZIP's CRC-32 (polynomial 0xEDB88320, all ones in, complemented out).
class Crc32 {
public:
    void update(const unsigned char* p, size_t n);
    uint32_t value() const { return ~state_; }

private:
    uint32_t state_ = 0xFFFFFFFFu;
};

// Traditional PKWARE decryption: three keys driven by the password and by
// each plain byte.
class PkDecrypt {
public:
    static constexpr size_t HeaderSize = 12;
    explicit PkDecrypt(std::string_view password);
    // Decrypts a copy of the encryption header; true when its last byte is `check`.
    bool acceptsHeader(const unsigned char (&header)[HeaderSize], uint8_t check);
    void decrypt(unsigned char* p, size_t n);

private:
    void update(uint8_t plain);
    uint32_t k0_ = 0x12345678u;
    uint32_t k1_ = 0x23456789u;
    uint32_t k2_ = 0x34567890u;
};

// Output of a decoder, one chunk at a time; false stops the decoding.
using ChunkSink = std::function<bool(const unsigned char*, size_t)>;

class StreamDecoder {
public:
    enum class Status { More, End, Error, Stopped };
    virtual ~StreamDecoder() = default;
    // False when the decoder cannot be set up.
    virtual bool start() = 0;
    virtual Status feed(const unsigned char* in, size_t n, const ChunkSink& out) = 0;
};

// Output chunks of the decoders.
inline constexpr size_t OutputChunk = 32 * 1024;

// Method 18: a bzip2 stream without its "BZh" signature.
std::unique_ptr<StreamDecoder> makeBwDecoder();

// The methods an engine decodes besides stored and Burrows-Wheeler entries.
struct Methods {
    std::function<std::unique_ptr<StreamDecoder>()> deflate; // method 8, when set
};

} // namespace qm::sfxstub
