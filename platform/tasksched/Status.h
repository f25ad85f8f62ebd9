#pragma once
// The status of a task, from its job, its run state, the time and the
// process table. The first that holds wins:
//   running            its run's supervisor is alive (same process, same start token)
//   disabled           the task flag says so
//   not scheduled      no triggers at all
//   no valid triggers  none of them usable (Schedule.h)
//   event trigger      the usable ones are all events: no set run time
//   terminated         the last run was ended by Terminate or its time limit
//   has not run        no run yet
//   no more runs       no run time left and no event to wait for
//   ready              otherwise
#include "platform/tasksched/Job.h"
#include "platform/tasksched/RunState.h"

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace qm::tasksched {

// Which processes live: a process number and its start token, which tells
// a process apart from a later one that got the same number.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    // The start token of a live process (not a zombie); nothing when none.
    virtual std::optional<std::uint64_t> startToken(pid_t pid) const = 0;
};

// The machine's processes (/proc/<pid>/stat, the start time in clock ticks).
const ProcessTable& systemProcessTable();

// True when the run the state names is still in progress.
bool runInProgress(const RunState& state, const ProcessTable& processes);

HRESULT taskStatus(const Job& job, const RunState& state, const datetime::DateTime& now,
                   const ProcessTable& processes);

} // namespace qm::tasksched
