#pragma once
// Task names and the files of a task. A task called "Nightwick" is the job
// file "Nightwick.job" in the tasks folder, with its run state beside it in
// "Nightwick.job.state". Callers may name a task with or without ".job".
//
// A usable name is not empty, has at most 200 characters, does not begin
// with ".", and holds no "/", "\", control character (NUL included) or any
// of < > : " | ? *, so that no name reaches outside the tasks folder or
// makes a file that a Windows-form path cannot name.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::tasksched {

inline constexpr std::size_t MaxTaskNameLength = 200;
inline constexpr std::string_view JobExtension = ".job";
inline constexpr std::string_view StateExtension = ".state";

// The name without a final ".job" (any case), when it is usable.
std::optional<std::string> taskBaseName(std::string_view name);

struct TaskFiles {
    std::filesystem::path job;   // <folder>/<name>.job
    std::filesystem::path state; // <folder>/<name>.job.state
};

// The files of `base` (a usable base name) in `folder`. The job file keeps
// the spelling of an existing file that matches without regard to case.
TaskFiles taskFiles(const std::filesystem::path& folder, const std::string& base);

// True when a directory entry is a job file ("x.job") of a usable name.
bool isJobFileName(std::string_view entry);

// The job files of a folder ("Nightwick.job", ...): regular files of usable
// names, in case-free alphabetical order. Empty when the folder is missing.
std::vector<std::string> jobFileNames(const std::filesystem::path& folder);

} // namespace qm::tasksched
