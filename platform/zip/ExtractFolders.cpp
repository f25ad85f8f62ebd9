#include "platform/zip/ExtractFolders.h"

#include "platform/fs/WinPath.h"
#include "platform/zip/Names.h"
#include "platform/zip/ResultCodes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

Fd::~Fd()
{
    if (fd >= 0)
        ::close(fd);
}

Fd openFolders(int root, const std::vector<std::string>& comps, size_t count, int& reason, bool* made)
{
    Fd cur(::dup(root));
    if (cur.fd < 0) {
        reason = skip::CannotWrite;
        return Fd();
    }
    for (size_t i = 0; i < count; ++i) {
        const char* c = comps[i].c_str();
        int next = ::openat(cur.fd, c, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(cur.fd, c, 0777) == 0) {
                if (made && i + 1 == count)
                    *made = true;
            } else if (errno != EEXIST) {
                reason = skip::CannotWrite;
                return Fd();
            }
            next = ::openat(cur.fd, c, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            struct stat st {};
            if (::fstatat(cur.fd, c, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                reason = skip::LinkInPath;
            else
                reason = skip::CannotWrite;
            return Fd();
        }
        cur = Fd(next);
    }
    return cur;
}

Fd openExisting(int root, const std::vector<std::string>& comps, size_t& reached)
{
    Fd cur(::dup(root));
    for (reached = 0; reached < comps.size() && cur.fd >= 0; ++reached) {
        int next = ::openat(cur.fd, comps[reached].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            break;
        cur = Fd(next);
    }
    return cur;
}

int NearestFolder::of(std::string_view entryName)
{
    std::optional<std::vector<std::string>> comps = names::safeComponents(entryName);
    if (!comps)
        return -1;
    leaf_ = std::move(comps->back()); // the file's own name
    comps->pop_back();
    if (!keep_)
        comps->clear();
    if (dir_.fd < 0 || *comps != folders_) {
        size_t reached = 0;
        dir_ = openExisting(root_, *comps, reached);
        whole_ = dir_.fd >= 0 && reached == comps->size();
        folders_ = std::move(*comps);
    }
    return dir_.fd >= 0 ? dir_.fd : root_;
}

bool NearestFolder::target(struct stat& st) const
{
    return whole_ && ::fstatat(dir_.fd, leaf_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

std::string shownTarget(const std::string& folder, const std::vector<std::string>& comps)
{
    std::string t = folder;
    for (const std::string& c : comps)
        t = qm::fs::joinPath(t, c);
    return t;
}

std::string joined(const std::vector<std::string>& comps)
{
    std::string j;
    for (const std::string& c : comps)
        j += (j.empty() ? "" : "/") + c;
    return j;
}

bool unnamedFilesWork(int dir)
{
    if (::access("/proc/self/fd", X_OK) != 0)
        return false;
    int fd = ::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace qm::zip
