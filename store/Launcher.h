#pragma once
// How the programs start outside programs and open documents and links: a
// small interface over the process layer, so that what a command would
// start can be checked without starting it (tests hand a recording one).
//
// What a command line names is found first (resolveCommandLine, the ".exe"
// and "Notepad" rules), in the real file system; only an executable file
// that was found reaches the launcher, as an argument vector. Nothing goes
// through /bin/sh.
#include "platform/process/Shell.h"

#include <functional>
#include <string>
#include <vector>

namespace qm::store {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Hands a request to the shell (documents, folders, links, mail); paths
    // in Windows form. The shell's code: above 32 on success.
    virtual int shellExecute(const qm::process::ShellRequest& request) = 0;
    // Starts argv[0] (the host path of an executable file) with the rest as
    // its arguments, and does not wait. The shell's code.
    virtual int start(const std::vector<std::string>& argv) = 0;
    // As start, and returns once the program has ended, calling `between`
    // (when given) about every 10 ms meanwhile: without it the window runtime
    // does not run. A launcher that cannot wait just starts it.
    virtual int startAndWait(const std::vector<std::string>& argv, const std::function<void()>& /*between*/)
    {
        return start(argv);
    }
    // As start, for the program that opens a document for the user (the
    // text editor): one that ends with a failure at once, within the grace
    // the shell gives xdg-open, has not opened it and gives a failure code.
    // A launcher that cannot watch just starts it.
    virtual int openWith(const std::vector<std::string>& argv) { return start(argv); }
};

// The launcher of the running program: the process layer, Windows-form
// paths mapped through the drive table.
class ProcessLauncher : public Launcher {
public:
    int shellExecute(const qm::process::ShellRequest& request) override;
    int start(const std::vector<std::string>& argv) override;
    int startAndWait(const std::vector<std::string>& argv, const std::function<void()>& between) override;
    int openWith(const std::vector<std::string>& argv) override;
};

// Windows-form paths to host paths through the drive table.
qm::process::PathMapper hostPaths();

// Opens a document, folder or link through the shell: verb "Open", no
// parameters, working folder "C:\", a normal window. The shell's code.
int StartDoc(Launcher& launcher, const std::string& document);

// Starts a command line (split by Windows rules, whole Windows-form path
// arguments mapped to host paths). The shell's code: above 32 when it
// started, else why not (nothing found, not executable, refused).
int startCommandLine(Launcher& launcher, const std::string& commandLine);

// Starts `program` with `arguments` handed over one by one, unchanged.
int startProgram(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments);
// As startProgram, for the program that opens a document for the user
// ("Notepad", the text editor): a failure it reports at once is its
// failure (Launcher::openWith).
int openWithProgram(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments);
// As startProgram, and returns once the program has ended; `between`, when
// given, is called about every 10 ms meanwhile.
int runProgramAndWait(Launcher& launcher, const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void()>& between = {});

} // namespace qm::store
