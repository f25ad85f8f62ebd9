#pragma once
// The task scheduler's interfaces over the automation layer. Strings go in
// as NUL-terminated UTF-16 (a null string counts as empty) and come out in
// task memory that the caller frees with CoTaskMemFree. Every method gives
// E_POINTER for a null out argument.
//
// A task is one job file in the tasks folder. Its object holds the job in
// memory: the Set* calls and trigger changes stay there (IsDirty answers
// S_OK) until IPersistFile::Save writes the file. Run state (status, exit
// code, last run) is read from the state file at each call.
#include "platform/com/Bstr.h"
#include "platform/com/Date.h"
#include "platform/com/Unknown.h"
#include "platform/tasksched/TaskTrigger.h"

namespace qm::tasksched {

using com::IID;
using com::CLSID;
using com::IUnknown;
using com::LPCWSTR;
using com::LPWSTR;
using com::SYSTEMTIME;
using com::ULONG;

inline constexpr CLSID CLSID_CTaskScheduler = com::guid("{148BD52A-A2AB-11CE-B11F-00AA00530503}");
inline constexpr CLSID CLSID_CTask = com::guid("{148BD520-A2AB-11CE-B11F-00AA00530503}");

// One trigger of a task, bound to that task's trigger (not to its number:
// deleting an earlier trigger leaves it on the same one).
struct ITaskTrigger : IUnknown {
    static constexpr IID iid = com::guid("{148BD52B-A2AB-11CE-B11F-00AA00530503}");
    // Replaces the trigger in the task's memory. E_INVALIDARG for a type
    // above 7, unknown flag bits, a start time past 23:59, a begin date (time
    // types) or end date (with its flag) that does not exist, or an interval
    // not below the duration. E_FAIL once the trigger has been deleted.
    virtual HRESULT SetTrigger(const TASK_TRIGGER* trigger) = 0;
    virtual HRESULT GetTrigger(TASK_TRIGGER* trigger) = 0;
    // The wording of the trigger as the task holds it (TriggerText.h).
    virtual HRESULT GetTriggerString(LPWSTR* text) = 0;

protected:
    ~ITaskTrigger() = default;
};

struct ITask : IUnknown {
    static constexpr IID iid = com::guid("{148BD524-A2AB-11CE-B11F-00AA00530503}");

    virtual HRESULT SetApplicationName(LPCWSTR name) = 0;
    virtual HRESULT GetApplicationName(LPWSTR* name) = 0;
    virtual HRESULT SetParameters(LPCWSTR parameters) = 0;
    virtual HRESULT GetParameters(LPWSTR* parameters) = 0;
    virtual HRESULT SetWorkingDirectory(LPCWSTR folder) = 0;
    virtual HRESULT GetWorkingDirectory(LPWSTR* folder) = 0;
    virtual HRESULT SetComment(LPCWSTR comment) = 0;
    virtual HRESULT GetComment(LPWSTR* comment) = 0;
    virtual HRESULT SetCreator(LPCWSTR creator) = 0;
    virtual HRESULT GetCreator(LPWSTR* creator) = 0;
    // One of the four priority classes (TaskBits.h), else E_INVALIDARG.
    virtual HRESULT SetPriority(DWORD priorityClass) = 0;
    virtual HRESULT GetPriority(DWORD* priorityClass) = 0;
    // Task flags; bits other than delete-when-done and disabled: E_INVALIDARG.
    virtual HRESULT SetFlags(DWORD flags) = 0;
    virtual HRESULT GetFlags(DWORD* flags) = 0;
    virtual HRESULT SetMaxRunTime(DWORD milliseconds) = 0;
    virtual HRESULT GetMaxRunTime(DWORD* milliseconds) = 0;
    // The idle minutes and the deadline minutes, always set together.
    virtual HRESULT SetIdleWait(WORD idleMinutes, WORD deadlineMinutes) = 0;
    virtual HRESULT GetIdleWait(WORD* idleMinutes, WORD* deadlineMinutes) = 0;
    // Tasks run as the user who owns the tasks folder: an empty name or that
    // user's name is stored, any other gives E_ACCESSDENIED. The password is
    // never kept.
    virtual HRESULT SetAccountInformation(LPCWSTR user, LPCWSTR password) = 0;
    virtual HRESULT GetAccountInformation(LPWSTR* user) = 0;

    // A new trigger at the end of the list: daily, every day, from today at
    // the current hour and minute. Its number comes back in `index`.
    virtual HRESULT CreateTrigger(WORD* index, ITaskTrigger** trigger) = 0;
    // E_INVALIDARG for a number the task does not have; later triggers move up.
    virtual HRESULT DeleteTrigger(WORD index) = 0;
    virtual HRESULT GetTriggerCount(WORD* count) = 0;
    virtual HRESULT GetTrigger(WORD index, ITaskTrigger** trigger) = 0;

