#pragma once
// CTrigger: one trigger of a task, over the task scheduler's ITaskTrigger,
// with the copy of its record read when the object is made.
#include "platform/com/ComPtr.h"
#include "platform/tasksched/Interfaces.h"
#include "scheduler/Cronolet.h"
#include "scheduler/Object.h"

namespace qm::cronolet {

class CTrigger final : public TracedObject<CTrigger, Trigger> {
public:
    static constexpr const char* TraceName = "Trigger";
    static const com::DispatchTable<CTrigger>& dispatchTable();

    // Reads the record; -45 in ErrorCode when that fails (the record stays zero).
    CTrigger(com::ComPtr<tasksched::ITaskTrigger> trigger, com::WORD index);

    HRESULT get_TriggerString(BSTR* pVal) override;
    HRESULT SetTrigger() override;
    HRESULT get_BeginYear(SHORT* pVal) override { return getField(record_.wBeginYear, pVal); }
    HRESULT put_BeginYear(SHORT v) override { return putField(record_.wBeginYear, v); }
    HRESULT get_BeginMonth(SHORT* pVal) override { return getField(record_.wBeginMonth, pVal); }
    HRESULT put_BeginMonth(SHORT v) override { return putField(record_.wBeginMonth, v); }
    HRESULT get_BeginDay(SHORT* pVal) override { return getField(record_.wBeginDay, pVal); }
    HRESULT put_BeginDay(SHORT v) override { return putField(record_.wBeginDay, v); }
    HRESULT get_EndYear(SHORT* pVal) override { return getField(record_.wEndYear, pVal); }
    HRESULT put_EndYear(SHORT v) override { return putField(record_.wEndYear, v); }
    HRESULT get_EndMonth(SHORT* pVal) override { return getField(record_.wEndMonth, pVal); }
    HRESULT put_EndMonth(SHORT v) override { return putField(record_.wEndMonth, v); }
    HRESULT get_EndDay(SHORT* pVal) override { return getField(record_.wEndDay, pVal); }
    HRESULT put_EndDay(SHORT v) override { return putField(record_.wEndDay, v); }
    HRESULT get_StartHour(SHORT* pVal) override { return getField(record_.wStartHour, pVal); }
    HRESULT put_StartHour(SHORT v) override { return putField(record_.wStartHour, v); }
    HRESULT get_StartMinute(SHORT* pVal) override { return getField(record_.wStartMinute, pVal); }
    HRESULT put_StartMinute(SHORT v) override { return putField(record_.wStartMinute, v); }
    HRESULT get_DurationInMinutes(LONG* pVal) override { return getField(record_.MinutesDuration, pVal); }
    HRESULT put_DurationInMinutes(LONG v) override { return putField(record_.MinutesDuration, v); }
    HRESULT get_IntervalInMinutes(LONG* pVal) override { return getField(record_.MinutesInterval, pVal); }
    HRESULT put_IntervalInMinutes(LONG v) override { return putField(record_.MinutesInterval, v); }
    HRESULT get_Flags(LONG* pVal) override { return getField(record_.rgFlags, pVal); }
    HRESULT put_Flags(LONG v) override { return putField(record_.rgFlags, v); }
    HRESULT get_TriggerType(LONG* pVal) override;
    HRESULT put_TriggerType(LONG v) override;
    HRESULT get_DaysInterval(SHORT* pVal) override;
    HRESULT put_DaysInterval(SHORT v) override { return putField(record_.Type.Word1, v); }
    HRESULT get_WhichWeek(SHORT* pVal) override;
    HRESULT put_WhichWeek(SHORT v) override { return putField(record_.Type.Word1, v); }
    HRESULT get_Days(LONG* pVal) override;
    HRESULT put_Days(LONG v) override;
    HRESULT get_Months(SHORT* pVal) override;
    HRESULT put_Months(SHORT v) override { return putField(record_.Type.Word3, v); }
    HRESULT get_ErrorCode(LONG* pVal) override;
    HRESULT get_WeeksInterval(SHORT* pVal) override;
    HRESULT put_WeeksInterval(SHORT v) override { return putField(record_.Type.Word1, v); }
    HRESULT get_DaysOfTheWeek(SHORT* pVal) override;
    HRESULT put_DaysOfTheWeek(SHORT v) override { return putField(record_.Type.Word2, v); }
    HRESULT get_Index(LONG* pVal) override;

private:
    ~CTrigger() override = default;

    // A plain field: SHORT for the 16-bit ones, LONG for the 32-bit ones.
    template <class Field, class Value>
    HRESULT getField(Field field, Value* pVal)
    {
        if (!pVal)
            return com::E_POINTER;
        errorCode_ = 0;
        *pVal = static_cast<Value>(field);
        return com::S_OK;
    }
    template <class Field, class Value>
    HRESULT putField(Field& field, Value value)
    {
        errorCode_ = 0;
        field = static_cast<Field>(value);
        return com::S_OK;
    }
    // A union word, read only for the trigger types that have it.
    HRESULT getTyped(com::WORD field, std::initializer_list<int> types, SHORT* pVal);

    tasksched::TASK_TRIGGER record_{};
    com::ComPtr<tasksched::ITaskTrigger> trigger_;
    LONG errorCode_ = 0;
    com::WORD index_;
};

} // namespace qm::cronolet
