#pragma once
// The names of the parts of a set that lie side by side: the stem of the
// file that names the set with ".z01", ".z02", ... (".Z01", ... when that
// file's extension is in capitals). A split archive's parts lie beside its
// last part; a self-extracting program is itself the first part of its set,
// and ".z02" on follow it. Header only: the zip control and the
// self-extractor stub share it without linking each other.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace qm::zip {

// Whether the letters of `s` are all capitals (and there is one at least).
inline bool allUpper(std::string_view s)
{
    bool letter = false;
    for (const char c : s) {
        if (c >= 'a' && c <= 'z')
            return false;
        letter = letter || (c >= 'A' && c <= 'Z');
    }
    return letter;
}

// The extension of part `index` (0: ".z01").
inline std::string partExtension(uint32_t index, bool upper)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, upper ? ".Z%02u" : ".z%02u", index + 1);
    return buf;
}

// The number in the extension of `name` as a part of the set whose files
// are called `stem` ("<stem>.z02" gives 2), letter case ignored; 0 when
// `name` is no such part.
inline uint32_t partNumberOf(std::string_view name, std::string_view stem)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (name.size() < stem.size() + 4 || name.size() > stem.size() + 7)
        return 0;
    for (size_t i = 0; i < stem.size(); ++i)
        if (lower(name[i]) != lower(stem[i]))
            return 0;
    const std::string_view ext = name.substr(stem.size());
    if (ext[0] != '.' || lower(ext[1]) != 'z')
        return 0;
    uint32_t n = 0;
    for (const char c : ext.substr(2)) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + uint32_t(c - '0');
    }
    return n;
}

} // namespace qm::zip
