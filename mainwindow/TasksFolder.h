#pragma once
// The folder that holds the scheduled jobs of this user:
// $XDG_DATA_HOME/quillmate/Tasks, or ~/.local/share/quillmate/Tasks when
// XDG_DATA_HOME is unset, empty or not an absolute path (the XDG rule).
// Its files belong to the user alone, so the folder is made with mode 0700.
//
// This is the one place that computes the path; the task scheduler layer
// and its agent take it from here.
#include <filesystem>
#include <string>

namespace qm::app {

// The host path of the tasks folder (not created here).
std::filesystem::path tasksFolderNative();

// The tasks folder in Windows form, for TasksFolder.
std::string tasksFolder();

// Creates the tasks folder (and the folders above it) when missing and sets
// its mode to 0700. Throws qm::RtError when it cannot be created.
void ensureTasksFolder();

} // namespace qm::app
