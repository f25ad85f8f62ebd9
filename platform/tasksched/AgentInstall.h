#pragma once
// Putting the agent into the user's own scheduler, and taking it out again.
//
// Cron: the user's crontab (read with "crontab -l", written through
// "crontab -") gets one block of ours,
//   # BEGIN quillmate-agent (managed; do not edit)
//   * * * * * <agent> tick
//   @reboot <agent> event boot
//   # END quillmate-agent
// which replaces an earlier block of ours; every other byte of the crontab
// stays as it was. "no crontab for ..." counts as an empty crontab.
// Systemd: the user units quillmate-agent.service and .timer (every minute,
// catching up after sleep) and quillmate-agent-boot.service (start of the
// user's session), enabled through "systemctl --user"; the services leave
// the runs they start alive when the agent ends (KillMode=process).
// Log-on: an XDG autostart entry, quillmate-agent.desktop, for both.
#include <iosfwd>
#include <optional>
#include <string>

namespace qm::tasksched {

inline constexpr const char* CronBlockBegin = "# BEGIN quillmate-agent (managed; do not edit)";
inline constexpr const char* CronBlockEnd = "# END quillmate-agent";

// Our block for the agent at `agent` (a host path that a crontab can carry,
// AgentCommand.h), lines ending in LF.
std::string cronBlock(const std::string& agent);
// The crontab with `block` in place of our old block, or added at the end
// (after a line end of its own when the text lacks one). Nothing when a
// begin line has no end line: that crontab is left for the user to mend.
std::optional<std::string> withCronBlock(const std::string& crontab, const std::string& block);
// The crontab without our block.
std::string withoutCronBlock(const std::string& crontab);

enum class Backend { Automatic, Cron, Systemd };

// Exit codes: 0 done, 1 a step failed, or the agent's path cannot be
// carried by the crontab or the units (nothing is written then) or by the
// log-on entry (the tick is installed, the entry left out and one of an
// earlier install taken out), 3 no scheduler
// to install into (the message says to install cron or to run a systemd
// user session).
int installAgent(Backend backend, const std::string& agent, std::ostream& out, std::ostream& err);
int uninstallAgent(std::ostream& out, std::ostream& err);

// Whether the agent's minute tick is in place: our block in the user's
// crontab, or our timer among the systemd user units.
bool agentTickInstalled();

} // namespace qm::tasksched
