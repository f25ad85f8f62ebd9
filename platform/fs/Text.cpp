#include "platform/fs/Text.h"

#include <algorithm>
#include <cstdint>
#include <iconv.h>

namespace qm::fs {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool isValidUtf8(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = p[i];
        std::size_t extra;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            extra = 1;
            cp = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2;
            cp = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3f);
        }
        static const std::uint32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string dosToUtf8(const std::string& text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return text;
    iconv_t cd = iconv_open("UTF-8", "CP437");
    if (cd == iconv_t(-1))
        return text;
    std::string out(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return text;
    out.resize(out.size() - outLeft);
    return out;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int FindLastChar(std::string_view text, char c)
{
    const std::size_t at = text.rfind(c);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

} // namespace qm::fs
