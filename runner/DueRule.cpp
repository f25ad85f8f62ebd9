#include "runner/DueRule.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"

#include <optional>

namespace qm::runner {

namespace dt = qm::datetime;

bool scheduleDue(std::string_view frequency, std::string_view lastDate, const dt::DateTime& now)
{
    const std::optional<long long> days = dt::parseWholeNumber(frequency);
    if (!days || *days <= 0)
        return false;
    if (lastDate.empty())
        return true;
    const std::optional<dt::DateTime> last = dt::parseDateTime(lastDate);
    if (!last)
        return true;
    return dt::daysBetween(*last, now) >= *days;
}

bool projectDue(std::string_view option, std::string_view format, std::string_view passFormat,
                std::string_view frequency, std::string_view lastDate, const dt::DateTime& now)
{
    return option == "automatic" && format == passFormat && scheduleDue(frequency, lastDate, now);
}

} // namespace qm::runner
