#include "platform/tasksched/Status.h"

#include "platform/tasksched/Schedule.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace qm::tasksched {

namespace {

class ProcFs final : public ProcessTable {
public:
    std::optional<std::uint64_t> startToken(pid_t pid) const override
    {
        if (pid <= 0)
            return std::nullopt;
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(in, line))
            return std::nullopt;
        // "pid (name) state ppid ..." - the name may hold blanks and ")".
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos)
            return std::nullopt;
        std::istringstream fields(line.substr(close + 1));
        std::string state;
        fields >> state;
        if (state == "Z" || state == "X")
            return std::nullopt;
        std::string skip;
        for (int i = 0; i < 18; ++i) // fields 4 to 21
            fields >> skip;
        std::uint64_t start = 0;
        if (!(fields >> start))
            return std::nullopt;
        return start;
    }
};

} // namespace

const ProcessTable& systemProcessTable()
{
    static const ProcFs table;
    return table;
}

bool runInProgress(const RunState& state, const ProcessTable& processes)
{
    if (state.Pid <= 0)
        return false;
    const auto token = processes.startToken(state.Pid);
    return token && *token == state.PidStart;
}

HRESULT taskStatus(const Job& job, const RunState& state, const datetime::DateTime& now,
                   const ProcessTable& processes)
{
    if (runInProgress(state, processes))
        return SCHED_S_TASK_RUNNING;
    if (job.disabled())
        return SCHED_S_TASK_DISABLED;
    if (job.triggers.empty())
        return SCHED_S_TASK_NOT_SCHEDULED;
    const auto usable = [](const TASK_TRIGGER& t) { return isUsable(t); };
    const auto usableEvent = [](const TASK_TRIGGER& t) { return isUsable(t) && isEventTrigger(t); };
    const bool anyUsable = std::any_of(job.triggers.begin(), job.triggers.end(), usable);
    if (!anyUsable)
        return SCHED_S_TASK_NO_VALID_TRIGGERS;
    const bool anyEvent = std::any_of(job.triggers.begin(), job.triggers.end(), usableEvent);
    const bool anyTime = std::any_of(job.triggers.begin(), job.triggers.end(),
                                     [&](const TASK_TRIGGER& t) { return usable(t) && !usableEvent(t); });
    if (!anyTime)
        return SCHED_S_EVENT_TRIGGER;
    if (state.Terminated)
        return SCHED_S_TASK_TERMINATED;
    if (!state.LastRun)
        return SCHED_S_TASK_HAS_NOT_RUN;
    if (!anyEvent && !nextRun(job, now))
        return SCHED_S_TASK_NO_MORE_RUNS;
    return SCHED_S_TASK_READY;
}

} // namespace qm::tasksched
