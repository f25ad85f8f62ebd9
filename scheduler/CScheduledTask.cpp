// The task's properties: names, texts, numbers, priority, flags, account,
// idle wait, times; and its dispatch table.
#include "scheduler/CScheduledTask.h"

#include "platform/com/TaskMem.h"

namespace qm::cronolet {

using com::E_INVALIDARG;
using com::E_POINTER;
using com::FAILED;
using com::S_OK;
using tasksched::ITask;

namespace {

// A string put passes a null BSTR as "".
com::LPCWSTR textOf(BSTR value) { return value ? value : u""; }

struct PriorityCode {
    LONG code;
    com::DWORD priorityClass;
};
constexpr PriorityCode kPriorities[] = {
    {1, tasksched::NORMAL_PRIORITY_CLASS},
    {2, tasksched::IDLE_PRIORITY_CLASS},
    {3, tasksched::HIGH_PRIORITY_CLASS},
    {4, tasksched::REALTIME_PRIORITY_CLASS},
};

} // namespace

CScheduledTask::CScheduledTask(com::ComPtr<ITask> workItem, com::ComPtr<tasksched::ITaskScheduler> scheduler,
                               const com::OLECHAR* name)
    : workItem_(std::move(workItem)), scheduler_(std::move(scheduler))
{
    if (name)
        name_ = std::u16string(com::olestrView(name));
}

CScheduledTask::~CScheduledTask()
{
    if (triggers_)
        triggers_->clear();
}

HRESULT CScheduledTask::getString(Getter getter, LONG code, BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(code, [&](ITask& task) {
        com::LPWSTR text = nullptr;
        if (FAILED((task.*getter)(&text))) {
            errorCode_ = code;
            return;
        }
        BSTR copy = com::SysAllocString(text ? text : u"");
        com::CoTaskMemFree(text);
        if (copy)
            *pVal = copy;
        else
            errorCode_ = code;
    });
}

HRESULT CScheduledTask::putString(Setter setter, LONG code, BSTR value)
{
    return member(code, [&](ITask& task) {
        if (FAILED((task.*setter)(textOf(value))))
            errorCode_ = code;
    });
}

HRESULT CScheduledTask::get_Name(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    errorCode_ = 0;
    *pVal = name_ ? com::SysAllocStringLen(name_->data(), static_cast<com::UINT>(name_->size())) : nullptr;
    return S_OK;
}

HRESULT CScheduledTask::get_ApplicationName(BSTR* pVal)
{
    return getString(&ITask::GetApplicationName, errc::GetApplicationName, pVal);
}
HRESULT CScheduledTask::put_ApplicationName(BSTR v)
{
    return putString(&ITask::SetApplicationName, errc::SetApplicationName, v);
}
HRESULT CScheduledTask::get_WorkingDirectory(BSTR* pVal)
{
    return getString(&ITask::GetWorkingDirectory, errc::GetWorkingDirectory, pVal);
}
HRESULT CScheduledTask::put_WorkingDirectory(BSTR v)
{
    return putString(&ITask::SetWorkingDirectory, errc::SetWorkingDirectory, v);
}
HRESULT CScheduledTask::get_Parameters(BSTR* pVal)
{
    return getString(&ITask::GetParameters, errc::GetParameters, pVal);
}
HRESULT CScheduledTask::put_Parameters(BSTR v) { return putString(&ITask::SetParameters, errc::SetParameters, v); }
HRESULT CScheduledTask::get_Comment(BSTR* pVal) { return getString(&ITask::GetComment, errc::GetComment, pVal); }
HRESULT CScheduledTask::put_Comment(BSTR v) { return putString(&ITask::SetComment, errc::SetComment, v); }
HRESULT CScheduledTask::get_Creator(BSTR* pVal) { return getString(&ITask::GetCreator, errc::GetCreator, pVal); }
HRESULT CScheduledTask::put_Creator(BSTR v) { return putString(&ITask::SetCreator, errc::SetCreator, v); }
// The account the task runs as.
HRESULT CScheduledTask::get_Username(BSTR* pVal)
{
    return getString(&ITask::GetAccountInformation, errc::GetUsername, pVal);
}

HRESULT CScheduledTask::SetAccountInformation(BSTR strUsername, BSTR strPassword)
{
    return member(errc::SetAccountInformation, [&](ITask& task) {
        if (FAILED(task.SetAccountInformation(textOf(strUsername), textOf(strPassword))))
            errorCode_ = errc::SetAccountInformation;
    });
}

HRESULT CScheduledTask::get_MaxRunTime(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::GetMaxRunTime, [&](ITask& task) {
        com::DWORD ms = 0;
        if (FAILED(task.GetMaxRunTime(&ms)))
            errorCode_ = errc::GetMaxRunTime;
        else
            *pVal = static_cast<LONG>(ms);
    });
}

