#include "scheduler/CTrigger.h"

#include "platform/com/TaskMem.h"

#include <algorithm>

namespace qm::cronolet {

using com::E_POINTER;
using com::FAILED;
using com::S_OK;
using tasksched::TASK_TRIGGER_TYPE_LAST;

CTrigger::CTrigger(com::ComPtr<tasksched::ITaskTrigger> trigger, com::WORD index)
    : trigger_(std::move(trigger)), index_(index)
{
    if (!trigger_ || FAILED(trigger_->GetTrigger(&record_))) {
        record_ = {};
        errorCode_ = errc::TriggerField;
    }
}

HRESULT CTrigger::get_TriggerString(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    errorCode_ = 0;
    return guarded(errorCode_, errc::GetTriggerString, [&] {
        com::LPWSTR text = nullptr;
        if (!trigger_ || FAILED(trigger_->GetTriggerString(&text))) {
            errorCode_ = errc::GetTriggerString;
            return S_OK;
        }
        BSTR copy = com::SysAllocString(text);
        com::CoTaskMemFree(text);
        if (!copy)
            errorCode_ = errc::GetTriggerString;
        else
            *pVal = copy;
        return S_OK;
    });
}

HRESULT CTrigger::SetTrigger()
{
    errorCode_ = 0;
    if (!trigger_ || FAILED(trigger_->SetTrigger(&record_)))
        errorCode_ = errc::SetTriggerFailed;
    return S_OK;
}

HRESULT CTrigger::getTyped(com::WORD field, std::initializer_list<int> types, SHORT* pVal)
{
    if (!pVal)
        return E_POINTER;
    errorCode_ = 0;
    if (std::find(types.begin(), types.end(), record_.TriggerType) == types.end())
        errorCode_ = errc::TriggerField;
    else
        *pVal = static_cast<SHORT>(field);
    return S_OK;
}

HRESULT CTrigger::get_TriggerType(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    errorCode_ = 0;
    *pVal = record_.TriggerType;
    return S_OK;
}

HRESULT CTrigger::put_TriggerType(LONG v)
{
    errorCode_ = 0;
    if (v < 0 || v > TASK_TRIGGER_TYPE_LAST)
        errorCode_ = errc::BadTriggerType;
    else
        record_.TriggerType = static_cast<int>(v);
    return S_OK;
}

HRESULT CTrigger::get_DaysInterval(SHORT* pVal)
{
    return getTyped(record_.Type.Word1, {tasksched::TASK_TIME_TRIGGER_DAILY}, pVal);
}

HRESULT CTrigger::get_WeeksInterval(SHORT* pVal)
{
    return getTyped(record_.Type.Word1, {tasksched::TASK_TIME_TRIGGER_WEEKLY}, pVal);
}

HRESULT CTrigger::get_WhichWeek(SHORT* pVal)
{
    return getTyped(record_.Type.Word1, {tasksched::TASK_TIME_TRIGGER_MONTHLYDOW}, pVal);
}

HRESULT CTrigger::get_DaysOfTheWeek(SHORT* pVal)
{
    return getTyped(record_.Type.Word2, {tasksched::TASK_TIME_TRIGGER_WEEKLY, tasksched::TASK_TIME_TRIGGER_MONTHLYDOW},
                    pVal);
}

HRESULT CTrigger::get_Months(SHORT* pVal)
{
    return getTyped(record_.Type.Word3,
                    {tasksched::TASK_TIME_TRIGGER_MONTHLYDATE, tasksched::TASK_TIME_TRIGGER_MONTHLYDOW}, pVal);
}

HRESULT CTrigger::get_Days(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    errorCode_ = 0;
    if (record_.TriggerType != tasksched::TASK_TIME_TRIGGER_MONTHLYDATE)
        errorCode_ = errc::TriggerField;
    else
        *pVal = static_cast<LONG>(record_.Type.Days());
    return S_OK;
}

HRESULT CTrigger::put_Days(LONG v)
{
    errorCode_ = 0;
    record_.Type.setDays(static_cast<com::DWORD>(v));
    return S_OK;
}

HRESULT CTrigger::get_ErrorCode(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = errorCode_;
    return S_OK;
}

HRESULT CTrigger::get_Index(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    errorCode_ = 0;
    *pVal = index_;
    return S_OK;
}

const com::DispatchTable<CTrigger>& CTrigger::dispatchTable()
{
    using Table = com::DispatchTable<CTrigger>;
    using com::MemberKind;
    constexpr auto Get = MemberKind::Get;
    constexpr auto Put = MemberKind::Put;
    static const Table table{
        Table::row<&Trigger::get_TriggerString>(1, "TriggerString", Get),
        Table::row<&Trigger::SetTrigger>(2, "SetTrigger", MemberKind::Method),
        Table::row<&Trigger::get_BeginYear>(3, "BeginYear", Get),
        Table::row<&Trigger::put_BeginYear>(3, "BeginYear", Put),
        Table::row<&Trigger::get_BeginMonth>(4, "BeginMonth", Get),
        Table::row<&Trigger::put_BeginMonth>(4, "BeginMonth", Put),
        Table::row<&Trigger::get_BeginDay>(5, "BeginDay", Get),
        Table::row<&Trigger::put_BeginDay>(5, "BeginDay", Put),
        Table::row<&Trigger::get_EndYear>(6, "EndYear", Get),
        Table::row<&Trigger::put_EndYear>(6, "EndYear", Put),
        Table::row<&Trigger::get_EndMonth>(7, "EndMonth", Get),
        Table::row<&Trigger::put_EndMonth>(7, "EndMonth", Put),
        Table::row<&Trigger::get_EndDay>(8, "EndDay", Get),
        Table::row<&Trigger::put_EndDay>(8, "EndDay", Put),
        Table::row<&Trigger::get_StartHour>(9, "StartHour", Get),
        Table::row<&Trigger::put_StartHour>(9, "StartHour", Put),
        Table::row<&Trigger::get_StartMinute>(10, "StartMinute", Get),
        Table::row<&Trigger::put_StartMinute>(10, "StartMinute", Put),
        Table::row<&Trigger::get_DurationInMinutes>(11, "DurationInMinutes", Get),
        Table::row<&Trigger::put_DurationInMinutes>(11, "DurationInMinutes", Put),
        Table::row<&Trigger::get_IntervalInMinutes>(12, "IntervalInMinutes", Get),
        Table::row<&Trigger::put_IntervalInMinutes>(12, "IntervalInMinutes", Put),
        Table::row<&Trigger::get_Flags>(13, "Flags", Get),
        Table::row<&Trigger::put_Flags>(13, "Flags", Put),
        Table::row<&Trigger::get_TriggerType>(14, "TriggerType", Get),
        Table::row<&Trigger::put_TriggerType>(14, "TriggerType", Put),
        Table::row<&Trigger::get_DaysInterval>(15, "DaysInterval", Get),
        Table::row<&Trigger::put_DaysInterval>(15, "DaysInterval", Put),
        Table::row<&Trigger::get_WhichWeek>(17, "WhichWeek", Get),
        Table::row<&Trigger::put_WhichWeek>(17, "WhichWeek", Put),
        Table::row<&Trigger::get_Days>(19, "Days", Get),
        Table::row<&Trigger::put_Days>(19, "Days", Put),
        Table::row<&Trigger::get_Months>(20, "Months", Get),
        Table::row<&Trigger::put_Months>(20, "Months", Put),
        Table::row<&Trigger::get_ErrorCode>(21, "ErrorCode", Get),
        Table::row<&Trigger::get_WeeksInterval>(22, "WeeksInterval", Get),
        Table::row<&Trigger::put_WeeksInterval>(22, "WeeksInterval", Put),
        Table::row<&Trigger::get_DaysOfTheWeek>(23, "DaysOfTheWeek", Get),
        Table::row<&Trigger::put_DaysOfTheWeek>(23, "DaysOfTheWeek", Put),
        Table::row<&Trigger::get_Index>(24, "Index", Get),
    };
    return table;
}

} // namespace qm::cronolet
