#include "platform/tasksched/TaskFile.h"

#include "platform/fs/Errors.h"
#include "platform/fs/Handles.h"
#include "platform/fs/OwnedTemp.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::tasksched {

namespace {

std::filesystem::path folderOf(const std::filesystem::path& file)
{
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

[[noreturn]] void fail(int err, const std::filesystem::path& file)
{
    throw fs::rtErrorFromErrno(err, file.string(), file);
}

fs::FolderHandle openFolder(const std::filesystem::path& file)
{
    fs::FolderHandle folder;
    if (const int err = folder.open(folderOf(file)); err != 0)
        fail(err, file);
    return folder;
}

// An open file, closed when it goes; for a temporary file with a name,
// removed too unless it has taken the name of its target.
struct OpenFile {
    int fd = -1;
    int dirfd = -1;
    std::string tempName;
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!tempName.empty())
            ::unlinkat(dirfd, tempName.c_str(), 0);
    }
};

// 0, or why not all of `bytes` were written.
int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? ENOSPC : errno;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

} // namespace

std::string readTaskFile(const std::filesystem::path& file)
{
    const fs::FolderHandle folder = openFolder(file);
    const std::string leaf = file.filename().string();
    // Without waiting, so that a pipe in its place cannot hold the reader.
    OpenFile in;
    in.fd = ::openat(folder.fd(), leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int fd = in.fd;
    if (fd < 0)
        fail(errno, file);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        fail(errno, file);
    if (!S_ISREG(st.st_mode))
        throw fs::makeRtError(rterr::PathFileAccess, file.string());
    std::string text;
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(errno, file);
        if (n == 0)
            return text;
        text.append(buf, static_cast<size_t>(n));
    }
}

void writeTaskFile(const std::filesystem::path& file, std::string_view bytes)
{
    const fs::FolderHandle folder = openFolder(file);
    const std::string leaf = file.filename().string();
    // Named after the file, so that what a killed writer left is cleared
    // by the next one.
    const std::string stem = "." + leaf.substr(0, 200) + ".~";
    fs::removeStaleTemps(folder.fd(), stem);
    OpenFile temp;
    temp.dirfd = folder.fd();
    temp.fd = fs::createOwnedTemp(folder.fd(), stem, temp.tempName, 0600);
    if (temp.fd < 0)
        fail(errno, file);
    if (const int err = writeAll(temp.fd, bytes); err != 0)
        fail(err, file);
    if (::fchmod(temp.fd, 0600) != 0 || ::fsync(temp.fd) != 0)
        fail(errno, file);
    // Renamed while still open: the open file is what tells a writer's
    // temporary file from a leftover.
    if (::renameat(folder.fd(), temp.tempName.c_str(), folder.fd(), leaf.c_str()) != 0)
        fail(errno, file);
    temp.tempName.clear();
    ::fsync(folder.fd()); // best effort: the new file is in place already
}

fs::FileLock lockTaskFolder(const std::filesystem::path& file)
{
    try {
        return fs::FileLock::acquire(folderOf(file), fs::FileLock::Mode::Exclusive);
    } catch (const RtError&) {
        return {};
    }
}

} // namespace qm::tasksched
