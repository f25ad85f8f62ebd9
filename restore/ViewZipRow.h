#pragma once
// A row of the archive contents window: its texts in the order of the columns.
#include "platform/ui/Columns.h"

#include <array>
#include <string>

namespace qm::restore {

inline constexpr std::array<qm::ui::ReportColumn, 6> ViewZipColumns{{
    {"Filename", "Filename", 240},
    {"Size", "Size", 80},
    {"Compressed", "Compressed", 85},
    {"Modified", "Modified", 150},
    {"Created", "Created", 150},
    {"Attributes", "Attributes", 70},
}};

using ViewZipRow = std::array<std::string, 6>;

} // namespace qm::restore
