#include "platform/tasksched/Launch.h"

#include "platform/datetime/Clock.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/process/CommandLine.h"
#include "platform/process/ProgramLookup.h"
#include "platform/tasksched/Results.h"
#include "platform/tasksched/RunState.h"
#include "platform/tasksched/Schedule.h"
#include "platform/tasksched/Status.h"
#include "platform/tasksched/TaskFile.h"
#include "platform/tasksched/TasksFolder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm::tasksched {

namespace {

using Clock = std::chrono::steady_clock;

// What the supervisor reports to the launcher through a pipe.
constexpr int kStarted = 0;
constexpr int kAlreadyRunning = -1;
constexpr int kStateFailed = -2;

// Everything the supervisor needs, worked out before the forks.
struct Plan {
    TaskFiles files;
    Job job;
    std::string program;
    std::string workDir;
    std::vector<std::string> argv;
    std::vector<std::string> env;
    std::optional<std::chrono::milliseconds> limit;
};

// A path of a job: a host path as it is, anything else in Windows form.
std::string hostPath(const std::string& path)
{
    return path.front() == '/' ? path : fs::toNative(path).string();
}

bool isBareName(const std::string& name) { return name.find_first_of("/\\:") == std::string::npos; }

std::vector<std::string> taskEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM"))
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
    return env;
}

std::optional<std::chrono::milliseconds> runLimit(const Job& job, std::optional<std::chrono::milliseconds> killAfter)
{
    std::optional<std::chrono::milliseconds> limit;
    if (job.MaxRunTimeMs != 0 && job.MaxRunTimeMs != INFINITE_RUN_TIME)
        limit = std::chrono::milliseconds(job.MaxRunTimeMs);
    if (killAfter)
        limit = limit ? std::min(*limit, *killAfter) : *killAfter;
    return limit;
}

HRESULT makePlan(const TaskFiles& files, const Job& job, std::optional<std::chrono::milliseconds> killAfter,
                 Plan& plan)
{
    const std::string app(fs::trimBlanks(job.ApplicationName));
    if (app.empty())
        return com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND);
    try {
        const std::string dir(fs::trimBlanks(job.WorkingDirectory));
        plan.workDir = dir.empty() ? homeFolder().string() : hostPath(dir);
        std::error_code ec;
        if (!std::filesystem::is_directory(plan.workDir, ec))
            return com::HRESULT_FROM_WIN32(com::ERROR_PATH_NOT_FOUND);
        const process::Found found = isBareName(app) ? process::resolveProgram(app, plan.workDir, true)
                                                     : process::resolveProgram(hostPath(app), {}, false);
        if (found.code != 0)
            return com::HRESULT_FROM_WIN32(static_cast<DWORD>(found.code));
        plan.program = found.path;
    } catch (const RtError& e) {
        return resultFromRtError(e);
    }
    plan.files = files;
    plan.job = job;
    plan.argv.push_back(plan.program);
    for (std::string& a : process::splitArguments(job.Parameters))
        plan.argv.push_back(std::move(a));
    plan.env = taskEnvironment();
    plan.limit = runLimit(job, killAfter);
    return com::S_OK;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

void report(int fd, int code)
{
    while (::write(fd, &code, sizeof code) < 0 && errno == EINTR) {
    }
    ::close(fd);
}

// Starts the program in a process group of its own, with default signals.
int spawn(Plan& plan, pid_t& child)
{
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_init(&actions);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGCHLD, SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGUSR2, SIGALRM})
        sigaddset(&defaults, sig);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawn_file_actions_addchdir_np(&actions, plan.workDir.c_str());
    std::vector<char*> argv = pointers(plan.argv);
    std::vector<char*> env = pointers(plan.env);
    const int err = ::posix_spawn(&child, plan.program.c_str(), &actions, &attr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return err;
}

