#include "store/ShellExecute.h"

#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/process/Shell.h"
#include "platform/ui/UiServices.h"

#include <chrono>

namespace qm::store {

namespace {

// Run-time error number for failures that carry none of their own.
constexpr int InternalError = 51;

process::PathMapper hostPaths()
{
    return [](const std::string& winPath) { return qm::fs::toNative(winPath).string(); };
}

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

std::int32_t CShellExecute::Explore(std::int32_t, const std::string& strFolder, std::int32_t)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("Explore", [&] {
        return launchResult(process::shellExecute({"explore", strFolder}, hostPaths()).code);
    });
}

std::int32_t CShellExecute::LaunchDocument(std::int32_t, const std::string& strDocument,
                                           const std::string& strStartIn, std::int32_t)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("LaunchDocument", [&] {
        process::ShellRequest rq{"Open", strDocument, "", strStartIn};
        rq.keepProcess = true;
        rq.expandVariables = true;
        process::ShellResult r = process::shellExecute(rq, hostPaths());
        LaunchCode = r.code;
        ProcessHandle = std::move(r.process);
        return launchResult(r.code);
    });
}

std::int32_t CShellExecute::LaunchEmail(std::int32_t, const std::string& strAddress, std::int32_t)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("LaunchEmail", [&] {
        return launchResult(process::shellExecute({"", "mailto:" + strAddress}, hostPaths()).code);
    });
}

std::int32_t CShellExecute::LaunchFolder(std::int32_t, const std::string& strFolder, std::int32_t)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("LaunchFolder", [&] {
        return launchResult(process::shellExecute({"open", strFolder}, hostPaths()).code);
    });
}

std::int32_t CShellExecute::LaunchProgram(std::int32_t, const std::string& strProgram,
                                          const std::string& strParameters, const std::string& strStartIn,
                                          std::int32_t)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("LaunchProgram", [&] {
        process::ShellRequest rq{"Open", strProgram, strParameters, strStartIn};
        rq.keepProcess = true;
        rq.expandVariables = true;
        process::ShellResult r = process::shellExecute(rq, hostPaths());
        LaunchCode = r.code;
        ProcessHandle = std::move(r.process);
        return launchResult(r.code);
    });
}

std::int32_t CShellExecute::LaunchURL(std::int32_t, const std::string& strURL, std::int32_t)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("LaunchURL", [&] {
        return launchResult(process::shellExecute({"", strURL}, hostPaths()).code);
    });
}

std::int32_t CShellExecute::PrintDocument(std::int32_t, const std::string& strDocument)
{
    LaunchCode = 0;
    ProcessHandle = {};
    return guarded("PrintDocument", [&] {
        return launchResult(process::shellExecute({"print", strDocument}, hostPaths()).code);
    });
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
