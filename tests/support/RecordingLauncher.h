#pragma once
// A launcher that starts nothing: it records every shell request and every
// argument vector it is asked to start, and answers each with `result`.
//
//   RecordingLauncher launcher;
//   ProgramState state(ui, &launcher);
//   launcher.result = shellcode::FileNotFound;   // the next launches fail
#include "store/Launcher.h"

#include <string>
#include <vector>

namespace qm::test {

struct RecordingLauncher : qm::store::Launcher {
    std::vector<qm::process::ShellRequest> requests;
    std::vector<std::vector<std::string>> starts;
    int result = qm::process::shellcode::Success;

    int shellExecute(const qm::process::ShellRequest& request) override
    {
        requests.push_back(request);
        return result;
    }
    int start(const std::vector<std::string>& argv) override
    {
        starts.push_back(argv);
        return result;
    }
};

} // namespace qm::test
