#pragma once
// A program that must not hold the medium it lies on while it runs (its user
// changes disks in that drive) goes on from a private copy of itself. The
// running program is replaced by the copy (same process, arguments, open
// files and current folder), and the copy is told the path the program was
// started by, so that it looks for its files there and not beside the copy.
//
// The path travels in the environment variable RunCopyVariable, together with
// the device and inode of the copy it was made for. The copy takes it out of
// its environment first thing (nothing it starts later inherits it) and
// believes it only when the program it runs is that very file, which was
// made in a folder of mode 0700 with a random name: a variable left in the
// environment, set by hand or inherited, changes no other program. The copy
// removes its file and folder at once; it keeps running from the open file,
// so nothing of it is left however it ends, and a killed copy leaves nothing
// either once it had started.
#include <filesystem>
#include <optional>
#include <string>

namespace qm::process {

inline constexpr const char* RunCopyVariable = "QUILLMATE_RUN_COPY_OF";

// Copies the running program (its ELF image, not what may follow it in the
// file) into a new private folder in `tempFolder` and replaces this process
// with the copy, run with `argv`, which learns `startedAs` through
// takeStartedPath(). Returns only when that failed (no room, a folder that
// cannot be written or whose files may not be run), with the errno, having
// removed whatever it made.
int execPrivateCopy(const std::filesystem::path& tempFolder, const std::string& startedAs, char** argv);

// Called first thing by a program that execPrivateCopy may have started:
// the path the original was started by when this process is its copy, whose
// file and folder are removed then; nothing otherwise. The variable is taken
// out of the environment either way.
std::optional<std::string> takeStartedPath();

} // namespace qm::process
