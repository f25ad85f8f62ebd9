#pragma once
// The scheduled job of the unattended runner that start-up places in the
// tasks folder. The program folder's Nightwick.job is its model; the job
// placed from it names the Nightwick and the working folder of the program
// folder Quillmate runs from, whatever the model names.
//
// The first line of a placed job is a comment saying that start-up placed
// it, with a fingerprint of the rest of the file. A job whose fingerprint
// still matches is start-up's own; any other job (one the user made, or a
// placed one changed by hand or saved by the task property sheet, which
// writes no such line) belongs to the user and is never replaced.
#include "platform/tasksched/Job.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm::app {

// The text of the job start-up places for the program folder `app`
// (Windows form): `model` naming app\Nightwick, working in `app`, under the
// fingerprint line.
std::string placedJobText(qm::tasksched::Job model, const std::string& app);

// The job `text` holds when it is a job start-up placed and not a byte of it
// has changed since; nothing otherwise.
std::optional<qm::tasksched::Job> unchangedPlacedJob(std::string_view text);

// Start-up's step for the job file Nightwick.job in `tasksFolder` (Windows
// form), from the model in the program folder `app`:
//  - no job there: the job is placed;
//  - start-up's own unchanged job naming another program folder's Nightwick
//    (or working folder): it is placed afresh for `app`;
//  - any other job, or something that is no plain file: left as it is.
// A model that is missing, no plain file or no job places nothing. Writes
// are whole-file and atomic, the job readable and writable by its owner
// only; the folder is made (mode 0700) when missing. Throws qm::RtError
// when the job cannot be written.
void PlaceNightwickJob(const std::string& app, const std::string& tasksFolder);

} // namespace qm::app
