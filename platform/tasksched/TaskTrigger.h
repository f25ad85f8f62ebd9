#pragma once
// TASK_TRIGGER: when a task runs. The plain fields hold the first day
// (wBegin*), the optional last day (wEnd*, in force with the has-end-date
// flag), the time of day (wStart*), the repetition (every MinutesInterval
// minutes while MinutesDuration minutes have not passed since the start),
// the flags and the type (TaskBits.h).
//
// The type-specific part is three 16-bit words that the types share:
//   word 1: DaysInterval (daily), WeeksInterval (weekly), WhichWeek (monthly
//           by weekday); words 1 and 2 together: Days (monthly by date, 32
//           bits, word 1 the low half);
//   word 2: DaysOfTheWeek (weekly, monthly by weekday);
//   word 3: Months (both monthly types).
// A value written under one name is read under every name that shares its
// word, whatever the type; the accessors below name the words.
#include "platform/tasksched/TaskBits.h"

namespace qm::tasksched {

struct TriggerWords {
    WORD Word1 = 0;
    WORD Word2 = 0;
    WORD Word3 = 0;

    WORD DaysInterval() const { return Word1; }
    WORD WeeksInterval() const { return Word1; }
    WORD WhichWeek() const { return Word1; }
    DWORD Days() const { return DWORD{Word1} | (DWORD{Word2} << 16); }
    WORD DaysOfTheWeek() const { return Word2; }
    WORD Months() const { return Word3; }

    void setDaysInterval(WORD v) { Word1 = v; }
    void setWeeksInterval(WORD v) { Word1 = v; }
    void setWhichWeek(WORD v) { Word1 = v; }
    void setDays(DWORD v)
    {
        Word1 = static_cast<WORD>(v & 0xFFFF);
        Word2 = static_cast<WORD>(v >> 16);
    }
    void setDaysOfTheWeek(WORD v) { Word2 = v; }
    void setMonths(WORD v) { Word3 = v; }

    friend bool operator==(const TriggerWords&, const TriggerWords&) = default;
};

struct TASK_TRIGGER {
    WORD wBeginYear = 0;
    WORD wBeginMonth = 0;
    WORD wBeginDay = 0;
    WORD wEndYear = 0;
    WORD wEndMonth = 0;
    WORD wEndDay = 0;
    WORD wStartHour = 0;
    WORD wStartMinute = 0;
    DWORD MinutesDuration = 0;
    DWORD MinutesInterval = 0;
    DWORD rgFlags = 0;
    int TriggerType = TASK_TIME_TRIGGER_ONCE; // a TASK_TRIGGER_TYPE
    TriggerWords Type;

    friend bool operator==(const TASK_TRIGGER&, const TASK_TRIGGER&) = default;
};

} // namespace qm::tasksched
