#pragma once
// Failures of the layers below as the result codes of the task scheduler.
#include "platform/fs/RtError.h"
#include "platform/tasksched/TaskBits.h"

namespace qm::tasksched {

// 53 file not found: 0x80070002; 76 path not found and 68 no drive:
// 0x80070003; 70 no permission: E_ACCESSDENIED; 61 disk full: 0x80070070;
// 52 bad name: E_INVALIDARG; anything else E_FAIL.
HRESULT resultFromRtError(const RtError& e);

// The same for an errno value (ENOENT, ENOTDIR, EACCES/EPERM, ENOSPC, ...).
HRESULT resultFromErrno(int err);

} // namespace qm::tasksched
