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

void SameAsOldOutput::overlay(uint64_t at, const char* p, size_t n)
{
    overlay_[at].assign(p, n);
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
    std::map<uint64_t, std::string>::iterator touched = overlay_.end();
    for (size_t i = 0; i < n; ++i) {
        const uint64_t where = at + i;
        auto it = overlay_.upper_bound(where);
        if (it != overlay_.begin() && where < std::prev(it)->first + std::prev(it)->second.size()) {
            --it;
            it->second[size_t(where - it->first)] = p[i];
            touched = it;
        } else if (differs(where, p + i, 1)) {
            overlay(where, p + i, 1);
        }
    }
    // A local header written before its sizes were known is most often
    // the old one again once they are in.
    if (touched != overlay_.end() && !differs(touched->first, touched->second.data(), touched->second.size())) {
        overlayBytes_ -= touched->second.size();
        overlay_.erase(touched);
    }
}

void SameAsOldOutput::truncate(uint64_t at)
{
    if (!comparing_) {
        out_.truncate(at);
        return;
    }
    pos_ = std::min(pos_, at);
    overlay_.erase(overlay_.lower_bound(at), overlay_.end());
    if (!overlay_.empty()) {
        auto& [start, bytes] = *overlay_.rbegin();
        if (start + bytes.size() > at)
            bytes.resize(size_t(at - start));
    }
    overlayBytes_ = 0;
    for (const auto& [start, bytes] : overlay_)
        overlayBytes_ += bytes.size();
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
    for (const auto& [at, bytes] : overlay_)
        if (differs(at, bytes.data(), bytes.size()))
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
    for (const auto& [at, bytes] : overlay_)
        out_.patch(at, bytes.data(), bytes.size());
    overlay_.clear();
    overlayBytes_ = 0;
    comparing_ = false;
}

} // namespace qm::zip
