#pragma once
// The filters of the control (exclude masks, date range, size range,
// required and excluded attributes) as one value that builds and
// extractions apply alike.
#include "platform/datetime/DateTime.h"
#include "platform/zip/Names.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm::zip {

class PavikZip;

struct Filters {
    names::ExcludeSet excludes{""};
    std::optional<qm::datetime::DateTime> oldest;
    std::optional<qm::datetime::DateTime> newest; // inclusive
    int64_t smallest = 0;
    int64_t largest = 0;
    int32_t required = 0;
    int32_t excluded = 0;

    // Folders are judged by their attributes only.
    bool passFolder(int attributes) const;
    bool passFile(std::string_view relativeName, int attributes, uint64_t size,
                  const qm::datetime::DateTime& modified) const;
};

Filters filtersOf(const PavikZip& zip);

} // namespace qm::zip
