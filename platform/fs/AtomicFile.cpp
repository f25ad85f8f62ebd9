#include "platform/fs/AtomicFile.h"

#include "platform/fs/Errors.h"
#include "platform/fs/OwnedTemp.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace qm::fs {

namespace {

// A hidden name after `leaf`, short enough that a suffix still fits the
// usual 255-byte limit.
std::string hiddenBase(const std::string& leaf)
{
    std::string base = "." + leaf;
    if (base.size() > 200)
        base.resize(200);
    return base;
}

// Opens a new, uniquely named file beside `target`, held by this program
// until it is closed; what a killed writer of the same file left is removed.
int createTemp(const stdfs::path& target, stdfs::path& tempPath)
{
    const std::string stem = tempStem(target.filename().string());
    removeStaleTemps(target.parent_path(), stem);
    std::string name;
    int fd = createOwnedTemp(target.parent_path(), stem, name, 0666);
    if (fd >= 0)
        tempPath = target.parent_path() / name;
    return fd;
}

void syncFolder(const stdfs::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename is already visible
        ::close(fd);
    }
}

// A symlink is written through, so the link itself stays in place.
stdfs::path resolveTarget(const stdfs::path& native)
{
    struct stat lst {};
    if (::lstat(native.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        std::error_code ec;
        stdfs::path resolved = stdfs::weakly_canonical(native, ec);
        if (!ec)
            return resolved;
    }
    return native;
}

} // namespace

std::string tempStem(const std::string& leaf)
{
    return hiddenBase(leaf) + ".~";
}

AtomicFileWriter::AtomicFileWriter(const stdfs::path& target)
    : target_(resolveTarget(target)), what_(target.string())
{
    if (target.filename().empty())
        throw makeRtError(rterr::BadFileName, what_);
    struct stat old {};
    bool hadOld = ::stat(target_.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode))
        throw makeRtError(rterr::PathFileAccess, what_);

    fd_ = createTemp(target_, temp_);
    if (fd_ < 0)
        throw rtErrorFromErrno(errno, what_, target_);
    if (hadOld) {
        // Owner first (allowed only to the privileged; ignored otherwise),
        // then the mode, which a change of owner could clear.
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // keeps our own ownership
        }
        if (::fchmod(fd_, old.st_mode & 07777) != 0)
            fail(errno);
    }
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

void AtomicFileWriter::fail(int err)
{
    discard();
    throw rtErrorFromErrno(err, what_, target_);
}

void AtomicFileWriter::write(std::string_view bytes)
{
    if (done_)
        throw makeRtError(rterr::BadFileName, what_);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void AtomicFileWriter::setMode(unsigned mode)
{
    if (!done_ && ::fchmod(fd_, mode & 07777) != 0)
        fail(errno);
}

void AtomicFileWriter::restrictToOwner()
{
    struct stat st {};
    if (done_)
        return;
    if (::fstat(fd_, &st) != 0 || ::fchmod(fd_, st.st_mode & 0700) != 0)
        fail(errno);
}

void AtomicFileWriter::commit()
{
    if (done_)
        throw makeRtError(rterr::BadFileName, what_);
    if (::fsync(fd_) != 0)
        fail(errno);
    // Renamed while still open: the open file is what tells a writer's
    // temporary file from a leftover.
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        fail(errno);
    done_ = true;
    ::close(fd_); // the data is on the disk already
    fd_ = -1;
    syncFolder(target_.parent_path());
}

void AtomicFileWriter::discard()
{
    if (done_)
        return;
    done_ = true;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty())
        ::unlink(temp_.c_str());
}

void writeFileAtomic(const stdfs::path& native, std::string_view bytes, Access access)
{
    AtomicFileWriter w(native);
    if (access == Access::OwnerOnly)
        w.restrictToOwner();
    w.write(bytes);
    w.commit();
}

namespace {
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

void openForReading(const stdfs::path& native, Fd& fd, struct stat& st)
{
    const std::string what = native.string();
    // Opened without waiting, so that a named pipe nobody writes to cannot
    // hold the caller; only regular files are read (a pipe, socket or device
    // could wait, or give bytes, for ever).
    fd.fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd.fd < 0)
        throw rtErrorFromErrno(errno, what, native);
    if (::fstat(fd.fd, &st) != 0)
        throw rtErrorFromErrno(errno, what);
    if (!S_ISREG(st.st_mode))
        throw makeRtError(rterr::PathFileAccess, what);
    ::fcntl(fd.fd, F_SETFL, ::fcntl(fd.fd, F_GETFL) & ~O_NONBLOCK);
}

// Reads `fd` to its end, handing each piece to `sink`.
template <class Sink>
void readAll(const Fd& fd, const stdfs::path& native, Sink sink)
{
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw rtErrorFromErrno(errno, native.string());
        }
        if (n == 0)
            break;
        sink(std::string_view(buf, static_cast<size_t>(n)));
    }
}
} // namespace

std::string readFileBytes(const stdfs::path& native)
{
    Fd fd;
    struct stat st {};
    openForReading(native, fd, st);
    std::string out;
    if (st.st_size > 0)
        out.reserve(static_cast<size_t>(st.st_size));
    readAll(fd, native, [&](std::string_view piece) { out.append(piece); });
    return out;
}

void copyFileAtomic(const stdfs::path& from, const stdfs::path& to)
{
    Fd in;
    struct stat st {};
    openForReading(from, in, st);
    AtomicFileWriter w(to);
    w.setMode(st.st_mode);
    readAll(in, from, [&](std::string_view piece) { w.write(piece); });
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(w.fd(), times); // best effort: a copy without the old time is still a copy
    w.commit();
}

} // namespace qm::fs
