#pragma once
// Calling a function of a shared library: the library is loaded into this
// process for the one call (its symbols bound at once and kept to itself)
// and unloaded after it.
#include <optional>
#include <string>

namespace qm::process {

// What the function `entry` of the library at the host path `library`
// returns; the function takes nothing and returns a long. Nothing when the
// library cannot be loaded or has no such function.
std::optional<long> callLibraryEntry(const std::string& library, const char* entry);

} // namespace qm::process
