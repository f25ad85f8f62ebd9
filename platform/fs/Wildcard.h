#pragma once
// Windows file-name masks: "*" any run of characters, "?" exactly one, no
// regard to case. "*.*" and "*" match every name (also names without a dot);
// a mask ending in ".*" also matches the name without that ending ("a.*"
// matches "a"); a mask ending in "." matches names without an extension.
#include <string_view>

namespace qm::fs {

bool matchesMask(std::string_view name, std::string_view mask);
// True when the text holds "*" or "?".
bool hasWildcards(std::string_view text);

} // namespace qm::fs
