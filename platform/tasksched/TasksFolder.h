#pragma once
// The folder that holds the scheduled jobs of this user:
// $XDG_DATA_HOME/quillmate/Tasks, or ~/.local/share/quillmate/Tasks when
// XDG_DATA_HOME is unset, empty or not an absolute path (the XDG rule).
// Its files belong to the user alone, so the folder is made with mode 0700.
//
// This is the one place that computes the path; the task scheduler layer
// and its agent take it from here, with the user the tasks belong to.
#include <filesystem>
#include <string>

namespace qm::tasksched {

// The host path of the tasks folder (not created here).
std::filesystem::path tasksFolderNative();

// The tasks folder in Windows form, for TasksFolder.
std::string tasksFolder();

// Creates the tasks folder (and the folders above it) when missing and sets
// its mode to 0700. Throws qm::RtError when it cannot be created.
void ensureTasksFolder();

// The same for any folder of tasks (the agent's --tasks, tests).
void ensurePrivateFolder(const std::filesystem::path& folder);

// $HOME, else the home folder of the user's account, else "/".
std::filesystem::path homeFolder();

// The login name of the user running this program ($USER when the account
// has no entry).
std::string userName();

} // namespace qm::tasksched
