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
#include <sys/stat.h>

namespace qm::zip {

namespace dt = qm::datetime;
namespace stdfs = std::filesystem;

namespace {

int64_t seconds(const qm::fs::FileTime& t)
{
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

bool startsWithFolder(const std::string& path, const std::string& folder)
{
    std::string f = qm::fs::withoutTrailingBackslash(folder);
    if (path.size() <= f.size())
        return false;
    if (!qm::fs::equalsNoCase(std::string_view(path).substr(0, f.size()), f))
        return false;
    return path[f.size()] == '\\' || f.back() == '\\';
}

class Walker {
public:
    Walker(const GatherSettings& s, const GatherCallbacks& cb, std::vector<SourceItem>& out)
        : s_(s), cb_(cb), out_(out)
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
                    walk(pn, parent, mask, st);
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
            walk(native, full, "*", st);
        else
            single(native, full);
    }

private:
    void report(const std::string& source, int reason)
    {
        if (cb_.skipped)
            cb_.skipped(source, reason);
    }

    std::string storedName(const std::string& win, bool folder) const
    {
        if (!s_.keepFolderNames)
            return names::toStored(qm::fs::fileNamePart(win), folder);
        if ((relative_ || s_.sourceFolderGiven) && startsWithFolder(win, s_.baseFolder)) {
            std::string base = qm::fs::withoutTrailingBackslash(s_.baseFolder);
            size_t cut = base.size() + (base.back() == '\\' ? 0 : 1);
            return names::toStored(win.substr(cut), folder);
        }
        return names::toStored(win, folder);
    }

    bool leftOut(const struct stat& st) const
    {
        return s_.leaveOut.count({uint64_t(st.st_dev), uint64_t(st.st_ino)}) != 0;
    }

    // One file named outright.
    void single(const stdfs::path& native, const std::string& win)
    {
        std::optional<qm::fs::FileEntry> info = qm::fs::nativeInfo(native);
        struct stat st {};
        if (!info || ::stat(native.c_str(), &st) != 0) {
            report(win, skip::NotFound);
            return;
        }
        if (leftOut(st))
            return;
        addFile(native, win, *info, st);
    }

    void addFile(const stdfs::path& native, const std::string& win, const qm::fs::FileEntry& info,
                 const struct stat& st)
    {
        if (!S_ISREG(st.st_mode)) {
            report(win, skip::NotRegularFile);
            return;
        }
        SourceItem it;
        it.native = native;
        it.source = win;
        it.name = storedName(win, false);
        it.size = uint64_t(st.st_size);
        it.attributes = info.attributes;
        it.mode = st.st_mode & 07777;
        it.times.modified = seconds(info.modified);
        it.times.accessed = seconds(info.accessed);
        it.times.created = seconds(info.created);
        if (it.name.empty()) {
            report(win, skip::InvalidName);
            return;
        }
        dt::DateTime modified = dt::fromTimeT(static_cast<std::time_t>(*it.times.modified));
        if (!s_.filters.passFile(it.name, it.attributes, it.size, modified))
            return;
        out_.push_back(std::move(it));
    }

    void walk(const stdfs::path& dir, const std::string& win, const std::string& mask, const struct stat& dirStat)
    {
        std::pair<uint64_t, uint64_t> id{uint64_t(dirStat.st_dev), uint64_t(dirStat.st_ino)};
        if (std::find(stack_.begin(), stack_.end(), id) != stack_.end())
            return; // a link back to a folder above: walked already
        stack_.push_back(id);
        std::vector<std::string> names;
        if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..")
                    names.push_back(std::move(n));
            }
            ::closedir(d);
        } else {
            report(win, skip::CannotRead);
        }
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return qm::fs::lessNoCase(a, b); });
        bool everything = mask == "*" || mask == "*.*";
        for (const std::string& n : names) {
            if (cb_.tick)
                cb_.tick();
            stdfs::path child = dir / n;
            std::string childWin = qm::fs::joinPath(win, n);
            std::optional<qm::fs::FileEntry> info = qm::fs::nativeInfo(child);
            struct stat st {};
            bool ok = info && ::stat(child.c_str(), &st) == 0;
            if (!ok) {
                if (everything || qm::fs::matchesMask(n, mask))
                    report(childWin, skip::CannotRead); // a dangling link, or gone meanwhile
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                if (!s_.includeSubfolders)
                    continue;
                // The filters judge the folder's own entry; its files are judged one by one.
                if (everything && s_.keepFolderNames && s_.filters.passFolder(info->attributes)) {
                    SourceItem f;
                    f.native = child;
                    f.source = childWin;
                    f.name = storedName(childWin, true);
                    f.folder = true;
                    f.attributes = info->attributes;
                    f.mode = st.st_mode & 07777;
                    f.times.modified = seconds(info->modified);
                    f.times.accessed = seconds(info->accessed);
                    f.times.created = seconds(info->created);
                    if (!f.name.empty())
                        out_.push_back(std::move(f));
                }
                walk(child, childWin, mask, st);
                continue;
            }
            if (!everything && !qm::fs::matchesMask(n, mask))
                continue;
            if (leftOut(st))
                continue;
            addFile(child, childWin, *info, st);
        }
        stack_.pop_back();
    }

    const GatherSettings& s_;
    const GatherCallbacks& cb_;
    std::vector<SourceItem>& out_;
    std::vector<std::pair<uint64_t, uint64_t>> stack_;
    bool relative_ = true;
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

std::vector<SourceItem> gatherSources(const GatherSettings& s, const GatherCallbacks& cb)
{
    std::vector<SourceItem> out;
    Walker w(s, cb, out);
    for (const std::string& item : s.items)
        w.item(item);
    return out;
}

} // namespace qm::zip
