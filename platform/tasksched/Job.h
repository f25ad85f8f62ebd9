#pragma once
// A task as its job file keeps it, and the job file itself.
//
// A job file is UTF-8 text with CR LF line ends, in INI form:
//   [Task]       ApplicationName, Parameters, WorkingDirectory, Comment,
//                Creator, Account, Priority, Flags, MaxRunTimeMs,
//                IdleMinutes, DeadlineMinutes
//   [Trigger0]   Type, BeginYear, BeginMonth, BeginDay, EndYear, EndMonth,
//   [Trigger1]   EndDay, StartHour, StartMinute, MinutesDuration,
//   ...          MinutesInterval, Flags, Word1, Word2, Word3
// Trigger sections are numbered from 0 without gaps; the first missing
// number ends the list. Lines starting with ";" are comments. Paths are in
// Windows form (a host path starting with "/" is accepted as well). No
// password is ever stored. What happened at run time lives in a state file
// beside the job (RunState.h), never in the job file.
#include "platform/tasksched/TaskTrigger.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::tasksched {

struct Job {
    std::string ApplicationName;
    std::string Parameters;
    std::string WorkingDirectory;
    std::string Comment;
    std::string Creator;
    std::string Account;
    DWORD Priority = NORMAL_PRIORITY_CLASS;
    DWORD Flags = 0;
    DWORD MaxRunTimeMs = DEFAULT_MAX_RUN_TIME_MS;
    WORD IdleMinutes = 10;
    WORD DeadlineMinutes = 60;
    std::vector<TASK_TRIGGER> triggers;

    bool disabled() const { return (Flags & TASK_FLAG_DISABLED) != 0; }
    friend bool operator==(const Job&, const Job&) = default;
};

// The text of a job file.
std::string formatJob(const Job& job);

// The job a text describes. Nothing when it is no job: no [Task] section, or
// a number that does not read or does not fit its field. Missing keys take
// the defaults of a new Job.
std::optional<Job> parseJob(std::string_view text);

// Reads a job file; throws qm::RtError when it cannot be read (53 missing,
// 75 a link) and gives nothing when it does not parse.
std::optional<Job> loadJob(const std::filesystem::path& file);

// Writes a job file atomically, readable and writable by its owner only; a
// link in its place is replaced, never written through (TaskFile.h).
// Throws qm::RtError; the old file is then unchanged.
void saveJob(const std::filesystem::path& file, const Job& job);

} // namespace qm::tasksched
