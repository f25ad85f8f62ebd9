#include "platform/fs/FileOps.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/Drives.h"
#include "platform/fs/Errors.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/fs/Wildcard.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace qm::fs {

namespace {

FileTime toFileTime(const struct statx_timestamp& t)
{
    return FileTime(std::chrono::duration_cast<FileTime::duration>(
        std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec)));
}

// Information on `name` inside the folder `dirfd` (or a path with AT_FDCWD).
std::optional<FileEntry> entryAt(int dirfd, const char* name, std::string shownName)
{
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_ATIME
                          | STATX_CTIME | STATX_BTIME;
    struct statx sx {};
    if (::statx(dirfd, name, AT_SYMLINK_NOFOLLOW, mask, &sx) != 0)
        return std::nullopt;
    int attributes = 0;
    if (S_ISLNK(sx.stx_mode)) {
        attributes |= attr::Alias;
        struct statx target {};
        if (::statx(dirfd, name, 0, mask, &target) == 0)
            sx = target; // a dangling link keeps its own data
    }
    FileEntry e;
    if (S_ISDIR(sx.stx_mode))
        attributes |= attr::Directory;
    else if (S_ISREG(sx.stx_mode) || (attributes & attr::Alias))
        attributes |= attr::Archive;
    if (!(sx.stx_mode & S_IWUSR))
        attributes |= attr::ReadOnly;
    if (shownName.size() > 0 && shownName[0] == '.' && shownName != "." && shownName != "..")
        attributes |= attr::Hidden;
    e.attributes = attributes;
    e.size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
    e.modified = toFileTime(sx.stx_mtime);
    e.accessed = toFileTime(sx.stx_atime);
    if (sx.stx_mask & STATX_BTIME) {
        e.created = toFileTime(sx.stx_btime);
    } else {
        // No birth time here: the earliest time the file system does keep.
        e.created = std::min(toFileTime(sx.stx_mtime), toFileTime(sx.stx_ctime));
    }
    e.mode = sx.stx_mode;
    e.device = makedev(sx.stx_dev_major, sx.stx_dev_minor); // as stat's st_dev
    e.inode = sx.stx_ino;
    e.name = std::move(shownName);
    return e;
}

bool isRootForm(const std::string& winPath)
{
    std::string p = toBackslashes(winPath);
    if (isDriveRoot(p))
        return true;
    if (isUncPath(p)) {
        std::string r = driveRoot(p);
        return p == r || p + "\\" == r;
    }
    return false;
}

// The host path for a name that may be about to be made: every folder above
// it resolved without case, the last component kept as written (so that a
// rename can change only the case of a name).
stdfs::path nativeForCreate(const std::string& winPath)
{
    stdfs::path native = toNative(winPath);
    std::string written = fileNamePart(toBackslashes(winPath));
    if (!written.empty() && written != "." && written != ".." && native.has_filename())
        native.replace_filename(written);
    return native;
}

bool lexists(const stdfs::path& p, struct stat* out = nullptr)
{
    struct stat st {};
    bool ok = ::lstat(p.c_str(), &st) == 0;
    if (out)
        *out = st;
    return ok;
}

void deleteOne(const stdfs::path& native, const std::string& what)
{
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0)
        throw rtErrorFromErrno(errno, what, native);
    if (S_ISDIR(st.st_mode))
        throw makeRtError(rterr::PathFileAccess, what);
    // A read-only file is protected, as the programs expect.
    if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR))
        throw makeRtError(rterr::PathFileAccess, what);
    if (::unlink(native.c_str()) != 0)
        throw rtErrorFromErrno(errno, what, native);
}

} // namespace

std::optional<FileEntry> nativeInfo(const stdfs::path& native)
{
    std::string name = native.filename().string();
    if (name.empty())
        name = native.parent_path().filename().string();
    return entryAt(AT_FDCWD, native.c_str(), name);
}

std::optional<FileEntry> nativeInfoAt(int dirfd, const std::string& name)
{
    return entryAt(dirfd, name.c_str(), name);
}

FileEntry fileInfo(const std::string& winPath)
{
    stdfs::path native = toNative(winPath);
    std::optional<FileEntry> e = nativeInfo(native);
    if (!e)
        throw rtErrorFromErrno(errno, winPath, native);
    if (isRootForm(winPath))
        e->attributes &= ~attr::Hidden;
    return *e;
}

int getAttributes(const std::string& winPath)
{
    return fileInfo(winPath).attributes;
}

