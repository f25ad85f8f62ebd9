// The date-time text reader over any text. Rule besides not crashing: a
// text that reads as a date reads back to the same date from the text
// written for it.
#include "FuzzScratch.h"
#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qm::datetime::parseNumber(text);
    std::optional<qm::datetime::DateTime> d = qm::datetime::parseDateTime(text);
    if (!d)
        return 0;
    const std::string written = qm::datetime::formatDateTime(*d);
    std::optional<qm::datetime::DateTime> back = qm::datetime::parseDateTime(written);
    if (!back || qm::datetime::formatDateTime(*back) != written)
        qm::fuzz::fail("\"" + written + "\" does not read back as itself");
    if (std::optional<qm::datetime::DateTime> iso = qm::datetime::parseDateTime(qm::datetime::formatIso(*d));
        !iso || qm::datetime::formatDateTime(*iso) != written)
        qm::fuzz::fail("the ISO text of \"" + written + "\" reads as another date");
    return 0;
}
