#pragma once
// A row of the archive contents window: its texts in the order of the columns.
#include <array>
#include <string>
#include <string_view>

namespace qm::restore {

inline constexpr std::array<std::string_view, 6> ViewZipColumns{
    "Filename", "Size", "Compressed", "Modified", "Created", "Attributes"};

using ViewZipRow = std::array<std::string, 6>;

} // namespace qm::restore