    // Starts the task as its job file holds it (Launch.h): S_OK, or
    // SCHED_S_TASK_RUNNING when a run is in progress; 0x80070002 when the
    // task was never saved or its program is missing.
    virtual HRESULT Run() = 0;
    // Ends the run in progress; SCHED_E_TASK_NOT_RUNNING when there is none.
    virtual HRESULT Terminate() = 0;
    // One of the SCHED_S_TASK_* results (Status.h).
    virtual HRESULT GetStatus(HRESULT* status) = 0;
    // The exit code of the last finished run, 0 before any.
    virtual HRESULT GetExitCode(DWORD* exitCode) = 0;
    // Start of the last run, and the next run time: all zero when none.
    virtual HRESULT GetMostRecentRunTime(SYSTEMTIME* time) = 0;
    virtual HRESULT GetNextRunTime(SYSTEMTIME* time) = 0;
    // Shows the property sheet a window program registered
    // (setPropertySheetHook); E_NOTIMPL when none is.
    virtual HRESULT EditWorkItem(void* parentWindow, DWORD reserved) = 0;

protected:
    ~ITask() = default;
};

// The job file of a task.
struct IPersistFile : IUnknown {
    static constexpr IID iid = com::guid("{0000010B-0000-0000-C000-000000000046}");
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
    // S_OK when there are changes that Save has not written, else S_FALSE.
    virtual HRESULT IsDirty() = 0;
    // Reads the job from a file (Windows form or host path); the task then
    // belongs to that file.
    virtual HRESULT Load(com::LPCOLESTR file, DWORD mode) = 0;
    // Writes the job atomically to `file`, or to the task's own file when
    // null. With `remember` the task belongs to `file` afterwards, and the
    // changes count as saved.
    virtual HRESULT Save(com::LPCOLESTR file, bool remember) = 0;
    virtual HRESULT SaveCompleted(com::LPCOLESTR file) = 0;
    // The task's job file in Windows form.
    virtual HRESULT GetCurFile(com::LPOLESTR* file) = 0;

protected:
    ~IPersistFile() = default;
};

// The task names of a folder as one snapshot ("Nightwick.job", ...).
struct IEnumWorkItems : IUnknown {
    static constexpr IID iid = com::guid("{148BD528-A2AB-11CE-B11F-00AA00530503}");
    // Up to `count` names in an array of task memory (each name and the
    // array freed with CoTaskMemFree; null when none is given). S_OK when
    // `count` came, S_FALSE when fewer did. `fetched` may be null for one.
    virtual HRESULT Next(ULONG count, LPWSTR** names, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumWorkItems** copy) = 0;

protected:
    ~IEnumWorkItems() = default;
};

// The scheduler: the tasks of the tasks folder. Names are taken with or
// without ".job" and compared without regard to case; a name that is not
// usable (TaskNames.h) gives E_INVALIDARG.
struct ITaskScheduler : IUnknown {
    static constexpr IID iid = com::guid("{148BD527-A2AB-11CE-B11F-00AA00530503}");
    // Only this computer: null, "", its host name or "\\" + it (any case);
    // others give HRESULT_FROM_WIN32(ERROR_BAD_NETPATH).
    virtual HRESULT SetTargetComputer(LPCWSTR computer) = 0;
    // "\\" + the host name.
    virtual HRESULT GetTargetComputer(LPWSTR* computer) = 0;
    virtual HRESULT Enum(IEnumWorkItems** items) = 0;
    // Opens a task from its job file: 0x80070002 when there is none,
    // SCHED_E_INVALID_TASK when it does not read. `riid` ITask or IPersistFile.
    virtual HRESULT Activate(LPCWSTR name, const IID& riid, IUnknown** item) = 0;
    // Removes the job file and its state; 0x80070002 when there is none.
    virtual HRESULT Delete(LPCWSTR name) = 0;
    // A new task in memory (nothing written); 0x80070050 when the name is
    // taken, CLASS_E_CLASSNOTAVAILABLE for a class other than CLSID_CTask.
    virtual HRESULT NewWorkItem(LPCWSTR name, const CLSID& clsid, const IID& riid, IUnknown** item) = 0;
    // Writes a task made by NewWorkItem as the job file of `name`, which it
    // then belongs to; 0x80070050 when the name is taken meanwhile.
    virtual HRESULT AddWorkItem(LPCWSTR name, ITask* item) = 0;

protected:
    ~ITaskScheduler() = default;
};

inline constexpr IID IID_ITaskScheduler = ITaskScheduler::iid;
inline constexpr IID IID_ITask = ITask::iid;
inline constexpr IID IID_ITaskTrigger = ITaskTrigger::iid;
inline constexpr IID IID_IPersistFile = IPersistFile::iid;
inline constexpr IID IID_IEnumWorkItems = IEnumWorkItems::iid;

} // namespace qm::tasksched
