#pragma once
// The rows of the archive contents window: one per listed archive entry.
#include "platform/datetime/DateTime.h"
#include "restore/ViewZipRow.h"

#include <cstdint>

namespace qm::zip {
struct ListedEntry;
}

namespace qm::restore {

// The texts of a listed entry: its name, its sizes and attribute bits as
// decimal text, its dates in the platform's date-time text.
ViewZipRow listedRow(const std::string& name, std::int64_t size, std::int64_t compressedSize,
                     const qm::datetime::DateTime& modified, const qm::datetime::DateTime& created,
                     std::uint32_t attributes);
// The same for an entry as the zip control lists it.
ViewZipRow listedRow(const qm::zip::ListedEntry& entry);

// Where a row added with the 1-based index `index` goes in a list of `count`
// rows (0-based): the index clamped to the end of the list, so a count that
// ran ahead of the list never fails.
int rowPosition(int index, int count);

} // namespace qm::restore
