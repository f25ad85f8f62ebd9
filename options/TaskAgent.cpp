#include "options/TaskAgent.h"

#include "platform/fs/Paths.h"
#include "platform/process/Captured.h"
#include "platform/tasksched/AgentInstall.h"

namespace qm::options {

namespace {

std::string trimmed(std::string text)
{
    const auto end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

AgentAnswer runInstall()
{
    const std::string agent = qm::fs::toNative(qm::fs::appPath() + "\\quillmate-task-agent").string();
    const qm::process::CapturedRun run = qm::process::runCaptured(agent, {"install"});
    if (!run.started)
        return {false, "The scheduler agent could not be started:\r\n" + agent};
    if (run.status == 0)
        return {true, {}};
    std::string said = trimmed(run.err.empty() ? run.out : run.err);
    return {false, said.empty() ? "The scheduler agent could not be installed." : said};
}

} // namespace

TaskAgent systemTaskAgent() { return {qm::tasksched::agentTickInstalled, runInstall}; }

std::string agentLine(bool installed)
{
    return installed ? "Scheduler agent: installed; due tasks start within a minute."
                     : "Scheduler agent: not installed; scheduled tasks will not start on their own.";
}

} // namespace qm::options
