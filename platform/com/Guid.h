#pragma once
// GUIDs: the 16-byte identifiers of classes (CLSID) and interfaces (IID), in
// their usual fields, and their text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
// (hexadecimal digits in either case on input, capitals on output, the
// braces required). guid("{...}") makes a constant at compile time:
//     inline constexpr CLSID CLSID_Thing = guid("{3A032843-4D05-4661-823C-728A575CCA33}");
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::com {

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};
    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};

namespace detail {
constexpr int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace detail

// The GUID of a text of exactly that form; nothing for any other text.
constexpr std::optional<GUID> parseGuid(std::string_view text)
{
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    std::uint8_t bytes[16] = {};
    std::size_t at = 1;
    for (int i = 0; i < 16; ++i) {
        if (at == 9 || at == 14 || at == 19 || at == 24) {
            if (text[at] != '-')
                return std::nullopt;
            ++at;
        }
        int hi = detail::hexDigit(text[at]);
        int lo = detail::hexDigit(text[at + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
        at += 2;
    }
    GUID g;
    g.Data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
    g.Data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = bytes[8 + i];
    return g;
}

// A constant from its text; a malformed text does not compile.
consteval GUID guid(std::string_view text) { return parseGuid(text).value(); }

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in capitals.
std::string formatGuid(const GUID& g);

} // namespace qm::com
