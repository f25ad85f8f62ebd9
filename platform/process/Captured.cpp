#include "platform/process/Captured.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm::process {

CapturedRun runCaptured(const std::string& path, const std::vector<std::string>& args, const std::string& input,
                        const std::string& name)
{
    CapturedRun r;
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC))
        return r;
    if (::pipe2(out, O_CLOEXEC)) {
        ::close(in[0]);
        ::close(in[1]);
        return r;
    }
    if (::pipe2(err, O_CLOEXEC)) {
        for (int fd : {in[0], in[1], out[0], out[1]})
            ::close(fd);
        return r;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> argv{name.empty() ? path : name};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> ptrs;
    for (std::string& a : argv)
        ptrs.push_back(a.data());
    ptrs.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, ptrs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {in[0], out[1], err[1]})
        ::close(fd);
    if (spawned == 0) {
        r.started = true;
        // Small texts both ways: write everything, then read both outputs.
        for (std::size_t at = 0; at < input.size();) {
            const ssize_t n = ::write(in[1], input.data() + at, input.size() - at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            at += static_cast<std::size_t>(n);
        }
    }
    ::close(in[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* into[2] = {&r.out, &r.err};
    int open = spawned == 0 ? 2 : 0;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                into[i]->append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (spawned == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return r;
}

} // namespace qm::process
