#pragma once
// Running a task, for the automation objects (ITask::Run) and the agent alike.
//
// launchTask detaches a supervisor (two forks and a new session, so it
// outlives the caller and is nobody's zombie). The supervisor, under the
// tasks folder's update lock, refuses to start a task whose run is still in
// progress, records itself as the run (Pid, PidStart, LastRun, Terminated 0)
// and starts the program - never through a shell - as the leader of a
// process group of its own:
//   - ApplicationName in Windows form or as a host path; a bare name is
//     looked for in the working folder, then on PATH; the ".exe" rule holds;
//   - the argument vector from Parameters by Windows command-line rules;
//   - in WorkingDirectory (the home folder when empty);
//   - with the lowest processor priority (nice 19) for the idle class;
//   - with QT_QPA_PLATFORM=offscreen when no display is set;
//   - with standard input and output on /dev/null, as a task has no terminal.
// The supervisor then waits for the program, ends it at MaxRunTimeMs (TERM
// to its group, KILL after the grace period; Terminated 1), records
// ExitCode (128 + signal when killed) and clears Pid. A task with the
// delete-when-done flag and no run to come is then removed.
//
// The launch returns once the program has started (or could not start).
#include "platform/tasksched/Job.h"
#include "platform/tasksched/TaskNames.h"

#include <chrono>
#include <optional>

namespace qm::tasksched {

// How long a program may take to end after TERM before it gets KILL.
inline constexpr std::chrono::seconds TerminateGrace{5};

// S_OK when the program started; SCHED_S_TASK_RUNNING (a success) when a run
// was in progress and nothing started; HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
// or (ERROR_PATH_NOT_FOUND) when the program or working folder is missing,
// E_ACCESSDENIED when it may not be run, E_FAIL otherwise. `killAfter`
// shortens the run's time limit (a trigger that ends its runs).
HRESULT launchTask(const TaskFiles& files, const Job& job,
                   std::optional<std::chrono::milliseconds> killAfter = std::nullopt);

// Ends the run in progress: TERM to its supervisor, which passes it to the
// program's group and sends KILL after the grace period; the run is then
// recorded as terminated. The process number is only signalled when its
// start token matches, so a recycled number is never hit.
// SCHED_E_TASK_NOT_RUNNING when no run is in progress.
HRESULT terminateTask(const TaskFiles& files);

} // namespace qm::tasksched
