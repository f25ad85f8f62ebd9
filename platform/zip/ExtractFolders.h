#pragma once
// The folders an extraction writes into: opened one by one below the
// extraction folder, made where missing, never through a symbolic link.
// Internal to the control.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace qm::zip {

// An open descriptor, closed with the object.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    ~Fd();
    Fd(Fd&& o) noexcept : fd(o.fd) { o.fd = -1; }
    Fd& operator=(Fd&& o) noexcept
    {
        std::swap(fd, o.fd);
        return *this;
    }
};

// Opens (making them when missing) the folders `comps[0..count)` below
// `root`, never following a symbolic link. Gives -1 and the skip reason.
// `made` tells whether the last of them was made here.
Fd openFolders(int root, const std::vector<std::string>& comps, size_t count, int& reason, bool* made = nullptr);

// The folder that the files of one folder go to, opened once for all of them.
class FolderCache {
public:
    explicit FolderCache(const Fd& root) : root_(root) {}
    // How the folder of a call came: kept open from the last call, opened
    // now, or made now.
    enum class Opened { Kept, Found, Made };
    // The open folder `comps[0..count)`, or -1 and the skip reason.
    int open(const std::vector<std::string>& comps, size_t count, int& reason, Opened& how)
    {
        how = Opened::Kept;
        if (dir_.fd >= 0 && count == comps_.size() && std::equal(comps_.begin(), comps_.end(), comps.begin()))
            return dir_.fd;
        bool made = false;
        dir_ = openFolders(root_.fd, comps, count, reason, &made);
        comps_.assign(comps.begin(), comps.begin() + std::ptrdiff_t(count));
        how = made ? Opened::Made : Opened::Found;
        return dir_.fd;
    }

private:
    const Fd& root_;
    std::vector<std::string> comps_;
    Fd dir_;
};

// Opens the folders `comps` below `root` as far as they exist, making none
// and following no link: the deepest one reached, and in `reached` how many
// of them it is down.
Fd openExisting(int root, const std::vector<std::string>& comps, size_t& reached);

// Where a worker of an extraction makes the file of an entry: the folder
// nearest to the file's place that exists already (its own, or the closest
// one above it, of whose group and default permissions a folder made below
// it partakes too), so that the file gets what a file made in its place
// would get. Kept open for the next file of the same folder. One a thread.
class NearestFolder {
public:
    NearestFolder(int root, bool keepFolderNames) : root_(root), keep_(keepFolderNames) {}
    // The open folder, or -1 when the name would leave the extraction folder.
    int of(std::string_view entryName);
    // What stands now at the place of the file of the last call: false
    // when nothing does (its folder may not even exist yet).
    bool target(struct stat& st) const;

private:
    int root_;
    bool keep_;
    std::vector<std::string> folders_; // of the last file
    std::string leaf_;                 // its name
    Fd dir_;
    bool whole_ = false; // dir_ is the file's own folder
};

// A folder in Windows form joined with the components, as events show a target.
std::string shownTarget(const std::string& folder, const std::vector<std::string>& comps);
// The components joined with "/".
std::string joined(const std::vector<std::string>& comps);

// Whether files without a name can be made in the open folder `dir` (and
// named later), as the workers of an extraction make theirs.
bool unnamedFilesWork(int dir);

} // namespace qm::zip
