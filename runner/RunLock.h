#pragma once
// One run at a time: a run holds an advisory lock on a file in the program
// folder for as long as the program lives. A second start that finds the
// lock held ends without a run.
#include "platform/fs/FileLock.h"

#include <string>

namespace qm::runner {

// The lock file (Windows form): the program folder's ".nightwick.lock".
std::string runLockPath();

// Takes the run lock when no other program holds it; an empty FileLock when
// another run holds it. Where the lock file cannot be made (a read-only
// program folder) the program folder itself is locked; when neither can be
// locked the run is not stopped: the result then holds nothing and
// `unavailable` is set.
qm::fs::FileLock takeRunLock(bool& unavailable);

} // namespace qm::runner
