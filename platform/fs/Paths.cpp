#include "platform/fs/Paths.h"

#include "platform/fs/Drives.h"
#include "platform/fs/Errors.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/WinPath.h"

#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace stdfs = std::filesystem;

namespace qm::fs {

namespace {

bool badComponent(const std::string& c)
{
    for (unsigned char ch : c)
        if (ch < 0x20 || ch == 0x7F || std::string_view("<>|\"*?:").find(static_cast<char>(ch)) != std::string_view::npos)
            return true;
    return false;
}

// Splits the part after the root into components, applying "." and "..".
std::vector<std::string> components(const std::string& rest, const std::string& what)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t cut = rest.find('\\', pos);
        if (cut == std::string::npos)
            cut = rest.size();
        std::string c = rest.substr(pos, cut - pos);
        pos = cut + 1;
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            if (!out.empty())
                out.pop_back();
            continue;
        }
        if (badComponent(c))
            throw makeRtError(rterr::BadFileName, what);
        out.push_back(c);
    }
    return out;
}

bool present(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

stdfs::path resolveUnder(stdfs::path base, const std::vector<std::string>& parts)
{
    // A path that exists as written is its own spelling (each of its
    // folders exists as written too); so is the folder of a file about to
    // be made. Only what does not exist is looked for without case.
    if (parts.empty())
        return base;
    stdfs::path folder = base;
    for (size_t i = 0; i + 1 < parts.size(); ++i)
        folder /= parts[i];
    stdfs::path whole = folder / parts.back();
    if (present(whole))
        return whole;
    size_t from = 0;
    if (parts.size() > 1 && present(folder)) {
        base = std::move(folder);
        from = parts.size() - 1;
    }
    bool matching = true;
    for (size_t i = from; i < parts.size(); ++i) {
        const std::string& c = parts[i];
        if (matching) {
            std::optional<std::string> found = entryNoCase(base, c);
            if (found) {
                base /= *found;
                continue;
            }
            matching = false; // nothing below a missing component can exist
        }
        base /= c;
    }
    return base;
}

bool isBelow(const stdfs::path& path, const stdfs::path& root, size_t& depth)
{
    auto p = path.begin();
    depth = 0;
    for (auto r = root.begin(); r != root.end(); ++r) {
        if (r->empty())
            continue; // a trailing separator
        if (p == path.end() || *p != *r)
            return false;
        ++p;
        ++depth;
    }
    return true;
}

} // namespace

std::optional<std::string> entryNoCase(const stdfs::path& folder, const std::string& name)
{
    struct stat st {};
    if (::lstat((folder / name).c_str(), &st) == 0)
        return name;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::optional<std::string> best;
    while (dirent* e = ::readdir(dir)) {
        std::string_view n = e->d_name;
        if (n == "." || n == "..")
            continue;
        if (equalsNoCase(n, name) && (!best || lessNoCase(n, *best)))
            best = std::string(n);
    }
    ::closedir(dir);
    return best;
}

stdfs::path toNative(const std::string& winPath)
{
    const std::string what = winPath;
    std::string p = toBackslashes(winPath);
    if (p.empty())
        throw makeRtError(rterr::BadFileName, what);
    for (unsigned char ch : p)
        if (ch < 0x20 || ch == 0x7F)
            throw makeRtError(rterr::BadFileName, what);

    if (isUncPath(p)) {
        std::string rest = p.substr(2);
        size_t a = rest.find('\\');
        std::string server = rest.substr(0, a);
        std::string share;
        std::string tail;
        if (a != std::string::npos) {
            size_t b = rest.find('\\', a + 1);
            share = rest.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
            if (b != std::string::npos)
                tail = rest.substr(b + 1);
        }
        if (server.empty() || share.empty() || badComponent(server) || badComponent(share))
            throw makeRtError(rterr::BadFileName, what);
        std::vector<std::string> parts = components(tail, what);
        std::optional<stdfs::path> base = resolveShare(server, share);
        if (!base)
            throw makeRtError(rterr::PathNotFound, what);
        return resolveUnder(*base, parts);
    }

    if (p.size() >= 2 && p[1] == ':') {
        if (!std::isalpha(static_cast<unsigned char>(p[0])))
            throw makeRtError(rterr::BadFileName, what);
        std::vector<std::string> parts = components(p.substr(2), what);
        std::optional<Drive> d = findDrive(p[0]);
        if (!d)
            throw makeRtError(rterr::DeviceUnavailable, what);
        if (!driveReady(*d))
            throw makeRtError(d->type == drivetype::Removable || d->type == drivetype::CdRom
                                  ? rterr::DiskNotReady : rterr::DeviceUnavailable,
                              what);
        return resolveUnder(d->root, parts);
    }
    if (p.find(':') != std::string::npos)
        throw makeRtError(rterr::BadFileName, what);
    if (p[0] == '\\')
        return toNative("C:" + p);

    std::error_code ec;
    stdfs::path cwd = stdfs::current_path(ec);
    if (ec)
        throw rtErrorFromErrno(ec.value(), what);
    return toNative(joinPath(fromNative(cwd), p));
}

std::string fromNative(const stdfs::path& native)
{
    stdfs::path p = native;
    if (!p.is_absolute()) {
        std::error_code ec;
        p = stdfs::current_path(ec) / p;
    }
    p = p.lexically_normal();

    char bestLetter = 'C';
    stdfs::path bestRoot = "/";
    size_t bestDepth = 0;
    for (const Drive& d : drives()) {
        size_t depth = 0;
        if (isBelow(p, d.root.lexically_normal(), depth) && depth > bestDepth) {
            bestDepth = depth;
            bestLetter = d.letter;
            bestRoot = d.root;
        }
    }
    std::string out = std::string(1, bestLetter) + ":\\";
    auto it = p.begin();
    for (size_t i = 0; i < bestDepth && it != p.end(); ++i)
        ++it;
    bool first = true;
    for (; it != p.end(); ++it) {
        std::string c = it->string();
        if (c.empty() || c == "/")
            continue;
        if (!first)
            out += '\\';
        out += c;
        first = false;
    }
    return out;
}

std::string appPath()
{
    std::string folder;
    const char* home = std::getenv("QUILLMATE_HOME");
    if (home && *home) {
        std::string h = home;
        bool windowsForm = (h.size() >= 2 && h[1] == ':') || isUncPath(h);
        folder = windowsForm ? toBackslashes(h) : fromNative(stdfs::path(h));
        if (windowsForm && !isUncPath(folder))
            folder[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0])));
    } else {
        std::error_code ec;
        stdfs::path exe = stdfs::read_symlink("/proc/self/exe", ec);
        folder = fromNative(ec ? stdfs::current_path(ec) : exe.parent_path());
    }
    while (folder.size() > 2 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

stdfs::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

stdfs::path dataHome()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && xdg[0] == '/')
        return xdg;
    return homeFolder() / ".local" / "share";
}

stdfs::path platformDir()
{
    if (const char* dir = std::getenv("QUILLMATE_PLATFORM_DIR"); dir && *dir)
        return dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/')
        return stdfs::path(xdg) / "quillmate";
    return homeFolder() / ".config" / "quillmate";
}

} // namespace qm::fs