timespec untilNow(Clock::time_point t)
{
    const auto left = std::max(Clock::duration::zero(), t - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

struct Outcome {
    int exitCode = 0;
    bool terminated = false;
};

// Waits for the program; TERM (from Terminate) or the time limit end it,
// KILL follows after the grace period.
Outcome supervise(pid_t child, const std::optional<std::chrono::milliseconds>& limit, const sigset_t& waitFor)
{
    Outcome out;
    std::optional<Clock::time_point> deadline;
    std::optional<Clock::time_point> killAt;
    if (limit)
        deadline = Clock::now() + *limit;
    auto stop = [&] {
        out.terminated = true;
        ::kill(-child, SIGTERM);
        if (!killAt)
            killAt = Clock::now() + TerminateGrace;
    };
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(child, &status, WNOHANG);
        if (r == child || (r < 0 && errno != EINTR)) {
            out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0;
            break;
        }
        std::optional<Clock::time_point> wake = killAt ? killAt : deadline;
        if (killAt && deadline)
            wake = std::min(*killAt, *deadline);
        siginfo_t info;
        int sig;
        if (wake) {
            const timespec ts = untilNow(*wake);
            sig = ::sigtimedwait(&waitFor, &info, &ts);
        } else {
            sig = ::sigwaitinfo(&waitFor, &info);
        }
        if (sig == SIGTERM)
            stop();
        const auto now = Clock::now();
        if (deadline && now >= *deadline) {
            deadline.reset();
            stop();
        }
        if (killAt && now >= *killAt) {
            ::kill(-child, SIGKILL);
            killAt = Clock::now() + TerminateGrace; // again, should anything survive
        }
    }
    if (out.terminated)
        ::kill(-child, SIGKILL); // what the program left behind in its group
    return out;
}

bool noRunToCome(const Job& job)
{
    const bool event = std::any_of(job.triggers.begin(), job.triggers.end(),
                                   [](const TASK_TRIGGER& t) { return isUsable(t) && isEventTrigger(t); });
    return !event && !nextRun(job, datetime::systemClock().now());
}

// The supervisor's whole life; it never returns.
[[noreturn]] void supervisor(Plan& plan, int reportFd)
{
    int code = kStateFailed;
    try {
        ::signal(SIGHUP, SIG_IGN);
        ::signal(SIGCHLD, SIG_DFL);
        sigset_t waitFor;
        sigemptyset(&waitFor);
        sigaddset(&waitFor, SIGCHLD);
        sigaddset(&waitFor, SIGTERM);
        ::sigprocmask(SIG_SETMASK, &waitFor, nullptr);
        // Nothing of the caller's stays open here but the report pipe.
        if (reportFd > 3)
            ::close_range(3, static_cast<unsigned>(reportFd - 1), 0);
        ::close_range(static_cast<unsigned>(reportFd + 1), ~0u, 0);
        // Like a task of the system, the run has no terminal; and whoever
        // started it (the agent under cron, say) does not wait for its output.
        if (int null = ::open("/dev/null", O_RDWR); null >= 0) {
            for (int fd = 0; fd < 3; ++fd)
                ::dup2(null, fd);
            if (null > 2)
                ::close(null);
        }
        if (plan.job.Priority == IDLE_PRIORITY_CLASS)
            ::setpriority(PRIO_PROCESS, 0, 19);

        pid_t child = 0;
        {
            fs::FileLock lock = lockTaskFolder(plan.files.state);
            const RunState before = readRunState(plan.files.state);
            if (runInProgress(before, systemProcessTable())) {
                report(reportFd, kAlreadyRunning);
                ::_exit(0);
            }
            RunState running = before;
            running.Pid = ::getpid();
            running.PidStart = systemProcessTable().startToken(running.Pid).value_or(0);
            running.LastRun = datetime::systemClock().now();
            running.Terminated = false;
            writeRunState(plan.files.state, running);
            if (const int err = spawn(plan, child); err != 0) {
                code = err;
                writeRunState(plan.files.state, before);
                report(reportFd, code);
                ::_exit(0);
            }
        }
        report(reportFd, kStarted);
        code = kStarted;

        const Outcome out = supervise(child, plan.limit, waitFor);
        fs::FileLock lock = lockTaskFolder(plan.files.state);
        std::error_code ec;
        // A task deleted while it ran leaves no state behind.
        const bool gone = !std::filesystem::exists(plan.files.job, ec) ||
                          ((plan.job.Flags & TASK_FLAG_DELETE_WHEN_DONE) && noRunToCome(plan.job));
        if (gone) {
            std::filesystem::remove(plan.files.job, ec);
            std::filesystem::remove(plan.files.state, ec);
        } else {
            RunState after = readRunState(plan.files.state);
            after.ExitCode = static_cast<std::uint32_t>(out.exitCode);
            after.Terminated = out.terminated;
            after.Pid = 0;
            after.PidStart = 0;
            writeRunState(plan.files.state, after);
        }
    } catch (...) {
        if (code != kStarted)
            report(reportFd, code);
    }
    ::_exit(0);
}

} // namespace

HRESULT launchTask(const TaskFiles& files, const Job& job, std::optional<std::chrono::milliseconds> killAfter)
{
    Plan plan;
    if (const HRESULT hr = makePlan(files, job, killAfter, plan); FAILED(hr))
        return hr;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return com::E_FAIL;
    const pid_t first = ::fork();
    if (first < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return com::E_FAIL;
    }
    if (first == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t second = ::fork();
        if (second != 0)
            ::_exit(second < 0 ? 1 : 0);
        supervisor(plan, fds[1]);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(first, &status, 0) < 0 && errno == EINTR) {
    }
    int code = 1;
    ssize_t n;
    do {
        n = ::read(fds[0], &code, sizeof code);
    } while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    if (n != sizeof code)
        return com::E_FAIL;
    if (code == kStarted)
        return com::S_OK;
    if (code == kAlreadyRunning)
        return SCHED_S_TASK_RUNNING;
    return code > 0 ? resultFromErrno(code) : com::E_FAIL;
}

HRESULT terminateTask(const TaskFiles& files)
{
    const RunState state = readRunState(files.state);
    if (!runInProgress(state, systemProcessTable()))
        return SCHED_E_TASK_NOT_RUNNING;
    if (::kill(state.Pid, SIGTERM) != 0)
        return errno == ESRCH ? SCHED_E_TASK_NOT_RUNNING : resultFromErrno(errno);
    return com::S_OK;
}

} // namespace qm::tasksched
