#include "platform/com/Bstr.h"

#include "platform/fs/Text.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace qm::com {

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);
// The byte length must fit its 32-bit prefix.
constexpr UINT kMaxLength = 0x7FFFFFF0u;

std::uint32_t byteLength(BSTR s)
{
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(s) - kPrefix, kPrefix);
    return bytes;
}

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf16(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

// One character from UTF-8 at `at`, which moves past it; U+FFFD for a byte
// that begins no valid sequence (overlong forms and surrogates included).
char32_t decodeUtf8(std::string_view s, std::size_t& at)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b = byte(at);
    if (b < 0x80) {
        ++at;
        return b;
    }
    int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (extra < 0 || at + extra >= s.size()) {
        ++at;
        return kReplacement;
    }
    char32_t c = b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += extra + 1;
    return c;
}

} // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > kMaxLength)
        return nullptr;
    std::uint32_t bytes = length * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    std::memcpy(block, &bytes, kPrefix);
    auto* s = reinterpret_cast<BSTR>(block + kPrefix);
    if (text)
        std::memcpy(s, text, bytes);
    else
        std::memset(s, 0, bytes);
    s[length] = u'\0';
    return s;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    std::u16string_view v(text);
    if (v.size() > kMaxLength)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(v.size()));
}

void SysFreeString(BSTR s)
{
    if (s)
        std::free(reinterpret_cast<char*>(s) - kPrefix);
}

UINT SysStringLen(BSTR s) { return s ? byteLength(s) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR s) { return s ? byteLength(s) : 0; }

std::u16string utf16FromUtf8(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();)
        appendUtf16(out, decodeUtf8(utf8, at));
    return out;
}

std::string utf8FromUtf16(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        fs::appendUtf8(out, c);
    }
    return out;
}

std::u16string_view bstrView(BSTR s) { return s ? std::u16string_view(s, SysStringLen(s)) : std::u16string_view(); }

std::u16string_view olestrView(LPCOLESTR text) { return text ? std::u16string_view(text) : std::u16string_view(); }

BSTR bstrFromUtf16(std::u16string_view text)
{
    if (text.size() > kMaxLength)
        return nullptr;
    return SysAllocStringLen(text.data() ? text.data() : u"", static_cast<UINT>(text.size()));
}

BSTR bstrFromUtf8(std::string_view utf8) { return bstrFromUtf16(utf16FromUtf8(utf8)); }

std::string utf8FromBstr(BSTR s) { return utf8FromUtf16(bstrView(s)); }

} // namespace qm::com
