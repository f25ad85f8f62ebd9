#pragma once
// Running a small program to its end with its output kept: a text goes to
// its standard input, and what it writes to its standard output and error
// comes back. For tools whose answer is short (crontab, systemctl, the task
// agent); the caller waits, without a shell.
#include <string>
#include <vector>

namespace qm::process {

struct CapturedRun {
    bool started = false;
    int status = -1; // exit status, -1 when it did not end normally
    std::string out;
    std::string err;
};

// Runs the program at the host path `path` with `args` (argv[0] is `name`,
// or `path` when `name` is empty) and `input` on its standard input.
CapturedRun runCaptured(const std::string& path, const std::vector<std::string>& args, const std::string& input = {},
                        const std::string& name = {});

} // namespace qm::process
