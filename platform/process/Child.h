#pragma once
// A started child process: polling that reaps it once it has ended, waiting
// without using the processor, and hand-over to a background reaper when
// nobody watches it any more, so that no ended child is left as a zombie.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qm::process {

class Child {
public:
    Child() = default;
    explicit Child(pid_t pid) : pid_(pid) {}
    // A child that has not been reaped yet is handed to the background reaper.
    ~Child();
    Child(Child&& other) noexcept;
    Child& operator=(Child&& other) noexcept;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // True when this object stands for a started process.
    bool valid() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // True while the process runs. Once it has ended it is reaped and the
    // answer stays false. With a grace period, a process that is still
    // running is given up to that long to end before the answer is given,
    // which lets a caller poll in a loop without keeping a processor busy.
    bool running(std::chrono::milliseconds grace = std::chrono::milliseconds(0));

    // Blocks until the process has ended (the thread sleeps in the kernel).
    void wait();

    // Waits until the process has ended, calling `between` (if any) every
    // `interval` while it runs; the thread sleeps between the calls.
    void waitWhile(const std::function<void()>& between,
                   std::chrono::milliseconds interval = std::chrono::milliseconds(10));

    // After the process has ended: its exit code, or 128 + the signal that
    // ended it. Empty while it runs or when nothing was started.
    std::optional<int> exitCode() const;

    // Stops watching the process; the background reaper collects it.
    void detach();

private:
    bool poll(); // reaps without blocking; true when the process has ended
    pid_t pid_ = 0;
    bool ended_ = false;
    int status_ = 0;
};

// The result of starting a program: 0 or the errno that prevented the start.
struct Spawned {
    int error = 0;
    Child child;
};

// Starts `path` with the argument vector `argv` (argv[0] is what the program
// sees as its name) and the caller's environment, never through a shell.
// `workDir`, when not empty, becomes the child's current folder.
Spawned spawnProgram(const std::string& path, const std::vector<std::string>& argv,
                     const std::string& workDir = {});

} // namespace qm::process
