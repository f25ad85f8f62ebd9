#pragma once
// The task agent as the scheduling tab shows it: whether its minute tick is
// installed (the line lblAgent), and installing it ("Install scheduler
// agent" runs `quillmate-task-agent install` from the program folder).
// Scheduled tasks run on this system only while that tick is in place.
#include <functional>
#include <string>

namespace qm::options {

struct AgentAnswer {
    bool ok = false;
    std::string message; // what the agent said when it failed
};

struct TaskAgent {
    std::function<bool()> installed;
    std::function<AgentAnswer()> install;
};

// The agent of this system: the tick looked for in the user's crontab and
// systemd user units; the program folder's quillmate-task-agent run with
// "install", its error output the message.
TaskAgent systemTaskAgent();

// The text of lblAgent.
std::string agentLine(bool installed);

} // namespace qm::options
