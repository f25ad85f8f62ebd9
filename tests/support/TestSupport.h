#pragma once
// Helpers shared by the test programs: temporary folders, scoped environment
// variables and small file utilities.
#include "platform/fs/RtError.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

// A fresh folder under the system temporary folder, removed with its
// contents when the object goes away.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "qm");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& rel) const { return path_ / rel; }

private:
    std::filesystem::path path_;
};

// Sets (or unsets, with std::nullopt) an environment variable for the life
// of the object and restores the previous value afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Runs `f` and gives the number of the run-time error it throws, 0 when none.
int rtErrorNumber(const std::function<void()>& f);

// Lowers the file-size limit for the life of the object, so that writes fail
// part-way with "disk full" (this works for root too); SIGXFSZ is ignored
// meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long oldCur_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

std::string readFile(const std::filesystem::path& p);
void writeFile(const std::filesystem::path& p, const std::string& bytes);

// Folder holding the built programs (Quillmate, Nightwick, ...).
std::filesystem::path programDir();
// Top of the source tree.
std::filesystem::path sourceDir();

// Runs a command given as an argument vector, returns its exit status and
// (optionally) its standard output.
int runCommand(const std::vector<std::string>& argv, std::string* output = nullptr);
// A program started in the background with the test's environment, its
// output thrown away; killed and reaped when the object goes away. With
// `talk`, its standard input and output are the test's to talk through
// (line, say) and its standard error is the test's.
class BackgroundProgram {
public:
    explicit BackgroundProgram(const std::vector<std::string>& argv, bool talk = false);
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // Sends SIGKILL and reaps it. False when it had ended by itself before.
    bool kill();
    // Waits for its end, its input closed; gives its exit status (-1 when a
    // signal ended it).
    int wait();
    int pid() const { return pid_; }
    // The next line it writes, without its line end; nothing once it has
    // closed its output.
    std::optional<std::string> line();
    // Writes `text` and a line end to its input.
    void say(const std::string& text);

private:
    int pid_ = -1;
    int status_ = 0;
    FILE* input_ = nullptr; // when talking
    FILE* output_ = nullptr;
};

// How long a test waits for something that is bound to happen: ample on the
// busiest machine, so that only a fault ever runs into it.
inline constexpr std::chrono::seconds EventLimit{60};

// Asks `done` until it holds, sleeping between the questions, for at most
// `limit`; true when it held.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = EventLimit);

// Writes a program (a shell script) that runs the shell lines `first`, waits
// until the file `release` exists, runs `last` and ends with 0: a child that
// is still running for as long as a test needs it to. Left alone, it gives
// up waiting after EventLimit.
void writeProgramUntilReleased(const std::filesystem::path& program, const std::filesystem::path& release,
                               const std::string& first = {}, const std::string& last = {});

// True when a program of that name is on PATH.
bool haveProgram(const std::string& name);

// How many temporary files (hidden, ending ".tmp") a folder holds.
int temporaries(const std::filesystem::path& folder);

} // namespace qm::test
