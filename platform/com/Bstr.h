#pragma once
// Automation strings. OLECHAR is a UTF-16 code unit (char16_t on every host,
// never wchar_t). A BSTR points at UTF-16 text that is preceded by its length
// in bytes (32 bits) and followed by a NUL; the length counts, so a BSTR may
// hold NULs. A null BSTR is a value of its own, distinct from the empty
// string: it reads as length 0, but callers that care (a null string is
// refused where an empty one is passed on) can tell them apart.
//
// Bstr owns one BSTR and frees it; copies are deep. Converters go between
// BSTR, std::u16string and UTF-8, keeping characters outside the basic plane
// (surrogate pairs); bytes that are not UTF-8 and lone surrogates become
// U+FFFD.
#include "platform/com/Result.h"

#include <string>
#include <string_view>
#include <utility>

namespace qm::com {

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using LPWSTR = OLECHAR*;
using LPCWSTR = const OLECHAR*;

// A copy of the NUL-terminated `text`; null for a null `text` or when out of
// memory.
BSTR SysAllocString(const OLECHAR* text);
// A string of `length` characters copied from `text`, NULs included; with a
// null `text` the characters are zero. Null when out of memory.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Null is harmless.
void SysFreeString(BSTR s);
// Length in characters and in bytes; 0 for null.
UINT SysStringLen(BSTR s);
UINT SysStringByteLen(BSTR s);

// Text conversions.
std::u16string utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::u16string_view utf16);
// The whole string, NULs included; empty for null.
std::u16string_view bstrView(BSTR s);
// A new BSTR (never null unless out of memory).
BSTR bstrFromUtf16(std::u16string_view text);
BSTR bstrFromUtf8(std::string_view utf8);
std::string utf8FromBstr(BSTR s);
// The NUL-terminated text at `text`; empty for null.
std::u16string_view olestrView(LPCOLESTR text);

class Bstr {
public:
    Bstr() = default;                   // null
    explicit Bstr(std::u16string_view text) : s_(bstrFromUtf16(text)) {}
    static Bstr fromUtf8(std::string_view utf8) { return attach(bstrFromUtf8(utf8)); }
    // Takes ownership of `s`.
    static Bstr attach(BSTR s)
    {
        Bstr b;
        b.s_ = s;
        return b;
    }

    Bstr(const Bstr& other) : s_(other.s_ ? SysAllocStringLen(other.s_, other.length()) : nullptr) {}
    Bstr(Bstr&& other) noexcept : s_(other.release()) {}
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(s_, other.s_);
        return *this;
    }
    ~Bstr() { SysFreeString(s_); }

    BSTR get() const { return s_; }
    bool isNull() const { return s_ == nullptr; }
    UINT length() const { return SysStringLen(s_); }
    std::u16string_view view() const { return bstrView(s_); }
    std::string utf8() const { return utf8FromBstr(s_); }

    // Gives up ownership.
    BSTR release()
    {
        BSTR s = s_;
        s_ = nullptr;
        return s;
    }
    // For an out argument: frees the string held and hands its slot.
    BSTR* out()
    {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }

private:
    BSTR s_ = nullptr;
};

} // namespace qm::com
