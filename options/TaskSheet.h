#pragma once
// The property sheet of one scheduled task (frmTaskProperties) as data: the
// task's own fields and its triggers, read from the task, edited, and
// written back with its job file saved. The sheet is what Cronolet's
// EditTask shows; it is the one place where a schedule is made by hand.
#include "platform/datetime/DateTime.h"
#include "platform/tasksched/Interfaces.h"
#include "platform/tasksched/Job.h"

#include <string>

namespace qm::options {

using qm::tasksched::ITask;
using qm::tasksched::TASK_TRIGGER;

// The sheet's fields are those of the task's job file.
using TaskSheet = qm::tasksched::Job;

// The sheet of the task as it holds it now (unsaved changes included).
TaskSheet readSheet(ITask& task);

// The trigger "New" adds: daily, every day, from `now`'s date at its hour
// and minute.
TASK_TRIGGER newTrigger(const qm::datetime::DateTime& now);

// Makes `t` a trigger of `type` (0 to 7). The words its type uses get a
// start that fires: every 1 day or week, on the begin date's weekday or day
// of the month, in every month, in the first week; the others are cleared.
// The same type changes nothing.
void setTriggerType(TASK_TRIGGER& t, int type);

// Why the task would refuse `t`, in words for the user; "" when it takes it.
std::string triggerProblem(const TASK_TRIGGER& t);

// Writes the sheet into the task and saves its job file. "" when done;
// otherwise what went wrong, and the task holds `before` again (nothing is
// saved). Triggers are checked before anything is written.
std::string applySheet(ITask& task, const TaskSheet& sheet, const TaskSheet& before);

} // namespace qm::options
