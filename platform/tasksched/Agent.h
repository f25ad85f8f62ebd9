#pragma once
// The task agent: what the scheduler's timer runs every minute, and at
// start-up and log-on.
//
// tick: each job of the tasks folder fires once when one of its usable time
// triggers has a run time in (LastFired, now], the task is enabled and no
// run of it is in progress. LastFired then becomes now, also for tasks that
// did not fire, so a missed stretch (the machine was off) fires once, not
// once per missed run, and a task that was running skips its turn. A task
// the agent has never seen is only armed (LastFired set, nothing fired).
// A LastFired more than five minutes after now means the clock went back
// (or was ahead when the agent last looked): the agent says so on `err`,
// once, and counts the task's runs from its last look before the clock was
// put ahead (GapFrom: the LastFired before the last gap of more than five
// minutes between its looks), so a run that fell due meanwhile fires once;
// from now when that look is unknown or after now, or when the look that
// ended the gap (GapTo) is not after now: then the clock was not ahead
// there, and no run that its looks passed fires. A run the agent fired
// before the clock went back, each at its turn (FiredFrom to FiredTo), does
// not fire again, nor do the runs that a run fired after a gap stood for.
// A clock set back by less leaves LastFired where it was.
// event: the enabled tasks with a usable system-start or log-on trigger fire.
// Idle triggers never fire: the agent does not watch for idleness.
//
// Nothing fires from a tasks folder that another user owns or may write, nor
// from a job file that is not a plain file of this user that only they may
// write. Problems go to `err`, one line each; a normal tick prints nothing.
#include "platform/datetime/DateTime.h"

#include <filesystem>
#include <iosfwd>

namespace qm::tasksched {

struct AgentRun {
    std::filesystem::path folder;
    datetime::DateTime now;
    bool dryRun = false; // print what would fire ("fire Nightwick.job ..."), change nothing
};

enum class AgentEvent { Boot, Logon };

// Exit codes: 0 done (also with nothing to do), 1 the folder is not to be
// trusted or a task could not be started.
int agentTick(const AgentRun& run, std::ostream& out, std::ostream& err);
int agentEvent(const AgentRun& run, AgentEvent event, std::ostream& out, std::ostream& err);

} // namespace qm::tasksched
