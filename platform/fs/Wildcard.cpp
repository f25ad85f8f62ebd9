#include "platform/fs/Wildcard.h"

#include "platform/fs/NoCase.h"

#include <vector>

namespace qm::fs {

namespace {

std::u32string foldedCodePoints(std::string_view text)
{
    std::u32string out;
    size_t pos = 0;
    while (pos < text.size())
        out += nextFoldedCodePoint(text, pos);
    return out;
}

// Plain glob match over code points, iterative with one back-track point.
bool glob(const std::u32string& s, const std::u32string& m)
{
    size_t si = 0, mi = 0, starM = std::u32string::npos, starS = 0;
    while (si < s.size()) {
        if (mi < m.size() && (m[mi] == U'?' || m[mi] == s[si])) {
            ++si;
            ++mi;
        } else if (mi < m.size() && m[mi] == U'*') {
            starM = mi++;
            starS = si;
        } else if (starM != std::u32string::npos) {
            mi = starM + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (mi < m.size() && m[mi] == U'*')
        ++mi;
    return mi == m.size();
}

} // namespace

bool hasWildcards(std::string_view text)
{
    return text.find_first_of("*?") != std::string_view::npos;
}

bool matchesMask(std::string_view name, std::string_view mask)
{
    if (mask.empty() || mask == "*" || mask == "*.*")
        return true;
    std::u32string s = foldedCodePoints(name);
    std::u32string m = foldedCodePoints(mask);

    // "name." : only names without an extension.
    if (m.size() > 1 && m.back() == U'.' && m.find_first_not_of(U'.') != std::u32string::npos) {
        if (s.find(U'.') != std::u32string::npos)
            return false;
        m.pop_back();
        return glob(s, m);
    }
    if (glob(s, m))
        return true;
    // "stem.*" also matches "stem" itself.
    if (m.size() >= 2 && m.compare(m.size() - 2, 2, U".*") == 0)
        return glob(s, m.substr(0, m.size() - 2));
    return false;
}

} // namespace qm::fs
