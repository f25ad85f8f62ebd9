#include "platform/zip/Names.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/Text.h"
#include "platform/fs/Wildcard.h"

#include <algorithm>
#include <vector>

namespace qm::zip::names {

namespace {

std::vector<std::string_view> components(std::string_view name)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '/' || name[i] == '\\') {
            parts.push_back(name.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool isDriveSpec(std::string_view c)
{
    return c.size() >= 2 && c[1] == ':' &&
           ((c[0] >= 'A' && c[0] <= 'Z') || (c[0] >= 'a' && c[0] <= 'z'));
}

std::string slashes(std::string_view s)
{
    std::string out(s);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

// Whether `mask` matches the folder path `path`, or with `anyLevel` also
// one of the folders above it ("a/b/c": "a/b/c", "a/b", "a"); with the
// rules of fs::matchesMask. One pass over `path` whatever its depth, so a
// hostile name of many levels costs no more than its length times the
// mask's.
bool folderMatches(std::string_view path, std::string_view mask, bool anyLevel)
{
    if (!anyLevel || mask.empty() || mask == "*" || mask == "*.*")
        return fs::matchesMask(path, mask);
    std::u32string m;
    for (size_t pos = 0; pos < mask.size();)
        m += fs::nextFoldedCodePoint(mask, pos);
    // "name." takes only names without an extension; "stem.*" also "stem".
    const bool noExtension = m.size() > 1 && m.back() == U'.' && m.find_first_not_of(U'.') != std::u32string::npos;
    if (noExtension)
        m.pop_back();
    const bool orStem = !noExtension && m.size() >= 2 && m.compare(m.size() - 2, 2, U".*") == 0;
    const size_t stemEnd = orStem ? m.size() - 2 : std::u32string::npos;

    // The glob as a set of positions in the mask, advanced one character at a time.
    std::vector<char> live(m.size() + 1, 0), next(m.size() + 1, 0);
    auto close = [&](std::vector<char>& set) {
        for (size_t i = 0; i < m.size(); ++i)
            if (set[i] && m[i] == U'*')
                set[i + 1] = 1;
    };
    auto accepts = [&] { return live[m.size()] || (orStem && live[stemEnd]); };
    live[0] = 1;
    close(live);
    bool sawDot = false;
    for (size_t pos = 0; pos < path.size();) {
        if (path[pos] == '/' && accepts())
            return true;
        char32_t c = fs::nextFoldedCodePoint(path, pos);
        sawDot = sawDot || c == U'.';
        if (noExtension && sawDot)
            return false; // every longer folder has the dot too
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (size_t i = 0; i < m.size(); ++i) {
            if (!live[i])
                continue;
            if (m[i] == U'*')
                next[i] = 1;
            else if (m[i] == U'?' || m[i] == c)
                next[i + 1] = 1;
            else
                continue;
            any = true;
        }
        if (!any)
            return false;
        live.swap(next);
        close(live);
    }
    return accepts();
}

} // namespace

std::vector<std::string> splitList(std::string_view text)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n' || text[i] == '|') {
            std::string_view item = qm::fs::trimBlanks(text.substr(start, i - start));
            if (!item.empty())
                items.emplace_back(item);
            start = i + 1;
        }
    }
    return items;
}

std::string shown(std::string_view archiveName)
{
    std::string out(archiveName);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string toStored(std::string_view name, bool folder)
{
    std::string out;
    out.reserve(name.size() + 1);
    bool first = true;
    for (size_t start = 0, i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '/' && name[i] != '\\')
            continue;
        std::string_view c = name.substr(start, i - start);
        start = i + 1;
        if (first && isDriveSpec(c)) {
            c.remove_prefix(2); // "C:" or "C:name"
        }
        first = false;
        if (c.empty() || c == "." || c == "..")
            continue;
        if (!out.empty())
            out += '/';
        out += c;
    }
    if (folder && !out.empty())
        out += '/';
    return out;
}

std::optional<std::vector<std::string>> safeComponents(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return std::nullopt;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f)
            return std::nullopt;
    std::vector<std::string_view> parts = components(name);
    std::vector<std::string> out;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string_view c = parts[i];
        if (i == 0 && isDriveSpec(c))
            return std::nullopt;
        if (c == "..")
            return std::nullopt;
        if (c.empty() || c == ".") {
            // "a//b" and "a/./b" stay inside; a final "/" marks a folder.
            continue;
        }
        out.emplace_back(c);
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

