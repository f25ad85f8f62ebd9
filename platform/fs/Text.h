#pragma once
// Small text helpers shared by every layer. Case-free comparison lives in
// NoCase.h.
#include <string>
#include <string_view>

namespace qm::fs {

// Text without the spaces and tabs that surround it.
std::string_view trimBlanks(std::string_view s);
// Text without the spaces that surround it (tabs and other characters stay).
std::string_view trimSpaces(std::string_view s);

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t c);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool isValidUtf8(std::string_view s);

// Text in the DOS code page (437) as UTF-8; plain ASCII, and text that
// cannot be converted, come back as they are.
std::string dosToUtf8(const std::string& text);

// The 1-based position of the last `c` in `text`, 0 when there is none.
int FindLastChar(std::string_view text, char c);

} // namespace qm::fs
