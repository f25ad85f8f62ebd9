#include "platform/fs/Handles.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/OwnedTemp.h"

#include <utility>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm::fs {

namespace {

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

void closeKeepingErrno(int fd)
{
    const int err = errno;
    ::close(fd);
    errno = err;
}

} // namespace

int InputFile::open(const std::filesystem::path& native)
{
    close();
    // Opened without waiting, so that a pipe nobody writes to cannot hold the caller.
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ENOENT;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = std::uint64_t(st.st_size);
    return 0;
}

std::optional<FileKey> InputFile::key() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return std::nullopt;
    return FileKey{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                   std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void InputFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

std::size_t InputFile::readAt(std::uint64_t offset, void* buf, std::size_t n) const
{
    auto* out = static_cast<unsigned char*>(buf);
    std::size_t done = 0;
    while (done < n && fd_ >= 0) {
        const ssize_t got = ::pread(fd_, out + done, n - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept : fd_(other.fd_)
{
    other.fd_ = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    std::swap(fd_, other.fd_);
    return *this;
}

int FolderHandle::open(const std::filesystem::path& native)
{
    const int fd = ::open(native.c_str(), FolderFlags);
    if (fd < 0)
        return errno;
    close();
    fd_ = fd;
    return 0;
}

void FolderHandle::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

int FolderHandle::openChild(const std::string& name, FolderHandle& out) const
{
    const int fd = ::openat(fd_, name.c_str(), FolderFlags | O_NOFOLLOW);
    if (fd < 0)
        return errno;
    out.close();
    out.fd_ = fd;
    return 0;
}

int FolderHandle::makeChild(const std::string& name) const
{
    return ::mkdirat(fd_, name.c_str(), 0777) == 0 ? 0 : errno;
}

std::optional<FolderHandle::Entry> FolderHandle::entry(const std::string& name) const
{
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    Entry e;
    e.kind = S_ISREG(st.st_mode)   ? Kind::File
             : S_ISDIR(st.st_mode) ? Kind::Folder
             : S_ISLNK(st.st_mode) ? Kind::Link
                                   : Kind::Other;
    e.modified = std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
        std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
    return e;
}

void FolderHandle::removeTree(const std::string& name) const
{
    std::optional<Entry> e = entry(name);
    if (!e)
        return;
    if (e->kind != Kind::Folder) {
        ::unlinkat(fd_, name.c_str(), 0);
        return;
    }
    FolderHandle child;
    if (openChild(name, child) != 0)
        return;
    const int listFd = ::dup(child.fd_);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    std::vector<std::string> names;
    while (dirent* d = ::readdir(dir)) {
        const std::string n = d->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    ::closedir(dir);
    for (const std::string& n : names)
        child.removeTree(n);
    ::unlinkat(fd_, name.c_str(), AT_REMOVEDIR);
}

bool PendingFile::create(const FolderHandle& folder, const std::string& leaf)
{
    discard();
    dirfd_ = ::dup(folder.fd());
    if (dirfd_ < 0)
        return false;
    // What a killed writer of the same file left is removed first; this
    // one is held while it is written, so no one takes it for a leftover.
    const std::string stem = tempStem(leaf);
    removeStaleTemps(dirfd_, stem);
    std::string name;
    const int fd = createOwnedTemp(dirfd_, stem, name, 0600);
    if (fd < 0) {
        closeKeepingErrno(dirfd_);
        dirfd_ = -1;
        return false;
    }
    fd_ = fd;
    temp_ = std::move(name);
    leaf_ = leaf;
    return true;
}

bool PendingFile::write(const void* p, std::size_t n)
{
    const auto* at = static_cast<const unsigned char*>(p);
    while (n > 0) {
        const ssize_t got = ::write(fd_, at, n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = ENOSPC;
            return false;
        }
        at += got;
        n -= std::size_t(got);
    }
    return true;
}

bool PendingFile::commit(unsigned mode, std::chrono::system_clock::time_point modified)
{
    if (fd_ < 0)
        return false;
    ::fchmod(fd_, mode & 07777);
    const auto since = modified.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(since);
    struct timespec ts[2];
    ts[0].tv_sec = time_t(seconds.count());
    ts[0].tv_nsec = long(std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count());
    ts[1] = ts[0];
    ::futimens(fd_, ts);
    bool ok = ::close(fd_) == 0;
    fd_ = -1;
    ok = ok && ::renameat(dirfd_, temp_.c_str(), dirfd_, leaf_.c_str()) == 0;
    if (ok)
        temp_.clear();
    discard();
    return ok;
}

void PendingFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (dirfd_ >= 0) {
        if (!temp_.empty())
            ::unlinkat(dirfd_, temp_.c_str(), 0);
        ::close(dirfd_);
    }
    dirfd_ = -1;
    temp_.clear();
}

FolderMade makeHostFolder(const std::filesystem::path& native, unsigned mode)
{
    if (::mkdir(native.c_str(), mode_t(mode & 07777)) == 0)
        return FolderMade::Made;
    return errno == EEXIST ? FolderMade::Exists : errno == ENOENT ? FolderMade::ParentMissing : FolderMade::Failed;
}

unsigned newFileMode()
{
    // Read where the system shows it, so that no other thread ever creates
    // a file while the mask is changed to be read.
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found)
            return 0666u & ~mask;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~unsigned(mask);
}

} // namespace qm::fs
