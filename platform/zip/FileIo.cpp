#include "platform/zip/FileIo.h"

#include "platform/fs/OwnedTemp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace {
constexpr size_t OutBuffer = 1 << 20;
constexpr uint64_t SyncEvery = 8 << 20;
}

OutFile::~OutFile()
{
    close();
}

void OutFile::attach(int fd, std::filesystem::path path, const IoFaults* faults, uint64_t offset)
{
    close();
    fd_ = fd;
    path_ = std::move(path);
    faults_ = faults;
    if (!buf_) {
        buf_.reset(new char[OutBuffer]);
        cap_ = OutBuffer;
    }
    used_ = 0;
    base_ = offset;
    synced_ = offset;
}

void OutFile::writeAt(uint64_t at, const char* p, size_t n)
{
    while (n > 0) {
        if (faults_ && faults_->beforeWrite) {
            int err = faults_->beforeWrite(path_, at, n);
            if (err != 0)
                throw IoError{err, path_};
        }
        ssize_t w = ::pwrite(fd_, p, n, off_t(at));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            throw IoError{errno, path_};
        }
        if (w == 0)
            throw IoError{ENOSPC, path_};
        p += w;
        n -= size_t(w);
        at += uint64_t(w);
    }
}

void OutFile::write(const void* data, size_t n)
{
    if (n == 0)
        return; // an empty entry's data may be no pointer at all
    const char* p = static_cast<const char*>(data);
    if (used_ + n > cap_)
        flush();
    if (n >= cap_) {
        writeAt(base_, p, n);
        base_ += n;
        return;
    }
    std::memcpy(buf_.get() + used_, p, n);
    used_ += n;
}

void OutFile::flush()
{
    if (used_ == 0)
        return;
    writeAt(base_, buf_.get(), used_);
    base_ += used_;
    used_ = 0;
    // A large file goes to the disk while it is written, so that the
    // final commit has little left to wait for.
    if (base_ > synced_ + SyncEvery) {
        ::sync_file_range(fd_, off_t(synced_), off_t(base_ - synced_), SYNC_FILE_RANGE_WRITE);
        synced_ = base_;
    }
}

void OutFile::patch(uint64_t at, const void* data, size_t n)
{
    const char* p = static_cast<const char*>(data);
    if (at < base_) {
        size_t before = size_t(std::min<uint64_t>(n, base_ - at));
        writeAt(at, p, before);
        at += before;
        p += before;
        n -= before;
    }
    if (n > 0)
        std::memcpy(buf_.get() + (at - base_), p, n);
}

void OutFile::truncate(uint64_t at)
{
    if (at >= base_) {
        used_ = size_t(at - base_);
        return;
    }
    used_ = 0;
    base_ = at;
    if (::ftruncate(fd_, off_t(at)) != 0)
        throw IoError{errno, path_};
}

void OutFile::commit()
{
    flush();
    if (::fsync(fd_) != 0 && errno != EINVAL)
        throw IoError{errno, path_};
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw IoError{errno, path_};
}

int OutFile::release()
{
    flush();
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void OutFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    used_ = 0;
}

InFile::~InFile()
{
    close();
}

bool InFile::open(const std::filesystem::path& path)
{
    return openParts({path});
}

bool InFile::openParts(const std::vector<std::filesystem::path>& parts, std::filesystem::path* failed)
{
    close();
    for (const std::filesystem::path& p : parts) {
        int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        int err = 0;
        if (fd < 0)
            err = errno;
        else if (::fstat(fd, &st) != 0)
            err = errno;
        else if (!S_ISREG(st.st_mode))
            err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        if (err != 0) {
            if (fd >= 0)
                ::close(fd);
            if (failed)
                *failed = p;
            close();
            errno = err;
            return false;
        }
        parts_.push_back(Part{fd, size_, uint64_t(st.st_size), p});
        size_ += uint64_t(st.st_size);
        path_ = p;
    }
    return !parts_.empty();
}

void InFile::close()
{
    for (Part& p : parts_)
        if (p.fd >= 0)
            ::close(p.fd);
    parts_.clear();
    size_ = 0;
}

