#pragma once
// Starting other programs. CShellExecute hands documents, programs, folders,
// links and mail addresses to the shell and, for programs and documents,
// keeps the started process so that the caller can ask whether it still
// runs. RunAndWait starts a command line and blocks until it ends.
//
// Launch results: -1 when the shell succeeded, else the shell's code (0 to
// 32: 2 file not found, 3 path not found, 5 access denied, 31 no program
// for it, ...). A refused launch shows nothing; a run-time failure inside a
// member shows "Error: <number>. <description>" (OK only) titled with the
// member's name, and the member then gives 0 (or False).
//
// Paths are in Windows form and reach the host through the drive table.
// A program's parameters are handed over as written (split by Windows
// command-line rules), so our own programs receive Windows-form paths.
#include "platform/process/Shell.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::store {

// Show-window codes the callers pass (the shell keeps them for the window
// of the started program; here they have no effect).
namespace sw {
inline constexpr std::int32_t Hide = 0;
inline constexpr std::int32_t ShowNormal = 1;
inline constexpr std::int32_t ShowDefault = 10;
} // namespace sw

class CShellExecute {
public:
    explicit CShellExecute(qm::ui::UiServices& ui) : ui_(ui) {}

    // True only while the process of the last LaunchDocument/LaunchProgram
    // runs. A process that has ended is reaped and the answer stays False.
    // While the process runs, the answer comes after a pause of about
    // PollPauseMs, so that a loop of StillExecuting and DoEvents sleeps
    // instead of keeping a processor busy.
    bool StillExecuting();

    std::int32_t Explore(std::int32_t lnghWnd, const std::string& strFolder, std::int32_t eShowStyle = sw::Hide);
    // Keeps the process (when the document's program is a new process).
    std::int32_t LaunchDocument(std::int32_t lnghWnd, const std::string& strDocument, const std::string& strStartIn,
                                std::int32_t eShowStyle = sw::Hide);
    // Opens "mailto:" followed by the address.
    std::int32_t LaunchEmail(std::int32_t lnghWnd, const std::string& strAddress, std::int32_t eShowStyle = sw::Hide);
    std::int32_t LaunchFolder(std::int32_t lnghWnd, const std::string& strFolder, std::int32_t eShowStyle = sw::Hide);
    // Keeps the process. %NAME% in the program and start folder is replaced.
    std::int32_t LaunchProgram(std::int32_t lnghWnd, const std::string& strProgram,
                               const std::string& strParameters = {}, const std::string& strStartIn = {},
                               std::int32_t eShowStyle = sw::Hide);
    std::int32_t LaunchURL(std::int32_t lnghWnd, const std::string& strURL, std::int32_t eShowStyle = sw::Hide);
    // Hands the document to the printing program (lp).
    std::int32_t PrintDocument(std::int32_t lnghWnd, const std::string& strDocument);

    // The shell code of the last process-keeping launch (0 after any other
    // member), and the process id kept from it (0 when none).
    std::int32_t launchCode() const { return LaunchCode; }
    int processId() const { return ProcessHandle.pid(); }
    // The exit code of that process once StillExecuting has found it ended
    // (128 + the signal that ended it); nothing before, or when none was kept.
    std::optional<int> exitCode() const { return ProcessHandle.exitCode(); }

    static constexpr int PollPauseMs = 10;

private:
    template <typename Fn>
    std::int32_t guarded(const char* member, Fn fn);
    // Clears the launch state, hands the request to the shell and, for a
    // request that keeps its process, records its code and process.
    std::int32_t launch(const char* member, process::ShellRequest request);

    qm::ui::UiServices& ui_;
    std::int32_t LaunchCode = 0;
    qm::process::Child ProcessHandle; // a process that is not waited for is reaped in the background
};

// How a program that DoWait started went.
struct ProgramRun {
    bool started = false;
    std::int32_t shellCode = 0;  // LaunchProgram's result: -1 started, else the shell's code
    std::optional<int> exitCode; // once it has ended
    bool succeeded() const { return started && exitCode == 0; }
};

// The wait of both programs' DoWait: makes `folder` current (its drive,
// then the folder itself; a failure throws qm::RtError and leaves AppDone
// false; an empty `folder` leaves the current folder as it is), starts
// `strApp` with the parameter text `strTargetFile`, no start
// folder of its own and show code 10, and, when it started, asks
// StillExecuting (which pauses) and lets the window runtime run (DoEvents)
// until it has ended. AppDone is true afterwards, also when nothing started.
ProgramRun DoWait(qm::ui::UiServices& ui, const std::string& folder, const std::string& strApp,
                  const std::string& strTargetFile, bool& AppDone);

// Starts the command line (program and arguments, quoted as the program
// needs) and returns when that program has ended; the window runtime does
// not run meanwhile. A command that cannot start returns at once. Arguments
// that are whole Windows-form paths reach the program as host paths.
void RunAndWait(const std::string& strCommandLine);

} // namespace qm::store
