#include "platform/zip/Filters.h"

#include "platform/zip/PavikZip.h"

namespace qm::zip {

namespace dt = qm::datetime;

namespace {

bool isZeroDate(const dt::DateTime& d)
{
    return d == dt::DateTime{};
}

bool attributesPass(int attributes, int32_t required, int32_t excluded)
{
    return (attributes & required) == required && (attributes & excluded) == 0;
}

} // namespace

Filters filtersOf(const PavikZip& zip)
{
    Filters f;
    f.excludes = names::ExcludeSet(zip.ExcludeMasks);
    if (!isZeroDate(zip.OldestDate) && dt::isValid(zip.OldestDate))
        f.oldest = zip.OldestDate;
    if (!isZeroDate(zip.NewestDate) && dt::isValid(zip.NewestDate)) {
        // A date without time of day takes in the whole of that day.
        f.newest = zip.NewestDate.hasTime() ? zip.NewestDate
                                            : dt::DateTime{zip.NewestDate.year, zip.NewestDate.month,
                                                           zip.NewestDate.day, 23, 59, 59};
    }
    f.smallest = zip.SmallestSize > 0 ? zip.SmallestSize : 0;
    f.largest = zip.LargestSize > 0 ? zip.LargestSize : 0;
    f.required = zip.RequiredAttributes;
    f.excluded = zip.ExcludedAttributes;
    return f;
}

bool Filters::passFolder(int attributes) const
{
    return attributesPass(attributes, required, excluded);
}

bool Filters::passFile(std::string_view relativeName, int attributes, uint64_t size,
                       const dt::DateTime& modified) const
{
    if (!attributesPass(attributes, required, excluded))
        return false;
    if (smallest > 0 && size < uint64_t(smallest))
        return false;
    if (largest > 0 && size > uint64_t(largest))
        return false;
    if (oldest && modified < *oldest)
        return false;
    if (newest && modified > *newest)
        return false;
    if (!excludes.empty() && excludes.excludes(relativeName))
        return false;
    return true;
}

} // namespace qm::zip
