#include "platform/zip/VolumeOutput.h"

#include "platform/zip/ResultCodes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qm::zip {

void VolumeOutput::next()
{
    if (!parts_.empty()) {
        Part& p = parts_.back();
        p.size = cur_.offset();
        cur_.commit();
        if (hooks_.closed)
            hooks_.closed(uint32_t(parts_.size() - 1));
    }
    if (parts_.size() >= MaxParts)
        throw ResultError{result::TooManyParts};
    Volume v = hooks_.open(uint32_t(parts_.size()));
    Part p;
    p.path = v.path;
    p.start = parts_.empty() ? 0 : parts_.back().start + parts_.back().size;
    p.capacity = std::max<uint64_t>(v.capacity, 1);
    cur_.attach(v.fd, v.path, faults_);
    parts_.push_back(p);
}

void VolumeOutput::write(const void* data, size_t n)
{
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        if (parts_.empty() || cur_.offset() >= parts_.back().capacity) {
            next();
            continue;
        }
        size_t k = size_t(std::min<uint64_t>(n, parts_.back().capacity - cur_.offset()));
        cur_.write(p, k);
        p += k;
        n -= k;
    }
}

uint64_t VolumeOutput::offset() const
{
    return parts_.empty() ? 0 : parts_.back().start + cur_.offset();
}

uint32_t VolumeOutput::disk() const
{
    return parts_.empty() ? 0 : uint32_t(parts_.size() - 1);
}

uint64_t VolumeOutput::diskOffset() const
{
    return parts_.empty() ? 0 : cur_.offset();
}

void VolumeOutput::keepTogether(size_t n)
{
    if (parts_.empty()) {
        next();
        return;
    }
    const uint64_t used = cur_.offset();
    const uint64_t cap = parts_.back().capacity;
    // A record that no part could hold whole is divided after all.
    if (used >= cap || (used > 0 && used + n > cap))
        next();
}

size_t VolumeOutput::partAt(uint64_t at) const
{
    size_t i = parts_.size() - 1;
    while (i > 0 && parts_[i].start > at)
        --i;
    return i;
}

void VolumeOutput::patch(uint64_t at, const void* data, size_t n)
{
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        size_t i = partAt(at);
        const Part& part = parts_[i];
        uint64_t rel = at - part.start;
        bool last = i + 1 == parts_.size();
        uint64_t end = last ? cur_.offset() : part.size;
        size_t k = size_t(std::min<uint64_t>(n, end > rel ? end - rel : 0));
        if (k == 0)
            throw IoError{EINVAL, part.path}; // nothing was written there
        if (last) {
            cur_.patch(rel, p, k);
        } else {
            // A finished part of a split archive is still on this disk.
            int fd = ::open(part.path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0)
                throw IoError{errno, part.path};
            OutFile f;
            f.attach(fd, part.path, faults_, rel);
            f.write(p, k);
            f.flush();
            f.close();
        }
        p += k;
        n -= k;
        at += k;
    }
}

void VolumeOutput::truncate(uint64_t at)
{
    if (parts_.empty())
        return;
    size_t i = partAt(at);
    if (i + 1 == parts_.size()) {
        cur_.truncate(at - parts_[i].start);
        return;
    }
    cur_.close();
    while (parts_.size() > i + 1) {
        if (hooks_.dropped)
            hooks_.dropped(uint32_t(parts_.size() - 1));
        parts_.pop_back();
    }
    Part& part = parts_.back();
    uint64_t rel = at - part.start;
    int fd = ::open(part.path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        throw IoError{errno, part.path};
    if (::ftruncate(fd, off_t(rel)) != 0) {
        int err = errno;
        ::close(fd);
        throw IoError{err, part.path};
    }
    cur_.attach(fd, part.path, faults_, rel);
    part.size = 0;
}

void VolumeOutput::finish()
{
    if (finished_)
        return;
    if (parts_.empty())
        next();
    parts_.back().size = cur_.offset();
    cur_.commit();
    finished_ = true;
    if (hooks_.closed)
        hooks_.closed(uint32_t(parts_.size() - 1));
}

} // namespace qm::zip
