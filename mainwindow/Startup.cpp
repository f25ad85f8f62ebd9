#include "mainwindow/Startup.h"

#include "app/FileListBox.h"
#include "app/ProgramState.h"
#include "mainwindow/NightwickJob.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/tasksched/TasksFolder.h"
#include "store/ProgramFolders.h"

#include <filesystem>

namespace qm::app {

namespace {

// Runs one start-up step; a failure leaves that step undone.
template <class Fn>
void step(Fn&& fn)
{
    try {
        fn();
    } catch (const std::exception&) {
    }
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::string commandLineText(const std::vector<std::string>& arguments)
{
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i)
            text += ' ';
        text += arguments[i];
    }
    return text;
}

std::string runCommandFrom(const std::string& commandLine)
{
    std::size_t b = 0, e = commandLine.size();
    while (b < e && isBlank(commandLine[b]))
        ++b;
    while (e > b && isBlank(commandLine[e - 1]))
        --e;
    return commandLine.substr(b, e - b);
}

PurgeResult PurgeHidden(const std::string& tempFolder)
{
    PurgeResult result;
    std::vector<qm::fs::FileEntry> entries;
    std::filesystem::path native;
    try {
        native = qm::fs::toNative(tempFolder);
        entries = qm::fs::listFolder(tempFolder, "*");
    } catch (const std::exception&) {
        return result;
    }
    for (const qm::fs::FileEntry& e : entries) {
        // Folders stay, and so do links that lead to one.
        if (e.attributes & qm::fs::attr::Directory)
            continue;
        const std::filesystem::path file = native / e.name;
        std::error_code ec;
        // Only a regular file of Temp itself can be held locked; opening
        // anything else (a pipe, a device, what a link leads to) could wait
        // for ever, and removing the name never touches it.
        const bool regular = std::filesystem::is_regular_file(std::filesystem::symlink_status(file, ec));
        if ((regular && qm::fs::isFileLocked(file)) || !qm::fs::removeName(file))
            result.skipped.push_back(e.name);
        else
            ++result.deleted;
    }
    return result;
}

StartupResult FormLoad(ProgramState& state, FileListBox& File1, const std::string& commandLine,
                       const WinAceLookup& lookup)
{
    Form1Variables& f = state.Form1;
    f.AppDone = false;
    f.TargetCopy.clear();

    const std::string app = qm::fs::appPath();
    state.store.UserOptionsIni = app + "\\Options\\User Options";

    const std::string projects = app + "\\Projects";
    step([&] {
        if (!qm::fs::isFolder(projects))
            qm::fs::makeFolder(projects);
    });

    // The user guide, a page beside the programs that any browser shows.
    state.HelpFile = app + "\\Quillmate.html";
    state.ChosenFolder.clear();

    // Always the program folder's Temp, whatever the user options name.
    const std::string temp = qm::store::ProgramTempFolder(app);
    step([&] {
        if (qm::fs::isFolder(temp))
            PurgeHidden(temp);
        else
            qm::fs::makeFolder(temp);
    });

    state.OSFamily = "NT";
    step([&] { state.TasksFolder = qm::tasksched::tasksFolder(); });
    step([&] {
        if (!state.TasksFolder.empty())
            PlaceNightwickJob(app, state.TasksFolder);
    });

    step([&] { state.store.LoadUserOptions(); });

    step([&] {
        if (state.store.UserOptionsRecord(1).UserDefaultCompression == "ACE")
            f.WinAceLocation = qm::store::UsableWinAcePath(lookup);
    });

    step([&] { File1.setPath(projects); });

    StartupResult result;
    if (!runCommandFrom(commandLine).empty()) {
        f.strRunCommand = runCommandFrom(commandLine);
        result.Timer1Enabled = true;
    }
    return result;
}

} // namespace qm::app
