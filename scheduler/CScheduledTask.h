#pragma once
// CScheduledTask: one scheduled task over the task scheduler's ITask (the
// work item), its name, and the task scheduler it came from, which it keeps
// so that it can re-open itself from its job file (Status, LastExitCode,
// LastRunTime) whatever became of the scheduler object that made it.
#include "platform/com/ComPtr.h"
#include "platform/tasksched/Interfaces.h"
#include "scheduler/Collection.h"
#include "scheduler/Cronolet.h"
#include "scheduler/Object.h"

#include <optional>
#include <string>

namespace qm::cronolet {

class CScheduledTask final : public TracedObject<CScheduledTask, ScheduledTask> {
public:
    static constexpr const char* TraceName = "Task";
    static const com::DispatchTable<CScheduledTask>& dispatchTable();

    // `name` may be null (no name).
    CScheduledTask(com::ComPtr<tasksched::ITask> workItem, com::ComPtr<tasksched::ITaskScheduler> scheduler,
                   const com::OLECHAR* name);

    HRESULT get_Name(BSTR* pVal) override;
    HRESULT get_ApplicationName(BSTR* pVal) override;
    HRESULT put_ApplicationName(BSTR newVal) override;
    HRESULT get_WorkingDirectory(BSTR* pVal) override;
    HRESULT put_WorkingDirectory(BSTR newVal) override;
    HRESULT get_MaxRunTime(LONG* pVal) override;
    HRESULT put_MaxRunTime(LONG newVal) override;
    HRESULT get_Priority(LONG* pVal) override;
    HRESULT put_Priority(LONG newVal) override;
    HRESULT get_Parameters(BSTR* pVal) override;
    HRESULT put_Parameters(BSTR newVal) override;
    HRESULT get_Flags(LONG* pVal) override;
    HRESULT put_Flags(LONG newVal) override;
    HRESULT get_Username(BSTR* pVal) override;
    HRESULT SetAccountInformation(BSTR strUsername, BSTR strPassword) override;
    HRESULT SaveTask() override;
    HRESULT get_Status(LONG* pVal) override;
    HRESULT get_LastExitCode(LONG* pVal) override;
    HRESULT get_Comment(BSTR* pVal) override;
    HRESULT put_Comment(BSTR newVal) override;
    HRESULT Run() override;
    HRESULT get_Creator(BSTR* pVal) override;
    HRESULT put_Creator(BSTR newVal) override;
    HRESULT StopTask() override;
    HRESULT get_LastRunTime(DATE* pVal) override;
    HRESULT get_IdleWaitTime(LONG* pVal) override;
    HRESULT put_IdleWaitTime(LONG newVal) override;
    HRESULT get_MaxIdleWaitTime(LONG* pVal) override;
    HRESULT put_MaxIdleWaitTime(LONG newVal) override;
    HRESULT EditTask() override;
    HRESULT get_NextRunTime(DATE* pVal) override;
    HRESULT get_Triggers(VARIANT* pVal) override;
    HRESULT CreateNewTrigger(VARIANT* pVal) override;
    HRESULT DeleteTrigger(SHORT TriggerIndex) override;
    HRESULT get_AssociatedFileName(BSTR* pVal) override;
    HRESULT get_TaskChanged(LONG* pVal) override;
    HRESULT get_ErrorCode(LONG* pVal) override;

private:
    ~CScheduledTask() override;

    using Getter = HRESULT (tasksched::ITask::*)(com::LPWSTR*);
    using Setter = HRESULT (tasksched::ITask::*)(com::LPCWSTR);

    // Clears ErrorCode and runs `body` on the work item; -3 when there is
    // none, `onThrow` when the body throws.
    template <class Body>
    HRESULT member(LONG onThrow, Body&& body);
    HRESULT getString(Getter getter, LONG code, BSTR* pVal);
    HRESULT putString(Setter setter, LONG code, BSTR value);
    // Replaces the work item with a fresh one from the job file; false (and
    // -3, the old work item kept) when it cannot be opened.
    bool reopen();
    // One of the two idle counts replaced, the other kept.
    HRESULT putIdleWait(bool deadline, LONG minutes, LONG code);
    HRESULT getIdleWait(bool deadline, LONG code, LONG* pVal);
    HRESULT getTime(HRESULT (tasksched::ITask::*getter)(com::SYSTEMTIME*), LONG code, DATE* pVal);

    com::ComPtr<tasksched::ITask> workItem_;
    com::ComPtr<CTriggers> triggers_; // made at the first get_Triggers
    std::optional<std::u16string> name_;
    LONG errorCode_ = 0;
    com::ComPtr<tasksched::ITaskScheduler> scheduler_;
};

template <class Body>
inline HRESULT CScheduledTask::member(LONG onThrow, Body&& body)
{
    errorCode_ = 0;
    return guarded(errorCode_, onThrow, [&] {
        if (!workItem_)
            errorCode_ = errc::ActivateFailed;
        else
            body(*workItem_.get());
        return com::S_OK;
    });
}

} // namespace qm::cronolet
