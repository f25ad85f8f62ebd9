#pragma once
// The task object behind ITask and IPersistFile, inside the layer: the
// scheduler makes it over a job and binds it to its job file.
#include "platform/tasksched/Interfaces.h"
#include "platform/tasksched/Job.h"

#include <filesystem>
#include <string>

namespace qm::tasksched {

class TaskObject;

// A task of `folder` called `base`, holding `job`; bound to its job file
// when `bound` (read from disk), else in memory only. No reference yet.
TaskObject* makeTaskObject(const std::filesystem::path& folder, const std::string& base, Job job, bool bound);

// The object behind an ITask of this layer; null for any other ITask.
TaskObject* taskObjectOf(ITask* task);

// Writes the task as the job file of `base` in its folder, which it then
// belongs to; HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) when one is there. Any
// old run state of that name is dropped: a new task has no history.
HRESULT addToFolder(TaskObject& task, const std::string& base);

// The object as ITask / IUnknown with one more reference, by identifier.
HRESULT queryTask(TaskObject& task, const IID& riid, void** object);

} // namespace qm::tasksched
