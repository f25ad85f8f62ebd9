#include "platform/process/Child.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <system_error>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace qm::process {

namespace {

// Collects a child nobody watches any more. One short-lived thread per child
// sleeps in waitpid until it ends.
void reapInBackground(pid_t pid) noexcept
{
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child is left to be collected when this
        // program ends, which beats ending it now from a destructor.
    }
}

void sleepFor(std::chrono::milliseconds ms)
{
    timespec ts{static_cast<time_t>(ms.count() / 1000), static_cast<long>((ms.count() % 1000) * 1000000)};
    while (::nanosleep(&ts, &ts) < 0 && errno == EINTR) {
    }
}

constexpr std::chrono::milliseconds kPollStep{5};

} // namespace

Child::~Child()
{
    detach();
}

Child::Child(Child&& other) noexcept : pid_(other.pid_), ended_(other.ended_), status_(other.status_)
{
    other.pid_ = 0;
    other.ended_ = false;
}

Child& Child::operator=(Child&& other) noexcept
{
    if (this != &other) {
        detach();
        pid_ = other.pid_;
        ended_ = other.ended_;
        status_ = other.status_;
        other.pid_ = 0;
        other.ended_ = false;
    }
    return *this;
}

bool Child::poll()
{
    if (pid_ <= 0 || ended_)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    // r == pid: ended and reaped. r < 0 (ECHILD): someone else collected it,
    // for example with SIGCHLD ignored; either way it no longer runs.
    ended_ = true;
    status_ = r == pid_ ? status : 0;
    return true;
}

bool Child::running(std::chrono::milliseconds grace)
{
    if (poll())
        return false;
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        sleepFor(std::min(kPollStep, std::max(left, std::chrono::milliseconds(1))));
        if (poll())
            return false;
    }
    return true;
}

void Child::wait()
{
    if (pid_ <= 0 || ended_)
        return;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, 0);
    } while (r < 0 && errno == EINTR);
    ended_ = true;
    status_ = r == pid_ ? status : 0;
}

void Child::waitWhile(const std::function<void()>& between, std::chrono::milliseconds interval)
{
    if (!between) {
        wait();
        return;
    }
    while (running(interval))
        between();
}

std::optional<int> Child::exitCode() const
{
    if (pid_ <= 0 || !ended_)
        return std::nullopt;
    if (WIFEXITED(status_))
        return WEXITSTATUS(status_);
    if (WIFSIGNALED(status_))
        return 128 + WTERMSIG(status_);
    return 0;
}

void Child::detach()
{
    if (pid_ > 0 && !poll())
        reapInBackground(pid_);
    pid_ = 0;
    ended_ = false;
}

Spawned spawnProgram(const std::string& path, const std::vector<std::string>& argv, const std::string& workDir)
{
    Spawned result;
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    if (args.empty())
        args.push_back(const_cast<char*>(path.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    // The child starts with no blocked signals and default handlers for the
    // signals a program expects to find in their default state.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    int err = ::posix_spawn(&pid, path.c_str(), &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        result.error = err;
        return result;
    }
    result.child = Child(pid);
    return result;
}

} // namespace qm::process
