#include "platform/tasksched/AgentInstall.h"

#include "platform/fs/AtomicFile.h"
#include "platform/process/Captured.h"
#include "platform/process/ProgramLookup.h"
#include "platform/tasksched/AgentCommand.h"
#include "platform/tasksched/TasksFolder.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <vector>

namespace qm::tasksched {

namespace stdfs = std::filesystem;

namespace {

constexpr const char* kNoBackend = "no scheduler backend: install cron or run a systemd user session";
constexpr const char* kService = "quillmate-agent.service";
constexpr const char* kTimer = "quillmate-agent.timer";
constexpr const char* kBootService = "quillmate-agent-boot.service";
constexpr const char* kAutostart = "quillmate-agent.desktop";

using ToolResult = process::CapturedRun;

// Runs a program found on PATH with `input` on its standard input.
ToolResult runTool(const std::string& name, const std::vector<std::string>& args, const std::string& input = {})
{
    const auto path = process::findOnPath(name);
    return path ? process::runCaptured(*path, args, input, name) : ToolResult{};
}

stdfs::path configHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return homeFolder() / ".config";
}

stdfs::path unitFolder() { return configHome() / "systemd" / "user"; }
stdfs::path autostartFile() { return configHome() / "autostart" / kAutostart; }

bool writeText(const stdfs::path& file, const std::string& text, std::ostream& err)
{
    try {
        std::error_code ec;
        stdfs::create_directories(file.parent_path(), ec);
        fs::writeFileAtomic(file, text);
        return true;
    } catch (const RtError& e) {
        err << file.string() << ": " << e.description << "\n";
        return false;
    }
}

bool installAutostart(const std::string& agent, std::ostream& err)
{
    return writeText(autostartFile(),
                     "[Desktop Entry]\n"
                     "Type=Application\n"
                     "Name=Quillmate task agent\n"
                     "Comment=Runs the Quillmate tasks that start at log-on\n"
                     "Exec=" + desktopCommandWord(agent).word + " event logon\n"
                     "NoDisplay=true\n"
                     "X-GNOME-Autostart-enabled=true\n",
                     err);
}

// The current crontab; nothing when it cannot be read.
std::optional<std::string> readCrontab(std::ostream& err)
{
    const ToolResult r = runTool("crontab", {"-l"});
    if (r.started && r.status == 0)
        return r.out;
    if (r.started && r.err.find("no crontab for") != std::string::npos)
        return std::string();
    err << "crontab -l failed: " << (r.started ? r.err : std::string("crontab could not be started")) << "\n";
    return std::nullopt;
}

bool writeCrontab(const std::string& text, std::ostream& err)
{
    const ToolResult r = text.empty() ? runTool("crontab", {"-r"}) : runTool("crontab", {"-"}, text);
    if (r.started && r.status == 0)
        return true;
    err << "crontab could not be written: " << r.err << "\n";
    return false;
}

int installCron(const std::string& agent, std::ostream& out, std::ostream& err)
{
    const auto current = readCrontab(err);
    if (!current)
        return 1;
    const auto next = withCronBlock(*current, cronBlock(agent));
    if (!next) {
        err << "the crontab has \"" << CronBlockBegin << "\" without \"" << CronBlockEnd
            << "\"; mend it with crontab -e and install again\n";
        return 1;
    }
    if (*next != *current && !writeCrontab(*next, err))
        return 1;
    out << "installed into the crontab\n";
    return 0;
}

bool systemctl(const std::vector<std::string>& args, std::ostream& err)
{
    std::vector<std::string> all{"--user"};
    all.insert(all.end(), args.begin(), args.end());
    const ToolResult r = runTool("systemctl", all);
    if (r.started && r.status == 0)
        return true;
    err << "systemctl --user";
    for (const std::string& a : args)
        err << " " << a;
    err << " failed: " << r.err << "\n";
    return false;
}

int installSystemd(const std::string& agent, std::ostream& out, std::ostream& err)
{
    const stdfs::path units = unitFolder();
    const std::string exec = unitCommandWord(agent).word;
    const bool written =
        writeText(units / kService,
                  "[Unit]\nDescription=Quillmate task agent: fires the scheduled tasks that are due\n\n"
                  "[Service]\nType=oneshot\nKillMode=process\nExecStart=" + exec + " tick\n",
                  err) &&
        writeText(units / kTimer,
                  "[Unit]\nDescription=Runs the Quillmate task agent every minute\n\n"
                  "[Timer]\nOnCalendar=minutely\nPersistent=true\n\n"
                  "[Install]\nWantedBy=timers.target\n",
                  err) &&
        writeText(units / kBootService,
                  "[Unit]\nDescription=Quillmate task agent: the tasks that run at start-up\n\n"
                  "[Service]\nType=oneshot\nKillMode=process\nExecStart=" + exec + " event boot\n\n"
                  "[Install]\nWantedBy=default.target\n",
                  err);
    if (!written || !systemctl({"daemon-reload"}, err) || !systemctl({"enable", "--now", kTimer}, err) ||
        !systemctl({"enable", kBootService}, err))
        return 1;
    out << "installed as systemd user units\n";
    return 0;
}

bool systemdAnswers() { return runTool("systemctl", {"--user", "show-environment"}).status == 0; }

} // namespace

