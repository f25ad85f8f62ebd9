#include "store/Launcher.h"

#include "platform/fs/Paths.h"

namespace qm::store {

namespace {

enum class Launch { Start, Wait, Open };

int launch(Launcher& launcher, const qm::process::Resolved& resolved, Launch how = Launch::Start,
           const std::function<void()>& between = {})
{
    if (resolved.code)
        return resolved.code;
    switch (how) {
    case Launch::Wait:
        return launcher.startAndWait(resolved.argv, between);
    case Launch::Open:
        return launcher.openWith(resolved.argv);
    case Launch::Start:
        break;
    }
    return launcher.start(resolved.argv);
}

} // namespace

qm::process::PathMapper hostPaths()
{
    return [](const std::string& winPath) { return qm::fs::toNative(winPath).string(); };
}

int ProcessLauncher::shellExecute(const qm::process::ShellRequest& request)
{
    return qm::process::shellExecute(request, hostPaths()).code;
}

int ProcessLauncher::start(const std::vector<std::string>& argv)
{
    qm::process::ShellResult r = qm::process::startResolved({0, argv});
    r.process.detach();
    return r.code;
}

int ProcessLauncher::startAndWait(const std::vector<std::string>& argv, const std::function<void()>& between)
{
    qm::process::ShellResult r = qm::process::startResolved({0, argv});
    if (r.process.valid())
        r.process.waitWhile(between);
    return r.code;
}

int ProcessLauncher::openWith(const std::vector<std::string>& argv)
{
    return qm::process::openResolved({0, argv}).code;
}

int StartDoc(Launcher& launcher, const std::string& document)
{
    return launcher.shellExecute(qm::process::ShellRequest("Open", document, "", "C:\\"));
}

int startCommandLine(Launcher& launcher, const std::string& commandLine)
{
    return launch(launcher, qm::process::resolveCommandLine(commandLine, hostPaths()));
}

int startProgram(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments)
{
    return launch(launcher, qm::process::resolveLaunch(program, arguments, hostPaths()));
}

int openWithProgram(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments)
{
    return launch(launcher, qm::process::resolveLaunch(program, arguments, hostPaths()), Launch::Open);
}

int runProgramAndWait(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void()>& between)
{
    return launch(launcher, qm::process::resolveLaunch(program, arguments, hostPaths()), Launch::Wait, between);
}

} // namespace qm::store
