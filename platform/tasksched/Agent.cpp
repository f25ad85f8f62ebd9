#include "platform/tasksched/Agent.h"

#include "platform/fs/RtError.h"
#include "platform/tasksched/Launch.h"
#include "platform/tasksched/RunState.h"
#include "platform/tasksched/Schedule.h"
#include "platform/tasksched/Status.h"

#include <chrono>
#include <cstdio>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::tasksched {

using datetime::DateTime;

namespace {

// Empty when this user alone controls the path; else why not.
std::string distrust(const std::filesystem::path& path, bool plainFile)
{
    struct stat st{};
    if ((plainFile ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st)) != 0)
        return "cannot be read";
    if (plainFile && !S_ISREG(st.st_mode))
        return "is not a plain file";
    if (st.st_uid != ::geteuid())
        return "belongs to another user";
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return "can be written by other users";
    return {};
}

std::string resultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

long long secondsBetween(const DateTime& from, const DateTime& to)
{
    return datetime::daysBetween(from, to) * 86400 + (to.hour - from.hour) * 3600 + (to.minute - from.minute) * 60 +
           (to.second - from.second);
}

// A due trigger: the latest of its runs in (since, now].
struct Due {
    RunTime run;
    const TASK_TRIGGER* trigger = nullptr;
};

std::optional<Due> dueRun(const Job& job, const DateTime& since, const DateTime& now)
{
    std::optional<Due> due;
    for (const TASK_TRIGGER& t : job.triggers) {
        auto r = nextRun(t, since);
        if (!r || r->at > now)
            continue;
        // Walk to the latest missed run: its period decides a kill at the end.
        for (int i = 0; i < 100000; ++i) {
            auto later = nextRun(t, r->at);
            if (!later || later->at > now)
                break;
            r = later;
        }
        if (!due || r->at > due->run.at)
            due = Due{*r, &t};
    }
    return due;
}

// How long a run fired for `due` may last when its trigger ends runs with
// its period; nothing when it does not, or when that period is over.
std::optional<std::chrono::milliseconds> killAfter(const Due& due, const DateTime& now)
{
    const TASK_TRIGGER& t = *due.trigger;
    if (!(t.rgFlags & TASK_TRIGGER_FLAG_KILL_AT_DURATION_END) || t.MinutesDuration == 0)
        return std::nullopt;
    const DateTime end = datetime::addSeconds(due.run.periodStart, 60LL * t.MinutesDuration);
    const long long left = secondsBetween(now, end);
    if (left <= 0)
        return std::nullopt;
    return std::chrono::milliseconds(left * 1000);
}

// Calls `each` for every job of the folder that may be trusted.
template <class Each>
int forEachJob(const AgentRun& run, std::ostream& err, Each each)
{
    std::error_code ec;
    if (!std::filesystem::exists(run.folder, ec))
        return 0;
    if (const std::string why = distrust(run.folder, false); !why.empty()) {
        err << "tasks folder " << run.folder.string() << " " << why << ": nothing fires\n";
        return 1;
    }
    int result = 0;
    for (const std::string& name : jobFileNames(run.folder)) {
        const TaskFiles files{run.folder / name, run.folder / (name + std::string(StateExtension))};
        if (const std::string why = distrust(files.job, true); !why.empty()) {
            err << name << " " << why << ": skipped\n";
            continue;
        }
        std::optional<Job> job;
        try {
            job = loadJob(files.job);
        } catch (const RtError&) {
        }
        if (!job) {
            err << name << " does not read as a job: skipped\n";
            continue;
        }
        if (!each(name, files, *job))
            result = 1;
    }
    return result;
}

bool fire(const AgentRun& run, const std::string& name, const TaskFiles& files, const Job& job,
          std::optional<std::chrono::milliseconds> limit, std::ostream& out, std::ostream& err)
{
    if (run.dryRun) {
        out << "fire " << name << "\n";
        return true;
    }
    const HRESULT hr = launchTask(files, job, limit);
    if (FAILED(hr)) {
        err << name << " could not be started (" << resultText(hr) << ")\n";
        return false;
    }
    return true;
}

} // namespace

int agentTick(const AgentRun& run, std::ostream& out, std::ostream& err)
{
    return forEachJob(run, err, [&](const std::string& name, const TaskFiles& files, const Job& job) {
        const RunState state = readRunState(files.state);
        std::optional<Due> due;
        if (state.LastFired && !job.disabled())
            due = dueRun(job, *state.LastFired, run.now);
        if (run.dryRun) {
            if (!state.LastFired)
                out << "arm " << name << "\n";
        } else {
            try {
                updateRunState(files.state, [&](RunState& s) {
                    if (!s.LastFired || *s.LastFired < run.now)
                        s.LastFired = run.now;
                });
            } catch (const RtError& e) {
                err << name << ": " << e.description << "\n";
                return false; // firing now would fire again next minute
            }
        }
        if (!due || runInProgress(state, systemProcessTable()))
            return true;
        return fire(run, name, files, job, killAfter(*due, run.now), out, err);
    });
}

int agentEvent(const AgentRun& run, AgentEvent event, std::ostream& out, std::ostream& err)
{
    const int type = event == AgentEvent::Boot ? TASK_EVENT_TRIGGER_AT_SYSTEMSTART : TASK_EVENT_TRIGGER_AT_LOGON;
    return forEachJob(run, err, [&](const std::string& name, const TaskFiles& files, const Job& job) {
        bool wanted = false;
        for (const TASK_TRIGGER& t : job.triggers)
            wanted = wanted || (t.TriggerType == type && isUsable(t));
        if (!wanted || job.disabled() || runInProgress(readRunState(files.state), systemProcessTable()))
            return true;
        return fire(run, name, files, job, std::nullopt, out, err);
    });
}

} // namespace qm::tasksched