void setAttributes(const std::string& winPath, int attributes)
{
    stdfs::path native = toNative(winPath);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0)
        throw rtErrorFromErrno(errno, winPath, native);
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = (attributes & attr::ReadOnly) ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (wanted != mode && ::chmod(native.c_str(), wanted) != 0)
        throw rtErrorFromErrno(errno, winPath, native);
}

bool exists(const std::string& winPath) noexcept
{
    try {
        struct stat st {};
        return ::stat(toNative(winPath).c_str(), &st) == 0;
    } catch (...) {
        return false;
    }
}

bool isFolder(const std::string& winPath) noexcept
{
    try {
        struct stat st {};
        return ::stat(toNative(winPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    } catch (...) {
        return false;
    }
}

std::uint64_t fileSize(const std::string& winPath)
{
    return fileInfo(winPath).size;
}

FileTime modifiedTime(const std::string& winPath)
{
    return fileInfo(winPath).modified;
}

void setModifiedTime(const std::string& winPath, FileTime time)
{
    stdfs::path native = toNative(winPath);
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(ns / 1000000000);
    times[1].tv_nsec = static_cast<long>(ns % 1000000000);
    if (times[1].tv_nsec < 0) { // before 1970
        times[1].tv_nsec += 1000000000;
        times[1].tv_sec -= 1;
    }
    if (::utimensat(AT_FDCWD, native.c_str(), times, 0) != 0)
        throw rtErrorFromErrno(errno, winPath, native);
}

std::vector<FileEntry> listFolder(const std::string& winFolder, std::string_view mask)
{
    stdfs::path native = toNative(winFolder);
    int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        throw rtErrorFromErrno(err == ENOENT ? ENOTDIR : err, winFolder);
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        int err = errno;
        ::close(fd);
        throw rtErrorFromErrno(err, winFolder);
    }
    std::vector<FileEntry> out;
    while (dirent* d = ::readdir(dir)) {
        std::string_view name = d->d_name;
        if (name == "." || name == ".." || !matchesMask(name, mask))
            continue;
        // An entry that went away meanwhile is simply not listed.
        if (std::optional<FileEntry> e = entryAt(fd, d->d_name, std::string(name)))
            out.push_back(std::move(*e));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(),
              [](const FileEntry& a, const FileEntry& b) { return lessNoCase(a.name, b.name); });
    return out;
}

std::vector<std::string> dirNames(const std::string& winPathMask, int attributes)
{
    std::string p = toBackslashes(winPathMask);
    if (attributes == attr::Volume) {
        char letter = driveLetter(p);
        std::optional<Drive> d = findDrive(letter ? letter : 'C');
        if (!d || d->label.empty())
            return {};
        return {d->label};
    }
    std::string folder;
    std::string mask(1, '*');
    if (p.empty() || p.back() == '\\' || isDriveRoot(p)) {
        folder = p.empty() ? "." : withTrailingBackslash(p);
    } else {
        folder = parentFolder(p);
        mask = fileNamePart(p);
        if (folder.empty())
            folder = (p.size() >= 2 && p[1] == ':') ? p.substr(0, 2) + "\\" : ".";
    }
    if (!isFolder(folder)) {
        toNative(folder); // a bad name or an unready drive still reports itself
        return {};
    }
    std::vector<std::string> names;
    if ((attributes & attr::Directory) && !isRootForm(withoutTrailingBackslash(folder))) {
        for (const char* dot : {".", ".."})
            if (matchesMask(dot, mask))
                names.push_back(dot);
    }
    const int optional = attr::Hidden | attr::System | attr::Directory;
    for (const FileEntry& e : listFolder(folder, mask)) {
        int needed = e.attributes & optional;
        if ((needed & attributes) == needed)
            names.push_back(e.name);
    }
    return names;
}

void makeFolder(const std::string& winPath)
{
    stdfs::path native = toNative(winPath);
    if (::mkdir(native.c_str(), 0777) != 0) {
        int err = errno;
        throw rtErrorFromErrno(err == ENOENT ? ENOTDIR : err, winPath);
    }
}

void makeFolders(const std::string& winPath)
{
    stdfs::path native = toNative(winPath);
    std::error_code ec;
    stdfs::create_directories(native, ec);
    if (ec) {
        int err = ec.value();
        throw rtErrorFromErrno(err == EEXIST ? ENOTDIR : err, winPath);
    }
}

void removeFolder(const std::string& winPath)
{
    stdfs::path native = toNative(winPath);
    if (::rmdir(native.c_str()) != 0) {
        int err = errno;
        throw rtErrorFromErrno(err == ENOENT ? ENOTDIR : err, winPath);
    }
}

void deleteFile(const std::string& winPathMask)
{
    std::string p = toBackslashes(winPathMask);
    std::string mask = fileNamePart(p);
    if (!hasWildcards(mask)) {
        deleteOne(toNative(p), winPathMask);
        return;
    }
    std::string folder = parentFolder(p);
    if (folder.empty())
        folder = (p.size() >= 2 && p[1] == ':') ? p.substr(0, 2) + "\\" : ".";
    std::vector<FileEntry> entries;
    try {
        entries = listFolder(folder, mask);
    } catch (const RtError& e) {
        if (e.number == rterr::PathNotFound)
            throw makeRtError(rterr::FileNotFound, winPathMask);
        throw;
    }
    stdfs::path nativeFolder = toNative(folder);
    int deleted = 0;
    for (const FileEntry& e : entries) {
        if (e.attributes & (attr::Directory | attr::Hidden | attr::System))
            continue;
        deleteOne(nativeFolder / e.name, joinPath(folder, e.name));
        ++deleted;
    }
    if (deleted == 0)
        throw makeRtError(rterr::FileNotFound, winPathMask);
}

void deleteNamedFile(const std::string& winPath) { deleteOne(toNative(toBackslashes(winPath)), winPath); }

bool removeName(const stdfs::path& native) noexcept { return ::unlink(native.c_str()) == 0; }

bool keepToOwner(const stdfs::path& native) noexcept
{
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 07777 & ~0600u) == 0)
        return false;
    // Opened without following a link that took the name meanwhile; changed
    // only when it is still that file.
    const int fd = ::open(native.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat now {};
    const bool same = ::fstat(fd, &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    const bool changed = same && ::fchmod(fd, now.st_mode & 0600) == 0;
    ::close(fd);
    return changed;
}

void renameFile(const std::string& from, const std::string& to)
{
    stdfs::path src = toNative(from);
    struct stat sst {};
    if (!lexists(src, &sst))
        throw rtErrorFromErrno(ENOENT, from, src);
    stdfs::path dst = nativeForCreate(to);
    stdfs::path existing = toNative(to); // the name as it may already exist, in any case
    struct stat dst_st {};
    if (lexists(existing, &dst_st)) {
        bool sameFile = dst_st.st_dev == sst.st_dev && dst_st.st_ino == sst.st_ino;
        if (!sameFile)
            throw makeRtError(rterr::FileAlreadyExists, to);
        if (::rename(src.c_str(), dst.c_str()) != 0) // the same file: a change of case only
            throw rtErrorFromErrno(errno, to, dst);
        return;
    }
    if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0)
        return;
    int err = errno;
    if (err == EINVAL || err == ENOSYS) { // the file system cannot refuse to replace
        if (::rename(src.c_str(), dst.c_str()) == 0)
            return;
        err = errno;
    }
    if (err == EEXIST)
        throw makeRtError(rterr::FileAlreadyExists, to);
    if (err == EXDEV && S_ISREG(sst.st_mode)) {
        copyFileAtomic(src, dst);
        if (::unlink(src.c_str()) != 0) {
            int unlinkErr = errno;
            ::unlink(dst.c_str()); // the move did not happen: keep one copy only
            throw rtErrorFromErrno(unlinkErr, from, src);
        }
        return;
    }
    throw rtErrorFromErrno(err, to, dst);
}

void copyFile(const std::string& from, const std::string& to)
{
    stdfs::path src = toNative(from);
    stdfs::path dst = toNative(to);
    struct stat st {};
    if (::stat(dst.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw makeRtError(rterr::PathFileAccess, to);
        // The file itself (the same name, or a link to it): a copy would
        // only put a link or a name out of place, so it is refused.
        struct stat sst {};
        if (::stat(src.c_str(), &sst) == 0 && sst.st_dev == st.st_dev && sst.st_ino == st.st_ino)
            throw qm::RtError(rterr::PathFileAccess, "The source and the target are the same file: " + to);
    }
    copyFileAtomic(src, dst);
}

DiskSpace diskSpace(const std::string& winPath)
{
    stdfs::path native = toNative(winPath);
    struct statvfs vfs {};
    while (::statvfs(native.c_str(), &vfs) != 0) {
        if (errno != ENOENT || !native.has_relative_path())
            throw rtErrorFromErrno(errno, winPath);
        native = native.parent_path();
    }
    DiskSpace d;
    d.available = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    d.free = static_cast<std::uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    d.total = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return d;
}

} // namespace qm::fs
