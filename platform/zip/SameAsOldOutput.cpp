#include "platform/zip/SameAsOldOutput.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qm::zip {

namespace {
// Differences kept in memory before the temporary file is written after all.
constexpr size_t MaxOverlay = 256 * 1024;
constexpr size_t CopyChunk = 1 << 20;
} // namespace

bool SameAsOldOutput::differs(uint64_t at, const char* p, size_t n)
{
    if (at > old_.size() || n > old_.size() - at)
        return true;
    for (size_t done = 0; done < n;) {
        const size_t k = std::min(n - done, CopyChunk);
        const char* q = window_.view(old_, at + done, k);
        std::vector<char> buf;
        if (!q) {
            buf.resize(k);
            old_.readExact(at + done, buf.data(), k);
            q = buf.data();
        }
        if (std::memcmp(p + done, q, k) != 0)
            return true;
        done += k;
    }
    return false;
}

std::vector<SameAsOldOutput::Chunk>::iterator SameAsOldOutput::chunkAt(uint64_t at)
{
    auto it = std::upper_bound(overlay_.begin(), overlay_.end(), at,
                               [](uint64_t a, const Chunk& c) { return a < c.at; });
    if (it == overlay_.begin())
        return overlay_.end();
    --it;
    return at < it->at + it->bytes.size() ? it : overlay_.end();
}

void SameAsOldOutput::drop(std::vector<Chunk>::iterator from, std::vector<Chunk>::iterator to)
{
    for (auto it = from; it != to; ++it) {
        overlayBytes_ -= it->bytes.size();
        it->bytes.clear();
        spare_.push_back(std::move(it->bytes));
    }
    overlay_.erase(from, to);
}

void SameAsOldOutput::overlay(uint64_t at, const char* p, size_t n)
{
    Chunk c{at, {}};
    if (!spare_.empty()) {
        c.bytes = std::move(spare_.back());
        spare_.pop_back();
    }
    c.bytes.assign(p, n);
    auto it = std::upper_bound(overlay_.begin(), overlay_.end(), at,
                               [](uint64_t a, const Chunk& x) { return a < x.at; });
    overlay_.insert(it, std::move(c));
    overlayBytes_ += n;
}

void SameAsOldOutput::write(const void* data, size_t n)
{
    if (!comparing_) {
        out_.write(data, n);
        return;
    }
    const char* p = static_cast<const char*>(data);
    if (differs(pos_, p, n))
        overlay(pos_, p, n);
    pos_ += n;
    if (overlayBytes_ > MaxOverlay)
        materialize();
}

void SameAsOldOutput::patch(uint64_t at, const void* data, size_t n)
{
    if (!comparing_) {
        out_.patch(at, data, n);
        return;
    }
    const char* p = static_cast<const char*>(data);
    uint64_t touched = UINT64_MAX;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t where = at + i;
        auto it = chunkAt(where);
        if (it != overlay_.end()) {
            it->bytes[size_t(where - it->at)] = p[i];
            touched = it->at;
        } else if (differs(where, p + i, 1)) {
            overlay(where, p + i, 1);
        }
    }
    // A local header written before its sizes were known is most often
    // the old one again once they are in.
    auto it = touched == UINT64_MAX ? overlay_.end() : chunkAt(touched);
    if (it != overlay_.end() && !differs(it->at, it->bytes.data(), it->bytes.size()))
        drop(it, it + 1);
}

void SameAsOldOutput::truncate(uint64_t at)
{
    if (!comparing_) {
        out_.truncate(at);
        return;
    }
    pos_ = std::min(pos_, at);
    auto from = std::lower_bound(overlay_.begin(), overlay_.end(), at,
                                 [](const Chunk& c, uint64_t a) { return c.at < a; });
    drop(from, overlay_.end());
    if (!overlay_.empty()) {
        Chunk& last = overlay_.back();
        if (last.at + last.bytes.size() > at) {
            overlayBytes_ -= size_t(last.at + last.bytes.size() - at);
            last.bytes.resize(size_t(at - last.at));
        }
    }
}

bool SameAsOldOutput::holdsAlready(const InFile& src, uint64_t from, uint64_t n)
{
    if (!comparing_ || &src != &old_ || from != pos_ || from > old_.size() || n > old_.size() - from)
        return false;
    pos_ += n;
    return true;
}

bool SameAsOldOutput::same()
{
    if (!comparing_ || pos_ != old_.size())
        return false;
    for (const Chunk& c : overlay_)
        if (differs(c.at, c.bytes.data(), c.bytes.size()))
            return false;
    return true;
}

void SameAsOldOutput::materialize()
{
    if (!comparing_)
        return;
    std::vector<char> buf(size_t(std::min<uint64_t>(std::max<uint64_t>(pos_, 1), CopyChunk)));
    for (uint64_t at = 0; at < pos_;) {
        const size_t k = size_t(std::min<uint64_t>(buf.size(), pos_ - at));
        const size_t inOld = at < old_.size() ? size_t(std::min<uint64_t>(k, old_.size() - at)) : 0;
        if (inOld)
            old_.readExact(at, buf.data(), inOld);
        std::fill(buf.data() + inOld, buf.data() + k, '\0'); // beyond the old end: all overlaid
        out_.write(buf.data(), k);
        at += k;
    }
    for (const Chunk& c : overlay_)
        out_.patch(c.at, c.bytes.data(), c.bytes.size());
    overlay_.clear();
    spare_.clear();
    overlayBytes_ = 0;
    comparing_ = false;
}

} // namespace qm::zip