HRESULT CScheduledTask::put_MaxRunTime(LONG v)
{
    return member(errc::SetMaxRunTime, [&](ITask& task) {
        if (FAILED(task.SetMaxRunTime(static_cast<com::DWORD>(v))))
            errorCode_ = errc::SetMaxRunTime;
    });
}

HRESULT CScheduledTask::get_Priority(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = 0;
    return member(errc::GetPriority, [&](ITask& task) {
        com::DWORD priorityClass = 0;
        if (FAILED(task.GetPriority(&priorityClass))) {
            errorCode_ = errc::GetPriority;
            return;
        }
        for (const PriorityCode& p : kPriorities)
            if (p.priorityClass == priorityClass)
                *pVal = p.code;
    });
}

HRESULT CScheduledTask::put_Priority(LONG v)
{
    return member(errc::SetPriority, [&](ITask& task) {
        for (const PriorityCode& p : kPriorities) {
            if (p.code == v) {
                if (FAILED(task.SetPriority(p.priorityClass)))
                    errorCode_ = errc::SetPriority;
                return;
            }
        }
        errorCode_ = errc::NullString;
    });
}

HRESULT CScheduledTask::get_Flags(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::Flags, [&](ITask& task) {
        com::DWORD flags = 0;
        if (FAILED(task.GetFlags(&flags)))
            errorCode_ = errc::Flags;
        else
            *pVal = static_cast<LONG>(flags);
    });
}

HRESULT CScheduledTask::put_Flags(LONG v)
{
    return member(errc::Flags, [&](ITask& task) {
        const HRESULT hr = task.SetFlags(static_cast<com::DWORD>(v));
        if (hr == E_INVALIDARG)
            errorCode_ = errc::NullString;
        else if (FAILED(hr))
            errorCode_ = errc::Flags;
    });
}

HRESULT CScheduledTask::getIdleWait(bool deadline, LONG code, LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(code, [&](ITask& task) {
        com::WORD idle = 0, limit = 0;
        if (FAILED(task.GetIdleWait(&idle, &limit)))
            errorCode_ = code;
        else
            *pVal = deadline ? limit : idle;
    });
}

HRESULT CScheduledTask::putIdleWait(bool deadline, LONG minutes, LONG code)
{
    return member(code, [&](ITask& task) {
        com::WORD idle = 0, limit = 0;
        task.GetIdleWait(&idle, &limit); // a failure leaves both 0
        (deadline ? limit : idle) = static_cast<com::WORD>(minutes);
        if (FAILED(task.SetIdleWait(idle, limit)))
            errorCode_ = code;
    });
}

HRESULT CScheduledTask::get_IdleWaitTime(LONG* pVal) { return getIdleWait(false, errc::GetIdleWaitTime, pVal); }
HRESULT CScheduledTask::put_IdleWaitTime(LONG v) { return putIdleWait(false, v, errc::SetIdleWaitTime); }
HRESULT CScheduledTask::get_MaxIdleWaitTime(LONG* pVal) { return getIdleWait(true, errc::GetMaxIdleWaitTime, pVal); }
HRESULT CScheduledTask::put_MaxIdleWaitTime(LONG v) { return putIdleWait(true, v, errc::SetMaxIdleWaitTime); }

HRESULT CScheduledTask::getTime(HRESULT (ITask::*getter)(com::SYSTEMTIME*), LONG code, DATE* pVal)
{
    com::SYSTEMTIME time{};
    if (FAILED((workItem_.get()->*getter)(&time))) {
        errorCode_ = code;
        return S_OK;
    }
    // A zero time (never ran, no next run) converts to nothing.
    com::SystemTimeToVariantTime(&time, pVal);
    return S_OK;
}