size_t InFile::readAt(uint64_t at, void* buf, size_t n) const
{
    char* p = static_cast<char*>(buf);
    size_t got = 0;
    // The part that holds `at`: the last one that starts at or before it.
    size_t i = 0;
    {
        size_t lo = 0, hi = parts_.size();
        while (lo < hi) {
            size_t mid = (lo + hi) / 2;
            if (parts_[mid].start <= at)
                lo = mid + 1;
            else
                hi = mid;
        }
        i = lo == 0 ? 0 : lo - 1;
    }
    while (got < n && i < parts_.size()) {
        const Part& part = parts_[i];
        uint64_t pos = at + got;
        if (pos >= part.start + part.size) {
            ++i;
            continue;
        }
        size_t want = size_t(std::min<uint64_t>(n - got, part.start + part.size - pos));
        ssize_t r = ::pread(part.fd, p + got, want, off_t(pos - part.start));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throw IoError{errno, part.path};
        }
        if (r == 0)
            break; // the part shrank meanwhile
        got += size_t(r);
    }
    return got;
}

void InFile::readExact(uint64_t at, void* buf, size_t n) const
{
    if (at > size_ || n > size_ - at || readAt(at, buf, n) != n)
        throw FormatError{"the archive is cut short"};
}

void ReadWindow::readExact(const InFile& f, uint64_t at, void* buf, size_t n)
{
    if (const char* p = view(f, at, n))
        std::memcpy(buf, p, n);
    else
        f.readExact(at, buf, n);
}

const char* ReadWindow::view(const InFile& f, uint64_t at, size_t n)
{
    if (n >= size_ / 2)
        return nullptr;
    const bool inside = file_ == &f && at >= start_ && at - start_ <= buf_.size() && n <= buf_.size() - (at - start_);
    if (!inside) {
        if (at > f.size() || n > f.size() - at)
            throw FormatError{"the archive is cut short"};
        buf_.resize(size_t(std::min<uint64_t>(size_, f.size() - at)));
        f.readExact(at, buf_.data(), buf_.size());
        file_ = &f;
        start_ = at;
    }
    return buf_.data() + (at - start_);
}

std::string TempFile::stemFor(const std::filesystem::path& archive)
{
    return std::string(DefaultStem) + qm::fs::nameHash(archive.string()) + ".";
}

int TempFile::create(const std::filesystem::path& folder, int dirfd, mode_t mode, std::string_view stem)
{
    discard();
    std::string name;
    int fd = dirfd >= 0 ? qm::fs::createOwnedTemp(dirfd, stem, name, mode)
                        : qm::fs::createOwnedTemp(folder, stem, name, mode);
    if (fd < 0)
        throw IoError{errno, folder};
    // A copy of the descriptor holds the lock until the file is kept or
    // removed, however soon its writer closes it.
    lock_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    path_ = folder / name;
    name_ = name;
    dirfd_ = dirfd;
    return fd;
}

bool TempFile::link(int fd, int dirfd)
{
    discard();
    std::string made;
    if (qm::fs::linkOwnedTemp(fd, dirfd, DefaultStem, made) != 0)
        return false;
    lock_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    path_ = made;
    name_ = std::move(made);
    dirfd_ = dirfd;
    return true;
}

void TempFile::keep()
{
    path_.clear();
    unlock();
}

void TempFile::unlock()
{
    if (lock_ >= 0)
        ::close(lock_);
    lock_ = -1;
}

void TempFile::discard()
{
    if (!path_.empty()) {
        if (dirfd_ >= 0)
            ::unlinkat(dirfd_, name_.c_str(), 0);
        else
            ::unlink(path_.c_str());
        path_.clear();
    }
    unlock();
}

void writeAllFd(int fd, const void* data, size_t n, const std::filesystem::path& path, const IoFaults* faults,
                uint64_t offsetHint)
{
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        if (faults && faults->beforeWrite) {
            int err = faults->beforeWrite(path, offsetHint, n);
            if (err != 0)
                throw IoError{err, path};
        }
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            throw IoError{errno, path};
        }
        if (w == 0)
            throw IoError{ENOSPC, path};
        p += w;
        n -= size_t(w);
        offsetHint += uint64_t(w);
    }
}

} // namespace qm::zip
