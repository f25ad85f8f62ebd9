#include "restore/ViewZipRows.h"

#include "platform/datetime/DateText.h"
#include "platform/zip/ZipEvents.h"

#include <algorithm>

namespace qm::restore {

ViewZipRow listedRow(const std::string& name, std::int64_t size, std::int64_t compressedSize,
                     const qm::datetime::DateTime& modified, const qm::datetime::DateTime& created,
                     std::uint32_t attributes)
{
    return {name,
            std::to_string(size),
            std::to_string(compressedSize),
            qm::datetime::formatGeneral(modified),
            qm::datetime::formatGeneral(created),
            std::to_string(attributes)};
}

ViewZipRow listedRow(const qm::zip::ListedEntry& entry)
{
    return listedRow(entry.name, entry.size, entry.compressedSize, entry.modified, entry.created, entry.attributes);
}

int rowPosition(int index, int count) { return std::clamp(index - 1, 0, std::max(count, 0)); }

} // namespace qm::restore
