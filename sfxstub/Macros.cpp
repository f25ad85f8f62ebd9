#include "sfxstub/Macros.h"

#include "platform/fs/FileOps.h"

#include <cctype>
#include <cstdio>

namespace qm::sfxstub {

namespace {

char lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The folder a macro letter names, or nothing for another letter.
const std::string* folderOf(const SfxConfig& c, char letter)
{
    switch (lower(letter)) {
    case 'd': return &c.DestinationFolder;
    case 'e': return &c.ExeFolder;
    case 'w': return &c.WindowsFolder;
    case 's': return &c.SystemFolder;
    case 't': return &c.TempFolder;
    case 'v': return &c.SystemDrive;
    case 'p': return &c.ProgramFilesFolder;
    default: return nullptr;
    }
}

} // namespace

Claim claimIfMissing(const std::string& candidate)
{
    return qm::fs::exists(candidate) ? Claim::Taken : Claim::Free;
}

std::optional<std::string> ExpandMacros(SfxConfig& c, std::string_view text, std::string_view removal,
                                        size_t limit, const ClaimFn& claim)
{
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t pct = text.find('%', pos);
        if (pct == std::string_view::npos)
            break;
        std::string piece(text.substr(pos, pct - pos));
        if (pct + 1 >= text.size()) { // a "%" at the very end ends the text
            out += piece;
            pos = text.size();
            break;
        }
        const char letter = text[pct + 1];
        if (removal.find(letter) != std::string_view::npos) {
            // dropped
        } else if (letter == '%') {
            piece += '%';
        } else if (const std::string* folder = folderOf(c, letter)) {
            piece += *folder;
        } else if (lower(letter) == 'r') {
            std::uniform_int_distribution<int> number(0, 999);
            bool found = false;
            for (int i = 0; i < RandomTries && !found; ++i) {
                char digits[8];
                std::snprintf(digits, sizeof digits, "%03d", number(c.Random));
                std::string candidate = piece + "_Sfx" + digits;
                Claim got = claim(out + candidate);
                if (got == Claim::Failed)
                    return std::nullopt;
                if (got == Claim::Free) {
                    piece = candidate;
                    found = true;
                }
            }
            if (!found)
                return std::nullopt;
        }
        if (!piece.empty() && isSeparator(piece.back()))
            piece.pop_back();
        out += piece;
        pos = pct + 2;
        if (out.size() > limit)
            return std::nullopt;
    }
    out += text.substr(pos);
    if (out.size() > limit)
        return std::nullopt;
    return out;
}

std::optional<FolderName> ExpandEntryName(const SfxConfig& c, std::string_view name)
{
    if (name.size() < 2 || name[0] != '%')
        return std::nullopt;
    const std::string* folder = folderOf(c, name[1]);
    if (!folder || folder->empty())
        return std::nullopt;
    std::string_view rest = name.substr(2);
    while (!rest.empty() && isSeparator(rest.front()))
        rest.remove_prefix(1);
    return FolderName{*folder, std::string(rest)};
}

std::string NormalizeLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch != '\r' && ch != '\n') {
            out += ch;
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != ch)
            ++i; // CR LF or LF CR: one break
    }
    return out;
}

std::string FillNumber(std::string_view templ, char letter, long long number)
{
    std::string out;
    for (size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == letter) {
            out += std::to_string(number);
            ++i;
        } else {
            out += templ[i];
        }
    }
    return out;
}

std::string FillText(std::string_view templ, char letter, std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size() && lower(templ[i + 1]) == lower(letter)) {
            out += text;
            ++i;
        } else if (templ[i] == '%' && i + 1 < templ.size()) {
            out += templ.substr(i, 2); // another pair stays as it is
            ++i;
        } else {
            out += templ[i];
        }
    }
    return out;
}

std::string AddTrailingBackslash(std::string_view path)
{
    std::string out(path);
    if (!out.empty() && out.back() != '\\' && out.back() != ':')
        out += '\\';
    return out;
}

std::string RemoveTrailingBackslash(std::string_view path)
{
    std::string out(path);
    bool driveRoot = out.size() == 3 && out[1] == ':';
    if (!out.empty() && out.back() == '\\' && !driveRoot)
        out.pop_back();
    return out;
}

bool CutLastFolder(std::string& path)
{
    if (path.size() < 4)
        return false;
    path.pop_back();
    while (path.size() > 3 && path.back() != '\\')
        path.pop_back();
    return true;
}

bool ShortenPath(std::string& path)
{
    // The root: "X:\", or the backslashes a path begins with.
    size_t root = 0;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        root = 3;
    else
        while (root < path.size() && path[root] == '\\')
            ++root;
    const size_t last = path.rfind('\\');
    if (last == std::string::npos || last < root)
        return false; // no folder in front of the name
    const size_t firstEnd = path.find('\\', root);
    std::string first = path.substr(root, firstEnd - root);
    if (first != "...") {
        path = path.substr(0, root) + "..." + path.substr(firstEnd);
        return true;
    }
    if (firstEnd == last)
        return false; // only "..." is left in front of the name
    const size_t secondEnd = path.find('\\', firstEnd + 1);
    path.erase(firstEnd, secondEnd - firstEnd);
    return true;
}

std::string FitPath(std::string path, const std::function<bool(const std::string&)>& fits)
{
    while (!fits(path) && ShortenPath(path)) {
    }
    return path;
}

std::string PrettyCase(std::string_view text)
{
    std::string out(text);
    size_t i = 0;
    while (i < out.size()) {
        size_t end = out.find(' ', i);
        if (end == std::string::npos)
            end = out.size();
        bool capitals = end > i;
        for (size_t k = i; k < end && capitals; ++k) {
            unsigned char ch = static_cast<unsigned char>(out[k]);
            capitals = std::isupper(ch) || std::isdigit(ch);
        }
        if (capitals)
            for (size_t k = i + 1; k < end; ++k)
                out[k] = lower(out[k]);
        i = end + 1;
    }
    return out;
}

} // namespace qm::sfxstub
