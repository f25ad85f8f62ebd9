// The task's actions: saving, re-opening for its run state, running and
// stopping, the property sheet, its triggers and its job file.
#include "scheduler/CScheduledTask.h"
#include "scheduler/CTrigger.h"

#include "platform/com/TaskMem.h"
#include "platform/tasksched/TaskBits.h"

namespace qm::cronolet {

using com::ComPtr;
using com::E_POINTER;
using com::FAILED;
using com::S_OK;
using tasksched::IPersistFile;
using tasksched::ITask;
using tasksched::ITaskTrigger;

namespace {

// Status results of the task scheduler as the interface's codes: ready (1)
// to event trigger (9); anything else 0.
LONG statusCode(HRESULT status)
{
    const HRESULT n = status - tasksched::SCHED_S_TASK_READY;
    return n >= 0 && n <= 8 ? static_cast<LONG>(n + 1) : 0;
}

} // namespace

bool CScheduledTask::reopen()
{
    ComPtr<ITask> fresh;
    const com::OLECHAR* name = name_ ? name_->c_str() : nullptr;
    if (!scheduler_ ||
        FAILED(scheduler_->Activate(name, tasksched::IID_ITask, reinterpret_cast<IUnknown**>(fresh.put()))) ||
        !fresh) {
        errorCode_ = errc::ActivateFailed;
        return false;
    }
    workItem_ = std::move(fresh);
    return true;
}

HRESULT CScheduledTask::SaveTask()
{
    return member(errc::SaveFailed, [&](ITask& task) {
        ComPtr<IPersistFile> file;
        if (FAILED(task.QueryInterface(IPersistFile::iid, file.putVoid())) || !file) {
            errorCode_ = errc::SaveFailed;
            return;
        }
        if (FAILED(file->Save(nullptr, true)))
            errorCode_ = errc::SaveFailed;
        if (FAILED(file->SaveCompleted(nullptr)))
            errorCode_ = errc::SaveFailed;
    });
}

HRESULT CScheduledTask::get_Status(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::GetStatus, [&](ITask&) {
        if (!reopen())
            return;
        HRESULT status = 0;
        if (FAILED(workItem_->GetStatus(&status)))
            errorCode_ = errc::GetStatus;
        else
            *pVal = statusCode(status);
    });
}

HRESULT CScheduledTask::get_LastExitCode(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::GetExitCode, [&](ITask&) {
        if (!reopen())
            return;
        com::DWORD code = 0;
        if (FAILED(workItem_->GetExitCode(&code)))
            errorCode_ = errc::GetExitCode;
        else
            *pVal = static_cast<LONG>(code);
    });
}

HRESULT CScheduledTask::Run()
{
    return member(errc::RunFailed, [&](ITask& task) {
        if (FAILED(task.Run()))
            errorCode_ = errc::RunFailed;
    });
}

HRESULT CScheduledTask::StopTask()
{
    return member(errc::TerminateFailed, [&](ITask& task) {
        HRESULT status = 0;
        if (FAILED(task.GetStatus(&status)))
            errorCode_ = errc::ActivateFailed;
        else if (status != tasksched::SCHED_S_TASK_RUNNING)
            errorCode_ = errc::NotRunning;
        else if (FAILED(task.Terminate()))
            errorCode_ = errc::TerminateFailed;
    });
}

HRESULT CScheduledTask::EditTask()
{
    return member(errc::EditFailed, [&](ITask& task) {
        if (FAILED(task.EditWorkItem(nullptr, 0)))
            errorCode_ = errc::EditFailed;
    });
}

HRESULT CScheduledTask::get_Triggers(VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    giveDispatch(*pVal, nullptr);
    return member(errc::GetTriggers, [&](ITask& task) {
        if (!triggers_)
            triggers_ = ComPtr<CTriggers>::share(new CTriggers);
        triggers_->clear();
        com::WORD count = 0;
        if (FAILED(task.GetTriggerCount(&count)))
            count = 0;
        for (com::WORD i = 0; i < count; ++i) {
            ComPtr<ITaskTrigger> trigger;
            if (FAILED(task.GetTrigger(i, trigger.put())) || !trigger) {
                errorCode_ = errc::GetTriggers;
                return;
            }
            triggers_->append(new CTrigger(std::move(trigger), i));
        }
        giveDispatch(*pVal, triggers_.get());
    });
}

HRESULT CScheduledTask::CreateNewTrigger(VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    giveDispatch(*pVal, nullptr);
    return member(errc::CreateTriggerFailed, [&](ITask& task) {
        com::WORD index = 0;
        ComPtr<ITaskTrigger> trigger;
        if (FAILED(task.CreateTrigger(&index, trigger.put())) || !trigger) {
            errorCode_ = errc::CreateTriggerFailed;
            return;
        }
        SaveTask(); // clears ErrorCode; -4 when the job file is not written
        giveDispatch(*pVal, new CTrigger(std::move(trigger), index));
    });
}

HRESULT CScheduledTask::DeleteTrigger(SHORT TriggerIndex)
{
    return member(errc::DeleteTriggerFailed, [&](ITask& task) {
        if (FAILED(task.DeleteTrigger(static_cast<com::WORD>(TriggerIndex))))
            errorCode_ = errc::DeleteTriggerFailed;
    });
}

HRESULT CScheduledTask::get_AssociatedFileName(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::AssociatedFileName, [&](ITask& task) {
        ComPtr<IPersistFile> file;
        com::LPOLESTR path = nullptr;
        if (FAILED(task.QueryInterface(IPersistFile::iid, file.putVoid())) || !file ||
            FAILED(file->GetCurFile(&path)) || !path) {
            com::CoTaskMemFree(path);
            errorCode_ = errc::AssociatedFileName;
            return;
        }
        BSTR copy = com::SysAllocString(path);
        com::CoTaskMemFree(path);
        if (copy)
            *pVal = copy;
        else
            errorCode_ = errc::AssociatedFileName;
    });
}

HRESULT CScheduledTask::get_TaskChanged(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = 0;
    return member(errc::TaskChangedNoFile, [&](ITask& task) {
        ComPtr<IPersistFile> file;
        if (FAILED(task.QueryInterface(IPersistFile::iid, file.putVoid())) || !file)
            errorCode_ = errc::TaskChangedNoFile;
        else if (file->IsDirty() == S_OK)
            *pVal = 1;
    });
}

} // namespace qm::cronolet
