#pragma once
// The one map from a host error code (errno) to the run-time error the
// programs report. Every file-system failure in the system goes through it.
#include "platform/fs/RtError.h"

#include <filesystem>
#include <string>

namespace qm::fs {

// The run-time error for errno `err`. `what` names the file or folder the
// failure concerns (Windows form where known); when not empty it is added to
// the description, e.g. "File not found: C:\home\ann\x.ini".
// ENOENT gives 53 (file not found); see the overload below for 76.
qm::RtError rtErrorFromErrno(int err, const std::string& what);

// As above, but ENOENT becomes 76 (path not found) when the parent folder of
// `native` does not exist either, and 53 when only the file itself is missing.
qm::RtError rtErrorFromErrno(int err, const std::string& what, const std::filesystem::path& native);

// The classic description of a run-time error number ("File not found", ...).
std::string rtErrorDescription(int number);

// A run-time error with the classic description of `number`, plus `what`.
qm::RtError makeRtError(int number, const std::string& what);

} // namespace qm::fs
