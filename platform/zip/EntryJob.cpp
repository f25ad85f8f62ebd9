#include "platform/zip/EntryJob.h"

#include "platform/zip/ZipCrypto.h"
#include "platform/zip/ZipFormat.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <zlib.h>

namespace qm::zip {

namespace {
constexpr size_t ReadChunk = 512 * 1024;
} // namespace

EntryCompressor::EntryCompressor() : in_(ReadChunk) {}

Encoder& EntryCompressor::encoderFor(int method, int level)
{
    int m = level <= 0 ? fmt::Stored : method;
    int l = m == fmt::Stored ? 0 : level;
    if (!encoder_ || m != encMethod_ || l != encLevel_) {
        encoder_ = makeEncoder(m, l);
        encMethod_ = m;
        encLevel_ = l;
    } else {
        encoder_->reset();
    }
    return *encoder_;
}

CompressResult EntryCompressor::run(const CompressJob& job, const ByteSink& out,
                                    const std::function<void(uint64_t)>& progress)
{
    CompressResult r;
    r.method = job.level <= 0 ? fmt::Stored : job.method;
    Encoder* enc = &encoderFor(job.method, job.level);
    std::optional<ZipCrypto> crypto;
    ByteSink sink = [&](const unsigned char* p, size_t n) {
        r.compressedSize += n;
        out(p, n);
    };
    ByteSink encrypting = [&](const unsigned char* p, size_t n) {
        if (scratch_.size() < n)
            scratch_.resize(n);
        std::copy(p, p + n, scratch_.data());
        crypto->encrypt(scratch_.data(), n);
        sink(scratch_.data(), n);
    };
    const ByteSink& target = job.password.empty() ? sink : encrypting;
    if (!job.password.empty()) {
        crypto.emplace(job.password);
        unsigned char header[ZipCrypto::HeaderSize];
        crypto->makeHeader(header, job.check);
        sink(header, sizeof header);
    }

#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(job.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    uint64_t at = 0;
    uLong crc = crc32_z(0, nullptr, 0);
    while (at < job.expectedSize) {
        size_t want = size_t(std::min<uint64_t>(in_.size(), job.expectedSize - at));
        ssize_t got = ::pread(job.fd, in_.data(), want, off_t(at));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw SourceError{errno};
        }
        if (got == 0) { // the file shrank
            r.sizeChanged = true;
            break;
        }
        crc = crc32_z(crc, in_.data(), size_t(got));
        if (at == 0 && r.method != fmt::Stored && job.expectedSize >= ProbeFrom &&
            probe_.hardlyShrinks(in_.data(), size_t(got))) {
            r.method = fmt::Stored;
            enc = &encoderFor(fmt::Stored, 0);
        }
        enc->write(in_.data(), size_t(got), target);
        at += uint64_t(got);
        if (progress)
            progress(at);
    }
    if (!r.sizeChanged) {
        unsigned char probe;
        ssize_t more;
        do {
            more = ::pread(job.fd, &probe, 1, off_t(at));
        } while (more < 0 && errno == EINTR);
        if (more > 0)
            r.sizeChanged = true; // it grew: the archive holds what was there when chosen
    }
    enc->finish(target);
    r.crc = uint32_t(crc);
    r.size = at;
    return r;
}

} // namespace qm::zip
