#pragma once
// What happened to a task at run time, kept apart from its job in
// "<name>.job.state" (INI form, section [State]):
//   LastRun     when the last run started (date-time text of the platform)
//   ExitCode    how the last finished run ended (128 + signal when killed)
//   Pid         the supervisor of the run in progress, 0 when none
//   PidStart    that process's start token (its start time in clock ticks),
//               so that a recycled process number is never taken for it
//   Terminated  1 when the last run was ended by Terminate or its time limit
//   LastFired   up to when the agent has looked at the triggers
//   FiredFrom   the agent fired every run of the triggers from FiredFrom
//   FiredTo     to FiredTo, each at its turn; FiredTo is the run it fired
//               last (their start times by the schedule, not by the clock)
//   GapFrom     LastFired before the agent's last look after a gap (the
//               machine was off, or the clock was put ahead)
//   GapTo       the time of that look
// Only the runner side (the launcher, its supervisor and the agent) writes
// it, always under the folder's update lock; saving a job never touches it.
#include "platform/datetime/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace qm::tasksched {

struct RunState {
    std::optional<datetime::DateTime> LastRun;
    std::uint32_t ExitCode = 0;
    pid_t Pid = 0;
    std::uint64_t PidStart = 0;
    bool Terminated = false;
    std::optional<datetime::DateTime> LastFired;
    std::optional<datetime::DateTime> FiredFrom;
    std::optional<datetime::DateTime> FiredTo;
    std::optional<datetime::DateTime> GapFrom;
    std::optional<datetime::DateTime> GapTo;

    friend bool operator==(const RunState&, const RunState&) = default;
};

// The state in a file; a missing or unreadable file, or a link in its
// place, is the empty state.
RunState readRunState(const std::filesystem::path& file);

// Reads, changes and rewrites the state file atomically under the folder's
// update lock, so that the writers never lose each other's keys. Gives the
// state as written. Throws qm::RtError when it cannot be written.
RunState updateRunState(const std::filesystem::path& file, const std::function<void(RunState&)>& change);

// Rewrites the state file atomically (a link in its place is replaced, not
// written through); for a caller that holds the folder's update lock
// already (lockTaskFolder). Throws qm::RtError.
void writeRunState(const std::filesystem::path& file, const RunState& state);

} // namespace qm::tasksched
