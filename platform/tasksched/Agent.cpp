#include "platform/tasksched/Agent.h"

#include "platform/datetime/DateText.h"
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

// A clock this far behind what the agent has looked at already has been set
// back (or was ahead before); a correction of a few minutes is not one.
constexpr long long kClockSlackSeconds = 5 * 60;

// What one tick does with one task.
struct TickPlan {
    bool armed = false;                  // first sight: nothing fires
    std::optional<DateTime> clockBackFrom; // the clock went back from there
    DateTime since;                      // the runs looked at are those after it
    std::optional<Due> due;              // the run to fire now
};

// Keeps the stretch of runs fired each at its turn: a run right after the
// last one fired lengthens it, any other starts it again.
void recordFired(const Job& job, RunState& s, const DateTime& run)
{
    if (s.FiredTo && run > *s.FiredTo && nextRun(job, *s.FiredTo) == run)
        s.FiredTo = run;
    else
        s.FiredFrom = s.FiredTo = run;
}

// Where the runs are counted from once the clock went back to `now`: from
// the last look before the gap that the clock's jump ahead made, so the
// runs due since then fire; but not before the first run of the fired
// stretch, when that is past (a run fired after a gap stands for the runs
// the gap skipped). From now when no such gap is known. A gap shows the
// clock's jump ahead only when the look that ended it lies after now: a
// gap that ended at or before now (the machine slept, the clock was right)
// had its runs decided at that look, and the looks after it passed theirs.
DateTime countFrom(const RunState& s, const DateTime& now)
{
    if (!s.GapFrom || *s.GapFrom > now || !s.GapTo || *s.GapTo <= now)
        return now;
    if (s.FiredFrom && *s.FiredFrom <= now && *s.FiredFrom > *s.GapFrom)
        return *s.FiredFrom;
    return *s.GapFrom;
}

// Decides the tick for one task on its state and brings the state up to
// date. The runs looked at are those after LastFired up to now; after the
// clock went back, those after countFrom, with the runs fired before it
// went back left out.
TickPlan planTick(const Job& job, RunState& s, const DateTime& now)
{
    TickPlan plan;
    if (!s.LastFired) {
        plan.armed = true;
        s.LastFired = now;
        return plan;
    }
    plan.since = *s.LastFired;
    if (secondsBetween(now, plan.since) > kClockSlackSeconds) {
        plan.clockBackFrom = plan.since;
        plan.since = countFrom(s, now);
        s.GapFrom.reset();
        s.GapTo.reset();
    } else if (secondsBetween(plan.since, now) > kClockSlackSeconds) {
        s.GapFrom = plan.since;
        s.GapTo = now;
    }
    // A clock set back by a few minutes only leaves LastFired where it is.
    if (*s.LastFired < now || plan.clockBackFrom)
        s.LastFired = now;
    if (job.disabled())
        return plan;
    plan.due = dueRun(job, plan.since, now);
    if (plan.due && s.FiredFrom && plan.due->run.at >= *s.FiredFrom && plan.due->run.at <= *s.FiredTo)
        plan.due = dueRun(job, plan.since, datetime::addSeconds(*s.FiredFrom, -1));
    if (plan.due && runInProgress(s, systemProcessTable()))
        plan.due.reset();
    if (plan.due)
        recordFired(job, s, plan.due->run.at);
    return plan;
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
        TickPlan plan;
        if (run.dryRun) {
            RunState copy = readRunState(files.state);
            plan = planTick(job, copy, run.now);
        } else {
            try {
                updateRunState(files.state, [&](RunState& s) { plan = planTick(job, s, run.now); });
            } catch (const RtError& e) {
                err << name << ": " << e.description << "\n";
                return false; // firing now would fire again next minute
            }
        }
        if (plan.clockBackFrom)
            err << name << ": the clock went back from " << datetime::formatDateTime(*plan.clockBackFrom) << " to "
                << datetime::formatDateTime(run.now) << "; its runs are counted from "
                << datetime::formatDateTime(plan.since) << "\n";
        if (run.dryRun && plan.armed)
            out << "arm " << name << "\n";
        if (!plan.due)
            return true;
        return fire(run, name, files, job, killAfter(*plan.due, run.now), out, err);
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