EntrySelector::EntrySelector(std::vector<std::string> items, bool includeSubfolders) : subfolders_(includeSubfolders)
{
    for (const std::string& raw : items) {
        std::string s = slashes(raw);
        while (!s.empty() && s.front() == '/')
            s.erase(0, 1);
        Item it;
        size_t slash = s.rfind('/');
        if (slash == std::string::npos) {
            it.mask = s;
        } else {
            it.folder = s.substr(0, slash);
            it.mask = s.substr(slash + 1);
        }
        if (it.folder.empty() && it.mask.empty())
            continue;
        if (s.find_first_of("*?") == std::string::npos)
            it.whole = s.back() == '/' ? s.substr(0, s.size() - 1) : s;
        items_.push_back(std::move(it));
    }
}

struct EntrySelector::Split {
    std::string name; // without a folder's final "/"
    std::string_view folder, base;

    explicit Split(std::string_view archiveName) : name(slashes(archiveName))
    {
        if (!name.empty() && name.back() == '/')
            name.pop_back();
        const size_t slash = name.rfind('/');
        if (slash != std::string::npos) {
            folder = std::string_view(name).substr(0, slash);
            base = std::string_view(name).substr(slash + 1);
        } else {
            base = name;
        }
    }
};

bool EntrySelector::takes(const Item& it, const Split& n, bool exact) const
{
    // To the letter: the same bytes; a folder, or with subfolders one above.
    auto same = [&](std::string_view text, std::string_view mask) {
        return exact ? text == mask : fs::matchesMask(text, mask);
    };
    auto inFolder = [&](std::string_view path, std::string_view mask, bool anyLevel) {
        if (!exact)
            return folderMatches(path, mask, anyLevel);
        return path == mask ||
               (anyLevel && path.size() > mask.size() && path.starts_with(mask) && path[mask.size()] == '/');
    };
    if (it.folder.empty())
        return (n.folder.empty() || subfolders_) && same(n.base, it.mask);
    if (it.mask.empty()) // "docs\": the folder entry itself, and with subfolders what is below it.
        return same(n.name, it.folder) || (subfolders_ && !n.folder.empty() && inFolder(n.folder, it.folder, true));
    return same(n.base, it.mask) && inFolder(n.folder, it.folder, subfolders_);
}

void EntrySelector::note(std::string_view archiveName)
{
    if (!indexed_) {
        for (size_t i = 0; i < items_.size(); ++i)
            if (!items_[i].whole.empty())
                literal_.emplace(items_[i].whole, i);
        indexed_ = true;
    }
    if (literal_.empty())
        return;
    std::string name = slashes(archiveName);
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    const auto [from, to] = literal_.equal_range(name);
    for (auto i = from; i != to; ++i)
        items_[i->second].exact = true;
}

bool EntrySelector::matches(std::string_view archiveName) const
{
    if (items_.empty())
        return true;
    const Split n(archiveName);
    return std::any_of(items_.begin(), items_.end(), [&](const Item& it) { return takes(it, n, it.exact); });
}

ExcludeSet::ExcludeSet(std::string_view text)
{
    for (std::string item : splitList(text)) {
        item = slashes(item);
        bool plain = item.find_first_of("*?/.") == std::string::npos;
        if (plain)
            item = "*." + item;
        else if (item.size() > 1 && item[0] == '.' && item.find_first_of("*?/", 1) == std::string::npos &&
                 item.find('.', 1) == std::string::npos)
            item = "*" + item;
        masks_.push_back(item);
    }
}

bool ExcludeSet::excludes(std::string_view relativePath) const
{
    std::string path = slashes(relativePath);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    size_t slash = path.rfind('/');
    std::string_view base = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    for (const std::string& m : masks_) {
        if (m.find('/') != std::string::npos) {
            if (fs::matchesMask(path, m))
                return true;
        } else if (fs::matchesMask(base, m)) {
            return true;
        }
    }
    return false;
}

} // namespace qm::zip::names
