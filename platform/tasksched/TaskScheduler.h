#pragma once
// The task scheduler class of this process. A program that uses the
// scheduler (through an automation server, say) registers the class once at
// start; CoCreateInstance(CLSID_CTaskScheduler, ..., IID_ITaskScheduler)
// then makes a scheduler over the tasks folder (TasksFolder.h) as it is at
// that moment, with no library file involved.
#include "platform/tasksched/Interfaces.h"

#include <filesystem>
#include <functional>

namespace qm::tasksched {

// Puts the scheduler's class factory into the in-process class table.
// `cookie` (may be null) is for CoRevokeClassObject.
HRESULT registerTaskScheduler(DWORD* cookie);

// A scheduler over another folder of tasks, with one reference for the
// caller (the agent's --tasks, tests). The folder is made on the first save.
ITaskScheduler* createTaskScheduler(const std::filesystem::path& folder);

// The property sheet of a task, which a window program provides: it shows
// the task modally and saves what the user changed through IPersistFile.
using PropertySheetHook = std::function<HRESULT(ITask* task, void* parentWindow)>;
// Installs the hook that EditWorkItem calls (an empty one removes it) and
// gives the previous one.
PropertySheetHook setPropertySheetHook(PropertySheetHook hook);

} // namespace qm::tasksched
