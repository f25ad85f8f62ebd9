#pragma once
// The wording of a trigger for people, for example
//   "At 21:00 every day, starting 1/1/2026"
//   "At 8:30 every Mon, Fri of every 2 weeks, starting 3/2/2026"
//   "At 6:00 on the last Sun of Jan, Jul, starting 1/1/2026"
//   "At system start-up"
// with ", every 10 minutes for 60 minutes", ", until 12/31/2026" and
// " (disabled)" added where they apply. Dates are M/d/yyyy, times 24-hour.
#include "platform/tasksched/TaskTrigger.h"

#include <string>

namespace qm::tasksched {

std::string triggerText(const TASK_TRIGGER& t);

} // namespace qm::tasksched
