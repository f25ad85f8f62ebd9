#include "platform/fs/AtomicFile.h"

#include "platform/fs/Errors.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace qm::fs {

namespace {

// Closes a descriptor on scope exit unless released.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release()
    {
        int f = fd;
        fd = -1;
        return f;
    }
};

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    auto ticks = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    char buf[64];
    std::snprintf(buf, sizeof buf, ".~%x%x%llx", static_cast<unsigned>(::getpid()),
                  counter.fetch_add(1), ticks & 0xffffffull);
    return buf;
}

// Opens a new, uniquely named file beside `target`. The name starts with a dot
// so folder listings treat it as hidden while it exists.
int createTemp(const stdfs::path& target, stdfs::path& tempPath)
{
    std::string base = "." + target.filename().string();
    if (base.size() > 200) // keep the whole name within the usual 255-byte limit
        base.resize(200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target.parent_path() / (base + uniqueSuffix() + ".tmp");
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

void syncFolder(const stdfs::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename is already visible
        ::close(fd);
    }
}

} // namespace

void writeFileAtomic(const stdfs::path& native, std::string_view bytes)
{
    const std::string what = native.string();
    stdfs::path target = native;
    if (target.filename().empty())
        throw makeRtError(rterr::BadFileName, what);

    // Write through a symlink so the link itself stays in place.
    struct stat lst {};
    if (::lstat(target.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        std::error_code ec;
        stdfs::path resolved = stdfs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }

    struct stat old {};
    bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode))
        throw makeRtError(rterr::PathFileAccess, what);

    stdfs::path tempPath;
    Fd fd{createTemp(target, tempPath)};
    if (fd.fd < 0)
        throw rtErrorFromErrno(errno, what, target);

    auto fail = [&](int err) {
        ::close(fd.release());
        ::unlink(tempPath.c_str());
        return rtErrorFromErrno(err, what, target);
    };

    if (hadOld) {
        // Owner first (may fail for ordinary users), then the mode, which a
        // change of owner could otherwise clear.
        if (::fchown(fd.fd, old.st_uid, old.st_gid) != 0) {
            // keep our own ownership
        }
        if (::fchmod(fd.fd, old.st_mode & 07777) != 0)
            throw fail(errno);
    }
    if (!writeAll(fd.fd, bytes))
        throw fail(errno);
    if (::fsync(fd.fd) != 0)
        throw fail(errno);
    if (::close(fd.release()) != 0) {
        int err = errno;
        ::unlink(tempPath.c_str());
        throw rtErrorFromErrno(err, what, target);
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(tempPath.c_str());
        throw rtErrorFromErrno(err, what, target);
    }
    syncFolder(target.parent_path());
}

std::string readFileBytes(const stdfs::path& native)
{
    const std::string what = native.string();
    Fd fd{::open(native.c_str(), O_RDONLY | O_CLOEXEC)};
    if (fd.fd < 0)
        throw rtErrorFromErrno(errno, what, native);
    struct stat st {};
    if (::fstat(fd.fd, &st) != 0)
        throw rtErrorFromErrno(errno, what);
    if (S_ISDIR(st.st_mode))
        throw makeRtError(rterr::PathFileAccess, what);

    std::string out;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw rtErrorFromErrno(errno, what);
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

} // namespace qm::fs
