#include "store/ShellExecute.h"

#include "platform/fs/CurrentFolder.h"
#include "platform/fs/RtError.h"
#include "platform/process/Shell.h"
#include "platform/ui/UiServices.h"
#include "store/Launcher.h"

#include <chrono>

namespace qm::store {

namespace {

// Run-time error number for failures that carry none of their own.
constexpr int InternalError = 51;

std::int32_t launchResult(int code)
{
    return process::shellcode::succeeded(code) ? -1 : code;
}

} // namespace

template <typename Fn>
std::int32_t CShellExecute::guarded(const char* member, Fn fn)
{
    try {
        return fn();
    } catch (const qm::RtError& e) {
        ui_.msgBox("Error: " + std::to_string(e.number) + ". " + e.description, qm::ui::mb::OKOnly, member);
    } catch (const std::exception& e) {
        ui_.msgBox("Error: " + std::to_string(InternalError) + ". " + e.what(), qm::ui::mb::OKOnly, member);
    }
    return 0;
}

bool CShellExecute::StillExecuting()
{
    return guarded("StillExecuting", [&]() -> std::int32_t {
               if (LaunchCode == 0 || !ProcessHandle.valid())
                   return 0;
               return ProcessHandle.running(std::chrono::milliseconds(PollPauseMs)) ? 1 : 0;
           }) != 0;
}

std::int32_t CShellExecute::launch(const char* member, process::ShellRequest request)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded(member, [&] {
        process::ShellResult r = process::shellExecute(request, hostPaths());
        if (request.keepProcess) {
            LaunchCode = r.code;
            ProcessHandle = std::move(r.process);
        }
        return launchResult(r.code);
    });
}

// The process-keeping members: verb "Open", %NAME% replaced in the file and
// start folder, the started process kept.
static process::ShellRequest keptLaunch(const std::string& file, const std::string& parameters,
                                        const std::string& startIn)
{
    process::ShellRequest rq{"Open", file, parameters, startIn};
    rq.keepProcess = true;
    rq.expandVariables = true;
    return rq;
}

std::int32_t CShellExecute::Explore(std::int32_t, const std::string& strFolder, std::int32_t)
{
    return launch("Explore", {"explore", strFolder});
}

std::int32_t CShellExecute::LaunchDocument(std::int32_t, const std::string& strDocument,
                                           const std::string& strStartIn, std::int32_t)
{
    return launch("LaunchDocument", keptLaunch(strDocument, "", strStartIn));
}

std::int32_t CShellExecute::LaunchEmail(std::int32_t, const std::string& strAddress, std::int32_t)
{
    return launch("LaunchEmail", {"", "mailto:" + strAddress});
}

std::int32_t CShellExecute::LaunchFolder(std::int32_t, const std::string& strFolder, std::int32_t)
{
    return launch("LaunchFolder", {"open", strFolder});
}

std::int32_t CShellExecute::LaunchProgram(std::int32_t, const std::string& strProgram,
                                          const std::string& strParameters, const std::string& strStartIn,
                                          std::int32_t)
{
    return launch("LaunchProgram", keptLaunch(strProgram, strParameters, strStartIn));
}

std::int32_t CShellExecute::LaunchURL(std::int32_t, const std::string& strURL, std::int32_t)
{
    return launch("LaunchURL", {"", strURL});
}

std::int32_t CShellExecute::PrintDocument(std::int32_t, const std::string& strDocument)
{
    return launch("PrintDocument", {"print", strDocument});
}

ProgramRun DoWait(qm::ui::UiServices& ui, const std::string& folder, const std::string& strApp,
                  const std::string& strTargetFile, bool& AppDone)
{
    AppDone = false;
    if (!folder.empty()) {
        qm::fs::ChDrive(folder.substr(0, 2));
        qm::fs::ChDir(folder);
    }
    CShellExecute shell(ui);
    ProgramRun run;
    run.shellCode = shell.LaunchProgram(0, strApp, strTargetFile, "", sw::ShowDefault);
    run.started = run.shellCode == -1;
    if (run.started) {
        // The window gets its turn at least once, however quickly the
        // program ends: a quick run and a slow one behave alike.
        do
            ui.doEvents();
        while (shell.StillExecuting());
        run.exitCode = shell.exitCode();
    }
    AppDone = true;
    return run;
}

void RunAndWait(const std::string& strCommandLine)
{
    try {
        process::runAndWait(strCommandLine, hostPaths());
    } catch (const std::exception&) {
        // Nothing started or nothing to wait for: return as a failed start does.
    }
}

} // namespace qm::store
