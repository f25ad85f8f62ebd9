#pragma once
// When an unattended backup falls due: its schedule is a whole number of
// days above 0, and its last backup date is empty, cannot be read as a
// date, or lies at least that many calendar days (date boundaries crossed)
// before now.
#include "platform/datetime/DateTime.h"

#include <string_view>

namespace qm::runner {

// The schedule part of the rule: `frequency` days (a whole number above 0,
// blanks around it allowed) since `lastDate` (date-time text).
bool scheduleDue(std::string_view frequency, std::string_view lastDate, const qm::datetime::DateTime& now);

// The whole rule for a project of a pass: option exactly "automatic", format
// exactly `passFormat` ("ZIP" or "ACE"), and the schedule.
bool projectDue(std::string_view option, std::string_view format, std::string_view passFormat,
                std::string_view frequency, std::string_view lastDate, const qm::datetime::DateTime& now);

} // namespace qm::runner
