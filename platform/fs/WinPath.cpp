#include "platform/fs/WinPath.h"

#include <cctype>

namespace qm::fs {

namespace {

bool isSep(char c) { return c == '\\' || c == '/'; }

bool hasDrivePrefix(std::string_view p)
{
    return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

// Length of the root part that can never be removed: "C:\" (3), "C:" (2),
// "\\SRV\share\" (up to and including the separator after the share), "\" (1).
size_t rootLength(std::string_view p)
{
    if (hasDrivePrefix(p))
        return (p.size() >= 3 && isSep(p[2])) ? 3 : 2;
    if (isUncPath(p)) {
        size_t server = p.find_first_of("\\/", 2);
        if (server == std::string_view::npos)
            return p.size();
        size_t share = p.find_first_of("\\/", server + 1);
        return share == std::string_view::npos ? p.size() : share + 1;
    }
    if (!p.empty() && isSep(p[0]))
        return 1;
    return 0;
}

} // namespace

std::string toBackslashes(std::string_view path)
{
    std::string out(path);
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    if (name.empty())
        return std::string(folder);
    while (!name.empty() && isSep(name.front()))
        name.remove_prefix(1);
    std::string out;
    out.reserve(folder.size() + 1 + name.size());
    out += folder;
    if (!isSep(out.back()))
        out += '\\';
    out += name;
    return out;
}

std::string parentFolder(std::string_view path)
{
    size_t root = rootLength(path);
    std::string_view rest = path;
    while (rest.size() > root && isSep(rest.back()))
        rest.remove_suffix(1);
    if (rest.size() <= root)
        return "";
    size_t cut = rest.find_last_of("\\/");
    if (cut == std::string_view::npos || cut + 1 <= root) {
        if (root == 0)
            return "";
        std::string r(path.substr(0, root));
        // "\\SRV\share\x" -> "\\SRV\share"
        if (isUncPath(path) && isSep(r.back()))
            r.pop_back();
        return r;
    }
    std::string_view parent = rest.substr(0, cut);
    while (parent.size() > root && isSep(parent.back()))
        parent.remove_suffix(1);
    if (parent.size() < root)
        return std::string(path.substr(0, root));
    return std::string(parent);
}

std::string fileNamePart(std::string_view path)
{
    size_t root = rootLength(path);
    if (path.size() <= root)
        return "";
    size_t cut = path.find_last_of("\\/");
    size_t start = (cut == std::string_view::npos || cut < root) ? root : cut + 1;
    return std::string(path.substr(start));
}

std::string extensionPart(std::string_view path)
{
    std::string name = fileNamePart(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? "" : name.substr(dot + 1);
}

std::string driveRoot(std::string_view path)
{
    if (hasDrivePrefix(path))
        return std::string(path.substr(0, 2)) + "\\";
    if (isUncPath(path)) {
        size_t len = rootLength(path);
        std::string r = toBackslashes(path.substr(0, len));
        if (r.back() != '\\')
            r += '\\';
        return r;
    }
    return "";
}

char driveLetter(std::string_view path)
{
    if (!hasDrivePrefix(path))
        return '\0';
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

bool isUncPath(std::string_view path)
{
    return path.size() >= 2 && isSep(path[0]) && isSep(path[1]);
}

bool isDriveRoot(std::string_view path)
{
    return hasDrivePrefix(path) && (path.size() == 2 || (path.size() == 3 && isSep(path[2])));
}

std::string withoutTrailingBackslash(std::string_view path)
{
    if (isDriveRoot(path))
        return std::string(path.substr(0, 2)) + "\\";
    while (path.size() > 1 && isSep(path.back()))
        path.remove_suffix(1);
    return std::string(path);
}

std::string withTrailingBackslash(std::string_view path)
{
    std::string out(path);
    while (!out.empty() && isSep(out.back()))
        out.pop_back();
    return out + "\\";
}

} // namespace qm::fs
