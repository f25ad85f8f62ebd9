#include "platform/fs/OwnedTemp.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fs {

namespace {

constexpr size_t HexDigits = 16;
constexpr std::string_view Suffix = ".tmp";

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

std::string randomHex()
{
    unsigned char rnd[HexDigits / 2];
    if (::getentropy(rnd, sizeof rnd) != 0) {
        // No entropy source: a clock and a counter still differ from call to call.
        static unsigned counter = 0;
        uint64_t v = uint64_t(::getpid()) * 0x9E3779B97F4A7C15ull ^ uint64_t(++counter) ^
                     uint64_t(reinterpret_cast<uintptr_t>(&counter));
        std::memcpy(rnd, &v, sizeof rnd);
    }
    char buf[HexDigits + 1];
    for (size_t i = 0; i < sizeof rnd; ++i)
        std::snprintf(buf + 2 * i, 3, "%02x", rnd[i]);
    return std::string(buf, HexDigits);
}

int lockWaiting(int fd)
{
    int rc;
    while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    return rc;
}

int openFolder(const std::filesystem::path& folder)
{
    return ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

bool isOwnedTempName(std::string_view name, std::string_view stem)
{
    if (name.size() != stem.size() + HexDigits + Suffix.size() || name.substr(0, stem.size()) != stem ||
        name.substr(name.size() - Suffix.size()) != Suffix)
        return false;
    for (char c : name.substr(stem.size(), HexDigits))
        if (!isHex(c))
            return false;
    return true;
}

std::string nameHash(std::string_view text)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    char buf[HexDigits + 1];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

int createOwnedTemp(int dirfd, std::string_view stem, std::string& name, unsigned mode)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = std::string(stem) + randomHex() + std::string(Suffix);
        int fd = ::openat(dirfd, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode_t(mode));
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // A file system without locks keeps the file unlocked: no one removes it then.
        if (lockWaiting(fd) != 0 && errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL) {
            int err = errno;
            ::close(fd);
            ::unlinkat(dirfd, candidate.c_str(), 0);
            errno = err;
            return -1;
        }
        // Between making and locking, a clean-up may have taken it for a
        // leftover: then it has no name any more, and another is made.
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        name = std::move(candidate);
        return fd;
    }
    errno = EEXIST;
    return -1;
}

int linkUnnamed(int fd, int dirfd, const std::string& name)
{
    // Naming a descriptor by its entry under /proc needs no privilege.
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, self, dirfd, name.c_str(), AT_SYMLINK_FOLLOW);
}

int linkOwnedTemp(int fd, int dirfd, std::string_view stem, std::string& name)
{
    // Locked before it has a name, so that no clean-up ever takes it for a leftover.
    if (lockWaiting(fd) != 0 && errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL)
        return -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = std::string(stem) + randomHex() + std::string(Suffix);
        if (linkUnnamed(fd, dirfd, candidate) != 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        name = std::move(candidate);
        return 0;
    }
    errno = EEXIST;
    return -1;
}

int createOwnedTemp(const std::filesystem::path& folder, std::string_view stem, std::string& name, unsigned mode)
{
    int dir = openFolder(folder);
    if (dir < 0)
        return -1;
    int fd = createOwnedTemp(dir, stem, name, mode);
    int err = errno;
    ::close(dir);
    errno = err;
    return fd;
}

bool foldsCase(int dirfd, std::string_view stem)
{
    removeStaleTemps(dirfd, stem); // what a killed probe left
    std::string name;
    const int fd = createOwnedTemp(dirfd, stem, name, 0600);
    if (fd < 0)
        return true;
    std::string capitals = name;
    for (char& c : capitals)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    struct stat st {};
    const bool folds = capitals != name && ::fstatat(dirfd, capitals.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    ::unlinkat(dirfd, name.c_str(), 0);
    ::close(fd);
    return folds;
}

int removeStaleTemps(int dirfd, std::string_view stem)
{
    int copy = ::dup(dirfd);
    if (copy < 0)
        return 0;
    DIR* d = ::fdopendir(copy);
    if (!d) {
        ::close(copy);
        return 0;
    }
    ::rewinddir(d);
    int removed = 0;
    while (dirent* e = ::readdir(d)) {
        if (!isOwnedTempName(e->d_name, stem))
            continue;
        int fd = ::openat(dirfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // Removed while locked, so that its maker (were it alive after all)
        // sees the name gone and makes another.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::unlinkat(dirfd, e->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(d);
    return removed;
}

int removeStaleTemps(const std::filesystem::path& folder, std::string_view stem)
{
    int dir = openFolder(folder);
    if (dir < 0)
        return 0;
    int n = removeStaleTemps(dir, stem);
    ::close(dir);
    return n;
}

} // namespace qm::fs