std::string cronBlock(const std::string& agent)
{
    const std::string word = cronCommandWord(agent).word;
    return std::string(CronBlockBegin) + "\n* * * * * " + word + " tick\n@reboot " + word + " event boot\n" +
           CronBlockEnd + "\n";
}

namespace {

struct BlockSpan {
    std::size_t begin = std::string::npos; // first byte of the begin line
    std::size_t end = std::string::npos;   // after the end line's line break
};

// Where our block is: the first begin line and the first end line after it.
BlockSpan findBlock(const std::string& text)
{
    BlockSpan span;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t next = text.find('\n', at);
        next = next == std::string::npos ? text.size() : next + 1;
        std::string_view line(text.data() + at, next - at);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (span.begin == std::string::npos && line == CronBlockBegin) {
            span.begin = at;
        } else if (span.begin != std::string::npos && line == CronBlockEnd) {
            span.end = next;
            break;
        }
        at = next;
    }
    return span;
}

} // namespace

std::optional<std::string> withCronBlock(const std::string& crontab, const std::string& block)
{
    const BlockSpan span = findBlock(crontab);
    if (span.begin != std::string::npos && span.end == std::string::npos)
        return std::nullopt;
    if (span.begin != std::string::npos) {
        std::string tail = crontab.substr(span.end);
        std::string text = crontab.substr(0, span.begin) + block;
        return text + tail;
    }
    std::string text = crontab;
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text + block;
}

std::string withoutCronBlock(const std::string& crontab)
{
    const BlockSpan span = findBlock(crontab);
    if (span.begin == std::string::npos || span.end == std::string::npos)
        return crontab;
    return crontab.substr(0, span.begin) + crontab.substr(span.end);
}

int installAgent(Backend backend, const std::string& agent, std::ostream& out, std::ostream& err)
{
    if (backend == Backend::Automatic) {
        if (process::findOnPath("crontab"))
            backend = Backend::Cron;
        else if (systemdAnswers())
            backend = Backend::Systemd;
        else {
            err << kNoBackend << "\n";
            return 3;
        }
    }
    if (backend == Backend::Cron && !process::findOnPath("crontab")) {
        err << "crontab is not on PATH; " << kNoBackend << "\n";
        return 3;
    }
    if (backend == Backend::Systemd && !systemdAnswers()) {
        err << "systemctl --user does not answer; " << kNoBackend << "\n";
        return 3;
    }
    // Nothing is written unless the tick's own place can carry the path.
    const CommandWord tick = backend == Backend::Cron ? cronCommandWord(agent) : unitCommandWord(agent);
    if (!tick.carried()) {
        err << "the agent cannot be installed from where it lies: its path holds " << tick.refusal
            << "; move it to another folder and install again\n";
        return 1;
    }
    const int result = backend == Backend::Cron ? installCron(agent, out, err) : installSystemd(agent, out, err);
    if (result != 0)
        return result;
    if (const CommandWord logon = desktopCommandWord(agent); !logon.carried()) {
        err << "the log-on entry cannot be installed from where the agent lies: its path holds " << logon.refusal;
        // The entry of an earlier install would run that other copy at log-on.
        std::error_code ec;
        if (stdfs::remove(autostartFile(), ec) || !ec)
            err << "; tasks that start at log-on will not run until it is moved to another folder and installed again\n";
        else
            err << "; the entry of an earlier install, " << autostartFile().string() << ", could not be taken out ("
                << ec.message() << ") and still runs at log-on\n";
        return 1;
    }
    return installAutostart(agent, err) ? 0 : 1;
}

bool agentTickInstalled()
{
    std::error_code ec;
    if (stdfs::exists(unitFolder() / kTimer, ec))
        return true;
    if (!process::findOnPath("crontab"))
        return false;
    const ToolResult r = runTool("crontab", {"-l"});
    if (!r.started || r.status != 0)
        return false;
    const BlockSpan span = findBlock(r.out);
    return span.begin != std::string::npos && span.end != std::string::npos;
}

int uninstallAgent(std::ostream& out, std::ostream& err)
{
    int result = 0;
    if (process::findOnPath("crontab")) {
        if (const auto current = readCrontab(err)) {
            const std::string next = withoutCronBlock(*current);
            if (next != *current) {
                if (writeCrontab(next, err))
                    out << "removed from the crontab\n";
                else
                    result = 1;
            }
        } else {
            result = 1;
        }
    }
    const stdfs::path units = unitFolder();
    std::error_code ec;
    if (stdfs::exists(units / kTimer, ec) || stdfs::exists(units / kBootService, ec)) {
        if (process::findOnPath("systemctl")) {
            systemctl({"disable", "--now", kTimer}, err);
            systemctl({"disable", kBootService}, err);
        }
        for (const char* unit : {kService, kTimer, kBootService})
            stdfs::remove(units / unit, ec);
        if (process::findOnPath("systemctl"))
            systemctl({"daemon-reload"}, err);
        out << "removed the systemd user units\n";
    }
    stdfs::remove(autostartFile(), ec);
    return result;
}

} // namespace qm::tasksched
