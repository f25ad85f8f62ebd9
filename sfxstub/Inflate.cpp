#include "sfxstub/Inflate.h"

#include <cstring>
#include <vector>
#include <zlib.h>

namespace qm::sfxstub {

namespace {

class InflateDecoder : public StreamDecoder {
public:
    InflateDecoder() : buf_(OutputChunk) { std::memset(&z_, 0, sizeof z_); }
    ~InflateDecoder() override
    {
        if (started_)
            inflateEnd(&z_);
    }
    bool start() override { return started_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK; }
    Status feed(const unsigned char* in, size_t n, const ChunkSink& out) override
    {
        z_.next_in = const_cast<Bytef*>(in);
        z_.avail_in = uInt(n);
        for (;;) {
            z_.next_out = buf_.data();
            z_.avail_out = uInt(buf_.size());
            int rc = inflate(&z_, Z_NO_FLUSH);
            size_t have = buf_.size() - z_.avail_out;
            if (have && !out(buf_.data(), have))
                return Status::Stopped;
            if (rc == Z_STREAM_END)
                return Status::End;
            if (rc == Z_BUF_ERROR && z_.avail_in == 0)
                return Status::More;
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                return Status::Error;
            if (z_.avail_in == 0 && have < buf_.size())
                return Status::More;
        }
    }

private:
    z_stream z_;
    bool started_ = false;
    std::vector<unsigned char> buf_;
};

} // namespace

std::unique_ptr<StreamDecoder> makeInflateDecoder()
{
    return std::make_unique<InflateDecoder>();
}

} // namespace qm::sfxstub
