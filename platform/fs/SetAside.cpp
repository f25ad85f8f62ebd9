#include "platform/fs/SetAside.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fs {

std::filesystem::path SetAside::asideName(const std::filesystem::path& native)
{
    return native.parent_path() / ("." + native.filename().string() + ".previous");
}

namespace {

// Opens the file `path` to lock it, changing nothing of it. For writing
// where it may be written: NFS stands byte-range locks in for flock and
// grants an exclusive one only through a descriptor open for writing.
int openToLock(const std::filesystem::path& path)
{
    constexpr int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    const int fd = ::open(path.c_str(), O_RDWR | flags);
    return fd >= 0 ? fd : ::open(path.c_str(), O_RDONLY | flags);
}

// 0 when the lock `op` is taken on `fd` at once, else the errno value.
int lockNow(int fd, int op)
{
    int rc;
    while ((rc = ::flock(fd, op | LOCK_NB)) != 0 && errno == EINTR) {
    }
    return rc == 0 ? 0 : errno;
}

// Renames `from` to `to` only where nothing has that name (else false, with
// errno EEXIST), so that two runs never take one hidden name.
bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system that cannot (NFS): a second name first, which never
    // replaces one; then the first goes.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    // Nor that (FAT): the look and the rename are two steps there.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Makes the empty file `path` where nothing has that name, locked (`op`)
// from the moment it has it: first unnamed, then linked to its name. Gives
// its descriptor, or -1 with errno (EEXIST: the name is taken).
int makeLocked(const std::filesystem::path& path, int op)
{
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        lockNow(fd, op);
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return fd;
        const int err = errno;
        ::close(fd);
        if (err == EEXIST || err == ENOSPC || err == EDQUOT) {
            errno = err;
            return -1;
        }
    }
    // A file system without unnamed files: named at once, locked a moment later.
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0)
        lockNow(fd, op);
    return fd;
}

// Whether `path` still names the file open as `fd`.
bool stillNamed(int fd, const std::filesystem::path& path)
{
    struct stat open {}, named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

} // namespace

SetAside::Keeper SetAside::keeperOf(const std::filesystem::path& aside)
{
    // A lock granted on a file its keeper dropped a moment ago tells nothing
    // of the one under the name now: that one is asked again. A name that
    // changes on every look is a live run's.
    for (int look = 0; look < 16; ++look) {
        const int fd = openToLock(aside);
        if (fd < 0)
            return errno == ENOENT ? Keeper::Nobody : Keeper::Unreadable;
        int err = lockNow(fd, LOCK_EX);
        // A keeper that covers the place holds a shared lock, which another
        // shared one meets without waiting.
        if (err == EWOULDBLOCK) {
            const bool covering = lockNow(fd, LOCK_SH) == 0;
            const bool named = stillNamed(fd, aside);
            ::close(fd);
            if (!covering)
                return Keeper::Live;
            if (named)
                return Keeper::Covering;
            continue;
        }
        // Through a descriptor that only reads, NFS grants no exclusive lock; a
        // shared one still meets a keeper's. Granted, it tells nothing: a keeper
        // that could not write the copy could not lock it either.
        if (err != 0 && lockNow(fd, LOCK_SH) == EWOULDBLOCK)
            err = EWOULDBLOCK;
        const bool named = stillNamed(fd, aside);
        ::close(fd); // drops the lock just taken, if any
        if (err == EWOULDBLOCK)
            return Keeper::Live;
        if (!named)
            continue;
        return err == 0 ? Keeper::Nobody : Keeper::NoLocks;
    }
    return Keeper::Live;
}

SetAside::Claim::Claim(const std::filesystem::path& aside, bool withoutLocks)
{
    fd_ = openToLock(aside);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const int err = lockNow(fd_, LOCK_EX);
    if (err == EWOULDBLOCK)
        return; // a live run's
    // Where no exclusive lock is had, a shared one still meets a keeper's
    // (see keeperOf); granted or not, the keeper cannot be told.
    if (err != 0 && (lockNow(fd_, LOCK_SH) == EWOULDBLOCK || !withoutLocks))
        return;
    claimed_ = stillNamed(fd_, aside);
}

SetAside::Claim::~Claim()
{
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

void announce(const SetAside::NameHook& hook, const std::filesystem::path& name)
{
    if (hook)
        hook(name);
}

// The one way a copy aside is settled; `wasFree` when it only marks a free place.
void settleCopy(const std::filesystem::path& native, const std::filesystem::path& aside, bool succeeded, bool wasFree,
                const SetAside::NameHook& hook)
{
    if (!succeeded && wasFree) {
        // What took the free place goes, then the mark.
        announce(hook, native);
        ::unlink(native.c_str());
    } else if (!succeeded) {
        announce(hook, native);
        ::rename(aside.c_str(), native.c_str());
        return;
    }
    announce(hook, aside);
    ::unlink(aside.c_str());
}

} // namespace

