#pragma once
// Comparing names without regard to case, as Windows file names and masks
// are compared. Texts are UTF-8; letters of the Latin, Greek and Cyrillic
// alphabets fold, everything else compares by code point.
#include <string>
#include <string_view>

namespace qm::fs {

// The text with every letter folded to small.
std::string foldCase(std::string_view text);
// <0, 0 or >0 as `a` sorts before, with or after `b` ignoring case.
int compareNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, ignoring case.
bool startsWithNoCase(std::string_view text, std::string_view prefix);
// Order for listings: ignoring case first, then by bytes so the order is total.
bool lessNoCase(std::string_view a, std::string_view b);

// Decodes one code point at `pos` and advances it; invalid bytes come back
// as themselves (0x80..0xFF), one at a time.
char32_t nextCodePoint(std::string_view text, size_t& pos);
// The small form of one code point.
char32_t foldCodePoint(char32_t c);
// The small form of the code point at `pos`, advancing it. A byte that
// starts no valid sequence gives BadByte | the byte: it equals only the same
// bad byte, never a letter (0xCF alone is not "Ï").
inline constexpr char32_t BadByte = 0x80000000;
char32_t nextFoldedCodePoint(std::string_view text, size_t& pos);

} // namespace qm::fs
