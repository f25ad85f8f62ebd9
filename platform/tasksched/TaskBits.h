#pragma once
// The numbers of the task scheduler in one place: task and trigger flags,
// trigger types, the bit sets of days and months, process priority classes,
// and the status and error results of tasks. They keep their classic values,
// so job files and the automation server above this layer agree on them.
#include "platform/com/Result.h"

namespace qm::tasksched {

using com::DWORD;
using com::HRESULT;
using com::WORD;
using com::FAILED;
using com::SUCCEEDED;

// Task flags (Flags of a job).
inline constexpr DWORD TASK_FLAG_DELETE_WHEN_DONE = 0x2; // removed after a run with no run to come
inline constexpr DWORD TASK_FLAG_DISABLED = 0x4;
inline constexpr DWORD TASK_FLAGS_KNOWN = TASK_FLAG_DELETE_WHEN_DONE | TASK_FLAG_DISABLED;

// Trigger flags (rgFlags of a trigger).
inline constexpr DWORD TASK_TRIGGER_FLAG_HAS_END_DATE = 0x1;
inline constexpr DWORD TASK_TRIGGER_FLAG_KILL_AT_DURATION_END = 0x2;
inline constexpr DWORD TASK_TRIGGER_FLAG_DISABLED = 0x4;
inline constexpr DWORD TASK_TRIGGER_FLAGS_KNOWN =
    TASK_TRIGGER_FLAG_HAS_END_DATE | TASK_TRIGGER_FLAG_KILL_AT_DURATION_END | TASK_TRIGGER_FLAG_DISABLED;

// Trigger types. 0 to 4 run at set times; 5 to 7 are events.
enum TASK_TRIGGER_TYPE : int {
    TASK_TIME_TRIGGER_ONCE = 0,
    TASK_TIME_TRIGGER_DAILY = 1,
    TASK_TIME_TRIGGER_WEEKLY = 2,
    TASK_TIME_TRIGGER_MONTHLYDATE = 3,
    TASK_TIME_TRIGGER_MONTHLYDOW = 4,
    TASK_EVENT_TRIGGER_ON_IDLE = 5,
    TASK_EVENT_TRIGGER_AT_SYSTEMSTART = 6,
    TASK_EVENT_TRIGGER_AT_LOGON = 7,
};
inline constexpr int TASK_TRIGGER_TYPE_LAST = TASK_EVENT_TRIGGER_AT_LOGON;

// Days of the week: bit 0 is Sunday, bit 6 Saturday.
inline constexpr WORD TASK_SUNDAY = 0x01;
inline constexpr WORD TASK_MONDAY = 0x02;
inline constexpr WORD TASK_TUESDAY = 0x04;
inline constexpr WORD TASK_WEDNESDAY = 0x08;
inline constexpr WORD TASK_THURSDAY = 0x10;
inline constexpr WORD TASK_FRIDAY = 0x20;
inline constexpr WORD TASK_SATURDAY = 0x40;
inline constexpr WORD TASK_ALL_DAYS = 0x7F;
// Days of the month: bit 0 is day 1, bit 30 day 31.
constexpr DWORD monthDayBit(int day) { return DWORD{1} << (day - 1); }
// Months: bit 0 is January, bit 11 December.
constexpr WORD monthBit(int month) { return static_cast<WORD>(1u << (month - 1)); }
inline constexpr WORD TASK_ALL_MONTHS = 0x0FFF;
// WhichWeek of a monthly-by-weekday trigger: the first to fourth such day
// of the month, or the last one.
inline constexpr WORD TASK_FIRST_WEEK = 1;
inline constexpr WORD TASK_FOURTH_WEEK = 4;
inline constexpr WORD TASK_LAST_WEEK = 5;

// Process priority classes (Priority of a job); idle runs the program with
// the lowest processor priority (nice 19).
inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
inline constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
inline constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
inline constexpr DWORD REALTIME_PRIORITY_CLASS = 0x100;

// MaxRunTimeMs: 72 hours unless set; INFINITE (and 0) mean no limit.
inline constexpr DWORD DEFAULT_MAX_RUN_TIME_MS = 72u * 60 * 60 * 1000;
inline constexpr DWORD INFINITE_RUN_TIME = 0xFFFFFFFF;

// Status results of a task (success codes).
inline constexpr HRESULT SCHED_S_TASK_READY = 0x00041300;
inline constexpr HRESULT SCHED_S_TASK_RUNNING = 0x00041301;
inline constexpr HRESULT SCHED_S_TASK_DISABLED = 0x00041302;
inline constexpr HRESULT SCHED_S_TASK_HAS_NOT_RUN = 0x00041303;
inline constexpr HRESULT SCHED_S_TASK_NO_MORE_RUNS = 0x00041304;
inline constexpr HRESULT SCHED_S_TASK_NOT_SCHEDULED = 0x00041305;
inline constexpr HRESULT SCHED_S_TASK_TERMINATED = 0x00041306;
inline constexpr HRESULT SCHED_S_TASK_NO_VALID_TRIGGERS = 0x00041307;
inline constexpr HRESULT SCHED_S_EVENT_TRIGGER = 0x00041308;

// Failures particular to tasks.
inline constexpr HRESULT SCHED_E_TASK_NOT_RUNNING = com::hresult(0x8004130B);
inline constexpr HRESULT SCHED_E_INVALID_TASK = com::hresult(0x8004130E); // a job file that does not read

} // namespace qm::tasksched
