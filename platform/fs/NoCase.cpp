#include "platform/fs/NoCase.h"

#include "platform/fs/Text.h"

namespace qm::fs {

char32_t nextCodePoint(std::string_view text, size_t& pos)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char b0 = byte(pos);
    int len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    if (len <= 1 || pos + len > text.size()) {
        ++pos;
        return b0;
    }
    char32_t c = b0 & (0x7F >> len);
    for (int i = 1; i < len; ++i) {
        unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return b0;
        }
        c = (c << 6) | (b & 0x3F);
    }
    pos += len;
    return c;
}

char32_t foldCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))                  // Latin-1
        return c + 32;
    if (c >= 0x100 && c <= 0x17F) {                             // Latin Extended-A
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        if (c == 0x178)
            return 0xFF;
        if (oddUpper)
            return (c & 1) ? c + 1 : c;
        return (c & 1) ? c : c + 1;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)                 // Greek
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)                               // Cyrillic
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

namespace {

// nextCodePoint with bad bytes marked.
char32_t decodeMarked(std::string_view text, size_t& pos)
{
    const size_t start = pos;
    const char32_t c = nextCodePoint(text, pos);
    return pos == start + 1 && c >= 0x80 ? BadByte | c : c;
}

} // namespace

char32_t nextFoldedCodePoint(std::string_view text, size_t& pos)
{
    const char32_t c = decodeMarked(text, pos);
    return c & BadByte ? c : foldCodePoint(c);
}

std::string foldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = pos;
        char32_t c = decodeMarked(text, pos);
        char32_t f = c & BadByte ? c : foldCodePoint(c);
        if (f == c)
            out.append(text.substr(start, pos - start)); // keeps invalid bytes as they were
        else
            appendUtf8(out, f);
    }
    return out;
}

int compareNoCase(std::string_view a, std::string_view b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : int(c); };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
        if (x < 0x80 && y < 0x80) { // the usual names: one byte each
            if (lower(x) != lower(y))
                return lower(x) < lower(y) ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        char32_t ca = nextFoldedCodePoint(a, i);
        char32_t cb = nextFoldedCodePoint(b, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return compareNoCase(a, b) == 0;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= text.size())
            return false;
        if (nextFoldedCodePoint(text, i) != nextFoldedCodePoint(prefix, j))
            return false;
    }
    return true;
}

bool lessNoCase(std::string_view a, std::string_view b)
{
    int c = compareNoCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

} // namespace qm::fs
