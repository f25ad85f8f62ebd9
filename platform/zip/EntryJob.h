#pragma once
// One entry's compression as one stream, on the caller's thread: it reads the
// source file from its start, computes the CRC, compresses and (with a
// password) encrypts, and hands the resulting bytes to a sink. It knows
// nothing of the archive around it.
#include "platform/zip/Codecs.h"
#include "platform/zip/PieceCodec.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm::zip {

struct CompressJob {
    int fd = -1;               // the source, open for reading
    uint64_t expectedSize = 0; // size when the file was chosen; no more is read
    int method = 0;            // 0, 8 or 18
    int level = 6;             // 0 stores
    std::string password;      // empty: no encryption
    uint16_t check = 0;        // last two bytes of the encryption header (ZipCrypto::makeHeader)
};

struct CompressResult {
    int method = 0;              // the method used: stored when the data would not shrink
    uint32_t crc = 0;
    uint64_t size = 0;           // bytes read
    uint64_t compressedSize = 0; // bytes handed to the sink (header included)
    bool sizeChanged = false;    // the file grew or shrank while it was read
};

// Reading the source failed with errno `err`.
struct SourceError {
    int err;
};

class EntryCompressor {
public:
    EntryCompressor();
    CompressResult run(const CompressJob& job, const ByteSink& out, const std::function<void(uint64_t)>& progress);

private:
    Encoder& encoderFor(int method, int level);

    ByteBuffer in_;
    ByteBuffer scratch_;
    IncompressibleProbe probe_;
    std::unique_ptr<Encoder> encoder_;
    int encMethod_ = -1;
    int encLevel_ = -1;
};

} // namespace qm::zip
