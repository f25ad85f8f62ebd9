#pragma once
// When triggers fire. Pure calendar arithmetic on local wall-clock times;
// nothing here reads the clock or the disk.
//
// A time trigger runs on the days its type chooses, from its begin date on
// (and up to its end date, with the has-end-date flag), at its start time:
//   once           the begin date only;
//   daily          every DaysInterval days counted from the begin date;
//   weekly         on the days of DaysOfTheWeek of every WeeksInterval-th
//                  week, weeks running Sunday to Saturday and counted from
//                  the week of the begin date;
//   monthly date   on the days of Days in the months of Months (a day the
//                  month does not have, such as the 31st in April, is skipped);
//   monthly dow    on the WhichWeek-th (1 to 4, or 5 = last) weekday of
//                  DaysOfTheWeek in the months of Months.
// With MinutesInterval and MinutesDuration both set, each run day also runs
// every MinutesInterval minutes after the start time while less than
// MinutesDuration minutes have passed since it. Disabled triggers and the
// event types (idle, system start, log-on) have no run times.
#include "platform/datetime/DateTime.h"
#include "platform/tasksched/Job.h"

#include <optional>

namespace qm::tasksched {

bool isEventTrigger(const TASK_TRIGGER& t);

// A trigger a task accepts (what ITaskTrigger::SetTrigger checks): a type
// of 0 to 7, known flag bits only, a start time up to 23:59, a real begin
// date for the time types and a real end date when it has one, and an
// interval of 0 or below the duration.
bool isValidTrigger(const TASK_TRIGGER& t);

// A trigger that can make its task run: not disabled, of a known type, and
// for the time types a real begin date (and end date when it has one), a
// real start time, and what its type needs: an interval of at least 1, at
// least one weekday, day or month where it chooses them, WhichWeek 1 to 5.
bool isUsable(const TASK_TRIGGER& t);

struct RunTime {
    datetime::DateTime at;          // the run
    datetime::DateTime periodStart; // the start time of its day (the first run of the day)
};

// The first run of `t` strictly after `after`; nothing when it has none left.
std::optional<RunTime> nextRun(const TASK_TRIGGER& t, const datetime::DateTime& after);

// The earliest next run over the job's triggers; nothing for a disabled job.
std::optional<datetime::DateTime> nextRun(const Job& job, const datetime::DateTime& after);

} // namespace qm::tasksched
