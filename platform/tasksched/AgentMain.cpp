// quillmate-task-agent: fires the scheduled tasks that are due, and puts
// itself into the user's cron or systemd user session.
//   tick [--now <local time>] [--tasks <folder>] [--dry-run]
//   event boot|logon [--now <local time>] [--tasks <folder>] [--dry-run]
//   install [--cron|--systemd]
//   uninstall
// --now takes an ISO local time ("2026-01-02T21:00", "2026-01-02 21:00:30").
#include "platform/datetime/Clock.h"
#include "platform/datetime/DateText.h"
#include "platform/tasksched/Agent.h"
#include "platform/tasksched/AgentInstall.h"
#include "platform/tasksched/TasksFolder.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

using namespace qm::tasksched;

namespace {

constexpr const char* kUsage =
    "usage: quillmate-task-agent tick [--now <ISO local time>] [--tasks <folder>] [--dry-run]\n"
    "       quillmate-task-agent event boot|logon [--now <ISO local time>] [--tasks <folder>] [--dry-run]\n"
    "       quillmate-task-agent install [--cron|--systemd]\n"
    "       quillmate-task-agent uninstall\n";

int usage()
{
    std::cerr << kUsage;
    return 2;
}

std::string selfPath(const char* argv0)
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::absolute(argv0).string() : exe.string();
}

// The options of tick and event; false on a bad one.
bool runOptions(const std::vector<std::string>& args, std::size_t from, AgentRun& run)
{
    run.folder = tasksFolderNative();
    run.now = qm::datetime::systemClock().now();
    for (std::size_t i = from; i < args.size(); ++i) {
        if (args[i] == "--dry-run") {
            run.dryRun = true;
        } else if ((args[i] == "--now" || args[i] == "--tasks") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (args[i - 1] == "--tasks") {
                run.folder = value;
                continue;
            }
            const auto now = qm::datetime::parseDateTime(value);
            if (!now) {
                std::cerr << "not a date and time: " << value << "\n";
                return false;
            }
            run.now = *now;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage();
    const std::string& command = args[0];
    if (command == "tick") {
        AgentRun run;
        return runOptions(args, 1, run) ? agentTick(run, std::cout, std::cerr) : usage();
    }
    if (command == "event") {
        if (args.size() < 2 || (args[1] != "boot" && args[1] != "logon"))
            return usage();
        AgentRun run;
        if (!runOptions(args, 2, run))
            return usage();
        return agentEvent(run, args[1] == "boot" ? AgentEvent::Boot : AgentEvent::Logon, std::cout, std::cerr);
    }
    if (command == "install") {
        Backend backend = Backend::Automatic;
        if (args.size() > 2)
            return usage();
        if (args.size() == 2) {
            if (args[1] == "--cron")
                backend = Backend::Cron;
            else if (args[1] == "--systemd")
                backend = Backend::Systemd;
            else
                return usage();
        }
        return installAgent(backend, selfPath(argv[0]), std::cout, std::cerr);
    }
    if (command == "uninstall" && args.size() == 1)
        return uninstallAgent(std::cout, std::cerr);
    return usage();
}
