#pragma once
// The shell: opening documents, folders, links and mail addresses with the
// user's programs (xdg-open), printing (lp), starting programs from a
// command text, and waiting for them. Results keep the Windows shell's codes
// (see ShellCodes.h). Paths may be given in Windows form; a PathMapper turns
// them into host paths.
#include "platform/process/Child.h"
#include "platform/process/ShellCodes.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::process {

// Maps a Windows-form path (drive letter or \\server\share) to a host path.
// Throws qm::RtError when it cannot (68 no such drive, 76 path not found,
// 52 bad name, ...).
using PathMapper = std::function<std::string(const std::string&)>;

// One shell request.
struct ShellRequest {
    ShellRequest(std::string verb = {}, std::string file = {}, std::string parameters = {},
                 std::string directory = {})
        : verb(std::move(verb)), file(std::move(file)), parameters(std::move(parameters)),
          directory(std::move(directory))
    {
    }
    std::string verb;               // "open", "explore", "print"; empty: the default verb (open)
    std::string file;               // document, program, folder, URL or mail address
    std::string parameters;         // arguments of a program, as one Windows command text
    std::string directory;          // the folder the program starts in; empty: the caller's
    bool keepProcess = false;       // hand the started process back
    bool expandVariables = false;   // replace %NAME% in `file` and `directory`
};

struct ShellResult {
    int code = shellcode::OutOfResources; // > 32 success, else the reason
    Child process;                        // the started process, when kept and there is one
};

// How long a handler program (xdg-open, lp) is given to report a failure
// before a launch counts as successful.
inline constexpr std::chrono::milliseconds kHandlerGrace{500};

// Carries out a request:
//  - a URL or mail address ("scheme:...") is opened with xdg-open;
//  - a missing file gives 2 (3 when its folder is missing too), a file that
//    cannot be reached 5;
//  - "open" of an executable file starts it with the parameters (split by
//    Windows rules) in `directory`; of a folder or any other file, xdg-open;
//  - "explore" opens a folder (31 for anything else); "print" hands a file
//    to lp (31 for a folder or a link);
//  - "Notepad" that does not exist as a file is the user's text editor;
//  - a missing xdg-open or lp gives 31 (no association).
// The handler's own failure within kHandlerGrace gives its code; a handler
// that ended successfully in that time leaves no process to keep.
ShellResult shellExecute(const ShellRequest& request, const PathMapper& toHost = {});

// Starts a whole command text as a new process, as process creation with
// a command line does: the program name first (an unquoted name with blanks
// is tried word by word, shortest first), looked up in the current folder
// and on PATH with the ".exe" rule, then its arguments. Arguments that are
// whole absolute Windows-form paths are mapped to host paths (the programs
// started this way are the user's own). Only executable files start; a
// folder or a file without execute permission gives 5.
ShellResult startCommandLine(std::string_view commandLine, const PathMapper& toHost = {});

// What a start would run, found before anything starts: code 0 and the
// argument vector (argv[0] the host path of the executable file, or the
// text editor's program for "Notepad"), or the shell code of the failure.
struct Resolved {
    int code = shellcode::FileNotFound;
    std::vector<std::string> argv;
};

// The program and arguments startCommandLine would start for this text.
Resolved resolveCommandLine(std::string_view commandLine, const PathMapper& toHost = {});

// `program` (a name or a path, Windows form or host; the ".exe", PATH and
// "Notepad" rules as for a command text) with `arguments` handed over
// exactly as given, each one argument whatever it holds.
Resolved resolveLaunch(const std::string& program, const std::vector<std::string>& arguments,
                       const PathMapper& toHost = {});

// Starts what was resolved, without waiting; a failed resolution gives its
// code and starts nothing.
ShellResult startResolved(const Resolved& resolved);

// Starts what was resolved as the program that opens a document for the
// user (the text editor), given kHandlerGrace to report a failure as
// xdg-open is: one that ends with a failure by then gives the handler's code
// (2 file not found, else no association). The process is not kept.
ShellResult openResolved(const Resolved& resolved);

// Starts a command text as startCommandLine does and waits until it ends.
// Without `between` the thread blocks in the kernel; with it, `between` runs
// about every 10 ms while the thread sleeps in between. A command that
// cannot start returns at once.
void runAndWait(std::string_view commandLine, const PathMapper& toHost = {},
                const std::function<void()>& between = {});

// True for text that starts with a URL scheme ("http:", "mailto:"; one
// letter and a colon is a drive, not a scheme).
bool looksLikeUrl(std::string_view text);

// The file URL of an absolute host path, with `fragment` (a section of a
// page) after "#" when it is not empty: every byte but letters, digits,
// "-._~/" percent-encoded, so blanks, "#" and "%" in folder names survive.
std::string fileUrl(std::string_view hostPath, std::string_view fragment = {});

// True for an absolute Windows-form path: "X:..." or "\\server...".
bool isWindowsPath(std::string_view text);

} // namespace qm::process
