#pragma once
// Small text helpers shared by every layer. Case-free comparison lives in
// NoCase.h.
#include <string_view>

namespace qm::fs {

// Text without the spaces and tabs that surround it.
std::string_view trimBlanks(std::string_view s);

} // namespace qm::fs