void SetAside::settleLeft(const std::filesystem::path& native, const std::filesystem::path& aside, bool succeeded,
                          const NameHook& hook)
{
    struct stat st {};
    if (::lstat(aside.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    settleCopy(native, aside, succeeded, st.st_size == 0, hook);
}

bool SetAside::markTaken(const std::filesystem::path& native, const NameHook& hook)
{
    return markTaken(native, asideName(native), hook);
}

bool SetAside::markTaken(const std::filesystem::path&, const std::filesystem::path& aside, const NameHook& hook)
{
    announce(hook, aside);
    const int fd = ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

SetAside::SetAside(const std::filesystem::path& native, NameHook hook, bool markFree)
    : SetAside(native, asideName(native), std::move(hook), markFree)
{
}

SetAside::SetAside(const std::filesystem::path& native, std::filesystem::path aside, NameHook hook, bool markFree,
                   Hold hold)
    : target_(native), aside_(std::move(aside)), hook_(std::move(hook))
{
    const int op = hold == Hold::Cover ? LOCK_SH : LOCK_EX;
    struct stat st {};
    // A copy waiting aside already is not settled: nothing is put over it.
    if (::lstat(aside_.c_str(), &st) == 0 || errno != ENOENT) {
        taken_ = true;
        return;
    }
    const bool free = ::lstat(target_.c_str(), &st) != 0;
    if (hold == Hold::NameOnly && !free && S_ISREG(st.st_mode)) {
        // Not while another run has the file locked, to set it aside.
        const int fd = openToLock(target_);
        const bool locked = fd >= 0 && lockNow(fd, LOCK_EX) == EWOULDBLOCK;
        if (fd >= 0)
            ::close(fd);
        if (locked) {
            taken_ = true;
            return;
        }
    }
    if (hold == Hold::NameOnly || free) {
        if (free && (errno != ENOENT || !markFree) && hold != Hold::NameOnly)
            return;
        announce(hook_, aside_);
        lock_ = makeLocked(aside_, op);
        if (lock_ < 0) {
            taken_ = errno == EEXIST;
            error_ = taken_ ? 0 : errno;
            return;
        }
        if (hold != Hold::NameOnly && ::lstat(target_.c_str(), &st) == 0) {
            // A file came back to the place before the mark had its name:
            // another run's, which had the name a moment ago.
            ::unlink(aside_.c_str());
            ::close(lock_);
            lock_ = -1;
            taken_ = true;
            return;
        }
        held_ = true;
        marker_ = hold != Hold::NameOnly;
        nameOnly_ = hold == Hold::NameOnly;
        return;
    }
    if (!S_ISREG(st.st_mode))
        return;
    // Locked before it moves, so that no other run ever takes it for what a
    // killed run left. A file that cannot be opened or locked still moves.
    lock_ = openToLock(target_);
    if (lock_ < 0 && errno == ENOENT) {
        taken_ = true; // another run moved it meanwhile
        return;
    }
    if (lock_ >= 0 && lockNow(lock_, op) == EWOULDBLOCK) {
        ::close(lock_); // another run keeps it now
        lock_ = -1;
        taken_ = true;
        return;
    }
    announce(hook_, target_);
    held_ = renameNoReplace(target_, aside_);
    struct stat locked {};
    if (held_ && lock_ >= 0 && ::fstat(lock_, &locked) == 0 &&
        (::lstat(aside_.c_str(), &st) != 0 || st.st_dev != locked.st_dev || st.st_ino != locked.st_ino)) {
        // Another run put a new file in the place between the lock and the
        // move: that one goes back, and this run holds nothing.
        held_ = false;
        renameNoReplace(aside_, target_);
        ::close(lock_);
        lock_ = -1;
        taken_ = true;
        return;
    }
    if (held_)
        return;
    // Another run took the hidden name, or moved the file, meanwhile.
    if (errno == EEXIST || errno == ENOENT)
        taken_ = true;
    else
        error_ = errno;
}

SetAside::~SetAside()
{
    settle(false);
    if (lock_ >= 0)
        ::close(lock_);
}

void SetAside::settle(bool succeeded)
{
    if (!held_)
        return;
    held_ = false;
    if (nameOnly_) {
        announce(hook_, aside_);
        ::unlink(aside_.c_str());
    } else {
        settleCopy(target_, aside_, succeeded, marker_, hook_);
    }
    if (lock_ >= 0)
        ::close(lock_);
    lock_ = -1;
}

void SetAside::release()
{
    held_ = false;
    if (lock_ >= 0)
        ::close(lock_);
    lock_ = -1;
}

} // namespace qm::fs
