#pragma once
// The WinAce stand-in: carries out a request (Request.h) with our zip
// engine. Its archives are ZIP files under whatever name the caller gives
// (".ace"); no real ACE archive is written. It asks one thing only: the
// password of entries that need one when the command line gave none
// (PasswordAsker below).
//
// Results: every run leaves its report, a line per file and a summary, in
// "action.log" in the stand-in's own folder (rewritten each run), and its
// exit status (ExitStatus.h) says how it went: 0 success, 1 done with
// warnings (a named file missing, a file skipped), 2 failure (a bad command
// line, an archive that cannot be read, written, found or is locked, a test
// that failed), 3 failure on a full disk. A listing also goes to standard
// output and, when there is a display, into a window of its own
// (forms/ListWindow.h) that the run waits for. A name or path stays on its
// line: its control characters are written in caret form (a line feed as
// "^J").
#include "platform/winace/ExitStatus.h"
#include "platform/winace/Request.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::winace {

// Where the stand-in keeps its self-extractor stub, below its own folder.
inline constexpr const char* SfxStubName = "SFXFILES\\WGUI_EN.SFX";

// One entry of a listing, as its texts (the name as the report writes it).
struct ListedFile {
    std::string name, size, packed, modified;
};

struct Outcome {
    int exitCode = ExitOk;
    std::vector<std::string> lines; // the report, without line ends
    std::vector<ListedFile> listed;  // a listing's entries, in archive order
    std::string summary;             // a listing's count, or the error that ended the run
};

// What the stand-in asks when a test or an extraction without a password
// (no -p) meets entries that need one.
struct PasswordQuestion {
    std::string archive;  // as the command line named it
    std::string entry;    // the first entry that needs it, as the report writes it
    int entries = 0;      // how many entries need it
    bool wrong = false;   // the password given last did not open `entry`
};

// Asks the user: the password, or none for Cancel.
using PasswordAsker = std::function<std::optional<std::string>(const PasswordQuestion&)>;

// Carries out the request in the current folder. `ownFolder` (Windows form)
// holds the default self-extractor stub.
//
// A test or an extraction whose command line gave no password, with `ask`
// given, asks for one when entries were skipped for a missing password, and
// goes over the archive again with the answer: the entries that came
// through before are not done again (an extraction leaves them as they
// are), the others are tried with the password, and those it does not open
// ask again (`wrong` when it did not open the entry asked for). The report
// and the status are those of the last round; Cancel leaves them as they
// are, so a run without an answer ends as one without `ask`.
Outcome run(const Request& request, const std::string& ownFolder, const PasswordAsker& ask = {});

// Shows a listing's outcome to the user and returns when the user is done.
using ListingWindow = std::function<void(const Request&, const Outcome&)>;

// The whole run of the program: parses `args`, runs (asking `ask` for a
// password, see run), writes action.log (CR LF lines) into `ownFolder` (a
// host path) and gives the exit status. A listing then goes to `window`,
// when one is given.
int runProgram(const std::vector<std::string>& args, const std::filesystem::path& ownFolder,
               const ListingWindow& window = {}, const PasswordAsker& ask = {});

// "--install": registers the program `self` (its Path, in Windows form, and
// Version "2.11" under HKEY_CURRENT_USER\SOFTWARE\e-merge\WinAce) and lays
// its self-extractor stub, a copy of `stub` (pvksfx32.bin). Gives the exit
// status; `message` says what went wrong.
int install(const std::filesystem::path& self, const std::filesystem::path& stub, std::string& message);

} // namespace qm::winace
