#include "platform/fs/FileLock.h"

#include "platform/fs/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qm::fs {

FileLock::~FileLock()
{
    release();
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void FileLock::release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

static int openForLock(const std::filesystem::path& native, FileLock::Mode mode, bool create)
{
    // An exclusive lock goes through a descriptor open for writing where the
    // file may be written: NFS stands byte-range locks in for flock and grants
    // it through no other. flock itself does not need write access, so
    // read-only files can be locked too.
    int fd = mode == FileLock::Mode::Exclusive ? ::open(native.c_str(), O_RDWR | O_CLOEXEC) : -1;
    if (fd < 0)
        fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && create)
        fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    return fd;
}

FileLock FileLock::take(const std::filesystem::path& native, Mode mode, bool create, bool wait)
{
    int fd = openForLock(native, mode, create);
    if (fd < 0)
        throw rtErrorFromErrno(errno, native.string(), native);
    int op = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | (wait ? 0 : LOCK_NB);
    int rc;
    while ((rc = ::flock(fd, op)) != 0 && errno == EINTR) {
    }
    FileLock lock;
    if (rc == 0) {
        lock.fd_ = fd;
        return lock;
    }
    int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK)
        return lock;
    throw rtErrorFromErrno(err, native.string());
}

FileLock FileLock::acquire(const std::filesystem::path& native, Mode mode, bool create)
{
    return take(native, mode, create, true);
}

FileLock FileLock::tryAcquire(const std::filesystem::path& native, Mode mode, bool create)
{
    return take(native, mode, create, false);
}

FileLock lockForUpdate(const std::filesystem::path& file)
{
    std::error_code ec;
    std::filesystem::path real = std::filesystem::weakly_canonical(file, ec);
    std::filesystem::path folder = (ec ? file : real).parent_path();
    if (folder.empty())
        folder = ".";
    try {
        return FileLock::acquire(folder, FileLock::Mode::Exclusive);
    } catch (const qm::RtError&) {
        return {};
    }
}

bool isFileLocked(const std::filesystem::path& native)
{
    try {
        return !FileLock::tryAcquire(native, FileLock::Mode::Exclusive);
    } catch (const qm::RtError&) {
        return false;
    }
}

namespace {

timespec toTimespec(std::chrono::system_clock::time_point t)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    if (ts.tv_nsec < 0) { // before 1970
        ts.tv_nsec += 1000000000;
        ts.tv_sec -= 1;
    }
    return ts;
}

} // namespace

bool setTimesUnlessLocked(const std::filesystem::path& native, std::chrono::system_clock::time_point accessed,
                          std::chrono::system_clock::time_point modified)
{
    const int fd = ::open(native.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool usable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) &&
                        ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const timespec times[2] = {toTimespec(accessed), toTimespec(modified)};
    const bool done = usable && ::futimens(fd, times) == 0;
    ::close(fd);
    return done;
}

} // namespace qm::fs