HRESULT CScheduledTask::get_NextRunTime(DATE* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::GetNextRunTime, [&](ITask&) { getTime(&ITask::GetNextRunTime, errc::GetNextRunTime, pVal); });
}

HRESULT CScheduledTask::get_LastRunTime(DATE* pVal)
{
    if (!pVal)
        return E_POINTER;
    return member(errc::GetLastRunTime, [&](ITask&) {
        if (reopen())
            getTime(&ITask::GetMostRecentRunTime, errc::GetLastRunTime, pVal);
    });
}

HRESULT CScheduledTask::get_ErrorCode(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = errorCode_;
    return S_OK;
}

const com::DispatchTable<CScheduledTask>& CScheduledTask::dispatchTable()
{
    using Table = com::DispatchTable<CScheduledTask>;
    using com::MemberKind;
    constexpr auto Get = MemberKind::Get;
    constexpr auto Put = MemberKind::Put;
    constexpr auto Method = MemberKind::Method;
    using T = ScheduledTask;
    static const Table table{
        Table::row<&T::get_Name>(1, "Name", Get),
        Table::row<&T::get_ApplicationName>(2, "ApplicationName", Get),
        Table::row<&T::put_ApplicationName>(2, "ApplicationName", Put),
        Table::row<&T::get_WorkingDirectory>(3, "WorkingDirectory", Get),
        Table::row<&T::put_WorkingDirectory>(3, "WorkingDirectory", Put),
        Table::row<&T::get_MaxRunTime>(4, "MaxRunTime", Get),
        Table::row<&T::put_MaxRunTime>(4, "MaxRunTime", Put),
        Table::row<&T::get_Priority>(5, "Priority", Get),
        Table::row<&T::put_Priority>(5, "Priority", Put),
        Table::row<&T::get_Parameters>(6, "Parameters", Get),
        Table::row<&T::put_Parameters>(6, "Parameters", Put),
        Table::row<&T::get_Flags>(7, "Flags", Get),
        Table::row<&T::put_Flags>(7, "Flags", Put),
        Table::row<&T::get_Username>(8, "Username", Get),
        Table::row<&T::SetAccountInformation>(9, "SetAccountInformation", Method),
        Table::row<&T::SaveTask>(10, "SaveTask", Method),
        Table::row<&T::get_Status>(11, "Status", Get),
        Table::row<&T::get_LastExitCode>(12, "LastExitCode", Get),
        Table::row<&T::get_Comment>(13, "Comment", Get),
        Table::row<&T::put_Comment>(13, "Comment", Put),
        Table::row<&T::Run>(14, "Run", Method),
        Table::row<&T::get_Creator>(15, "Creator", Get),
        Table::row<&T::put_Creator>(15, "Creator", Put),
        Table::row<&T::StopTask>(16, "StopTask", Method),
        Table::row<&T::get_LastRunTime>(17, "LastRunTime", Get),
        Table::row<&T::get_IdleWaitTime>(18, "IdleWaitTime", Get),
        Table::row<&T::put_IdleWaitTime>(18, "IdleWaitTime", Put),
        Table::row<&T::get_MaxIdleWaitTime>(19, "MaxIdleWaitTime", Get),
        Table::row<&T::put_MaxIdleWaitTime>(19, "MaxIdleWaitTime", Put),
        Table::row<&T::EditTask>(20, "EditTask", Method),
        Table::row<&T::get_NextRunTime>(21, "NextRunTime", Get),
        Table::row<&T::get_Triggers>(22, "Triggers", Get),
        Table::row<&T::CreateNewTrigger>(23, "CreateNewTrigger", Method),
        Table::row<&T::DeleteTrigger>(24, "DeleteTrigger", Method),
        Table::row<&T::get_AssociatedFileName>(25, "AssociatedFileName", Get),
        Table::row<&T::get_TaskChanged>(26, "TaskChanged", Get),
        Table::row<&T::get_ErrorCode>(27, "ErrorCode", Get),
    };
    return table;
}

} // namespace qm::cronolet
