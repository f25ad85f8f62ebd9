#include "platform/zip/Gather.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Wildcard.h"
#include "platform/fs/WinPath.h"
#include "platform/zip/Names.h"
#include "platform/zip/ResultCodes.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace qm::zip {

namespace dt = qm::datetime;
namespace stdfs = std::filesystem;

namespace {

int64_t seconds(const qm::fs::FileTime& t)
{
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

// `folder` without its trailing backslash (but "C:\" as it is).
bool startsWithFolder(const std::string& path, std::string_view f)
{
    if (path.size() <= f.size())
        return false;
    if (!qm::fs::equalsNoCase(std::string_view(path).substr(0, f.size()), f))
        return false;
    return path[f.size()] == '\\' || f.back() == '\\';
}

class Walker {
public:
    Walker(const GatherSettings& s, const GatherCallbacks& cb, SourceList& out)
        : s_(s), cb_(cb), out_(out), base_(qm::fs::withoutTrailingBackslash(s.baseFolder))
    {
    }

    void item(const std::string& raw)
    {
        std::string line = qm::fs::toBackslashes(raw);
        bool relative = !isAbsoluteWinPath(line);
        std::string full = normalizeWinPath(relative ? qm::fs::joinPath(s_.baseFolder, line) : line);
        relative_ = relative;
        std::string mask = qm::fs::fileNamePart(full);
        std::string parent = qm::fs::parentFolder(full);
        struct stat st {};
        if (qm::fs::hasWildcards(mask)) {
            // A mask in a folder that is not there matches nothing.
            if (parent.empty())
                return;
            try {
                stdfs::path pn = qm::fs::toNative(parent);
                if (::stat(pn.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                    walk(pn.string(), parent, mask, {uint64_t(st.st_dev), uint64_t(st.st_ino)});
            } catch (const qm::RtError&) {
            }
            return;
        }
        stdfs::path native;
        try {
            native = qm::fs::toNative(full);
        } catch (const qm::RtError& e) {
            report(full, e.number == qm::rterr::BadFileName ? skip::InvalidName : skip::NotFound);
            return;
        }
        if (::stat(native.c_str(), &st) != 0) {
            report(full, skip::NotFound);
            return;
        }
        if (S_ISDIR(st.st_mode))
            walk(native.string(), full, "*", {uint64_t(st.st_dev), uint64_t(st.st_ino)});
        else
            single(native, full);
    }

private:
    using FileId = std::pair<uint64_t, uint64_t>; // (device, inode)

    void report(const std::string& source, int reason)
    {
        if (cb_.skipped)
            cb_.skipped(source, reason);
    }

    std::string storedName(const std::string& win, bool folder) const
    {
        if (!s_.keepFolderNames)
            return names::toStored(qm::fs::fileNamePart(win), folder);
        if ((relative_ || s_.sourceFolderGiven) && startsWithFolder(win, base_)) {
            const size_t cut = base_.size() + (base_.back() == '\\' ? 0 : 1);
            return names::toStored(std::string_view(win).substr(cut), folder);
        }
        return names::toStored(win, folder);
    }

    bool leftOut(const qm::fs::FileEntry& info) const { return s_.leaveOut.count({info.device, info.inode}) != 0; }

    uint32_t addFolder(std::string native, std::string win)
    {
        out_.folders.push_back({std::move(native), std::move(win)});
        return uint32_t(out_.folders.size() - 1);
    }

    // One file named outright. Files named one by one often share a folder:
    // it is entered once.
    void single(const stdfs::path& native, const std::string& win)
    {
        std::optional<qm::fs::FileEntry> info = qm::fs::nativeInfo(native);
        if (!info || S_ISLNK(info->mode)) { // gone, or a link to nothing
            report(win, skip::NotFound);
            return;
        }
        if (leftOut(*info))
            return;
        std::string folderNative = native.parent_path().string();
        std::string folderWin = qm::fs::parentFolder(win);
        std::string key = folderNative + '\0' + folderWin;
        auto known = singleFolders_.find(key);
        uint32_t parent = known != singleFolders_.end() ? known->second
                                                        : singleFolders_[key] = addFolder(folderNative, folderWin);
        addFile(parent, native.filename().string(), win, *info, true);
    }

    void addFile(uint32_t parent, std::string leaf, const std::string& win, const qm::fs::FileEntry& info,
                 bool named)
    {
        if (!S_ISREG(info.mode)) {
            report(win, skip::NotRegularFile);
            return;
        }
        SourceItem it;
        it.parent = parent;
        it.leaf = std::move(leaf);
        if (named)
            it.shown = win;
        it.name = storedName(win, false);
        it.size = info.size;
        it.attributes = info.attributes;
        it.mode = info.mode & 07777;
        it.device = info.device;
        it.inode = info.inode;
        setTimes(it, info);
        if (it.name.empty()) {
            report(win, skip::InvalidName);
            return;
        }
        // Local time is worked out only for a date filter.
        dt::DateTime modified;
        if (s_.filters.oldest || s_.filters.newest)
            modified = dt::fromTimeT(static_cast<std::time_t>(*it.times.modified));
        if (!s_.filters.passFile(it.name, it.attributes, it.size, modified))
            return;
        out_.items.push_back(std::move(it));
    }

    static void setTimes(SourceItem& it, const qm::fs::FileEntry& info)
    {
        it.times.modified = seconds(info.modified);
        it.times.accessed = seconds(info.accessed);
        it.times.created = seconds(info.created);
    }

    void walk(const std::string& dir, const std::string& win, const std::string& mask, FileId id)
    {
        if (std::find(stack_.begin(), stack_.end(), id) != stack_.end())
            return; // a link back to a folder above: walked already
        // Every name is looked at inside the open folder, and the folder is
        // closed again before its subfolders are walked.
        std::vector<qm::fs::FileEntry> found;
        bool listed = false;
        int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            if (DIR* d = ::fdopendir(::dup(dfd))) {
                listed = true;
                while (dirent* e = ::readdir(d)) {
                    std::string n = e->d_name;
                    if (n == "." || n == "..")
                        continue;
                    std::optional<qm::fs::FileEntry> info = qm::fs::nativeInfoAt(dfd, n);
                    if (!info) {
                        info.emplace();
                        info->name = std::move(n); // gone meanwhile: mode 0
                    }
                    found.push_back(std::move(*info));
                }
                ::closedir(d);
            }
            ::close(dfd);
        }
        if (!listed)
            report(win, skip::CannotRead);
        std::sort(found.begin(), found.end(), [](const qm::fs::FileEntry& a, const qm::fs::FileEntry& b) {
            return qm::fs::lessNoCase(a.name, b.name);
        });
        stack_.push_back(id);
        const uint32_t here = addFolder(dir, win);
        const bool everything = mask == "*" || mask == "*.*";
        for (qm::fs::FileEntry& info : found) {
            if (cb_.tick)
                cb_.tick();
            const std::string& n = info.name;
            std::string childWin = qm::fs::joinPath(win, n);
            if (info.mode == 0 || S_ISLNK(info.mode)) {
                if (everything || qm::fs::matchesMask(n, mask))
                    report(childWin, skip::CannotRead); // a dangling link, or gone meanwhile
                continue;
            }
            if (S_ISDIR(info.mode)) {
                if (!s_.includeSubfolders)
                    continue;
                // The filters judge the folder's own entry; its files are judged one by one.
                if (everything && s_.keepFolderNames && s_.filters.passFolder(info.attributes)) {
                    SourceItem f;
                    f.parent = here;
                    f.leaf = n;
                    f.name = storedName(childWin, true);
                    f.folder = true;
                    f.attributes = info.attributes;
                    f.mode = info.mode & 07777;
                    f.device = info.device;
                    f.inode = info.inode;
                    setTimes(f, info);
                    if (!f.name.empty())
                        out_.items.push_back(std::move(f));
                }
                walk(dir == "/" ? "/" + n : dir + "/" + n, childWin, mask, {info.device, info.inode});
                continue;
            }
            if (!everything && !qm::fs::matchesMask(n, mask))
                continue;
            if (leftOut(info))
                continue;
            addFile(here, n, childWin, info, false);
        }
        stack_.pop_back();
    }

    const GatherSettings& s_;
    const GatherCallbacks& cb_;
    SourceList& out_;
    std::vector<FileId> stack_;
    std::unordered_map<std::string, uint32_t> singleFolders_;
    bool relative_ = true;
    const std::string base_; // the base folder without its trailing backslash
};

} // namespace

bool isAbsoluteWinPath(const std::string& path)
{
    std::string p = qm::fs::toBackslashes(path);
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\')
        return true;
    return p.size() >= 3 && qm::fs::driveLetter(p) != '\0' && p[2] == '\\';
}

std::string normalizeWinPath(const std::string& path)
{
    std::string p = qm::fs::toBackslashes(path);
    std::string root;
    size_t pos = 0;
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        // \\SERVER\share stays as the root.
        size_t a = p.find('\\', 2);
        size_t b = a == std::string::npos ? std::string::npos : p.find('\\', a + 1);
        root = p.substr(0, b);
        pos = b == std::string::npos ? p.size() : b;
    } else if (p.size() >= 2 && p[1] == ':') {
        root = p.substr(0, 2);
        pos = 2;
    }
    std::vector<std::string> parts;
    bool absolute = pos < p.size() && p[pos] == '\\';
    size_t start = pos;
    for (size_t i = pos; i <= p.size(); ++i) {
        if (i == p.size() || p[i] == '\\') {
            std::string c = p.substr(start, i - start);
            start = i + 1;
            if (c.empty() || c == ".")
                continue;
            if (c == "..") {
                if (!parts.empty() && parts.back() != "..")
                    parts.pop_back();
                else if (!absolute && root.empty())
                    parts.push_back(c);
                continue;
            }
            parts.push_back(c);
        }
    }
    std::string out = root;
    if (absolute || (!root.empty() && root[0] == '\\'))
        out += '\\';
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            out += '\\';
        out += parts[i];
    }
    return out;
}

std::string SourceList::native(const SourceItem& it) const
{
    const std::string& f = folders[it.parent].native;
    std::string path;
    path.reserve(f.size() + 1 + it.leaf.size());
    path += f;
    if (!f.empty() && f.back() != '/')
        path += '/';
    path += it.leaf;
    return path;
}

std::string SourceList::source(const SourceItem& it) const
{
    return it.shown.empty() ? qm::fs::joinPath(folders[it.parent].win, it.leaf) : it.shown;
}

SourceList gatherSources(const GatherSettings& s, const GatherCallbacks& cb)
{
    SourceList out;
    Walker w(s, cb, out);
    for (const std::string& item : s.items)
        w.item(item);
    return out;
}

} // namespace qm::zip
