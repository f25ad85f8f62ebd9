#pragma once
// Cronolet: the automation server of scheduled tasks (libCronolet.so in the
// program folder). This header is its type library for C++ clients: the
// identifiers, and the five dual interfaces with their members in table
// order, so a client that includes it binds early and calls through the
// interface tables; late-bound clients reach the same members by name or
// DISPID through IDispatch.
//
// Making the scheduler, the one creatable class:
//     CLSID clsid;
//     ComPtr<IScheduler> scheduler;
//     CLSIDFromProgID(u"Cronolet.Scheduler", &clsid);   // CurVer: "Cronolet.Scheduler.1"
//     CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IScheduler::iid, scheduler.putVoid());
// REGDB_E_CLASSNOTREG (CO_E_CLASSSTRING from CLSIDFromProgID) means the
// library is not registered: its DllRegisterServer (or `comreg
// libCronolet.so`) registers it. The scheduler reaches the task scheduler
// through CoCreateInstance(CLSID_CTaskScheduler), so a program that uses it
// calls qm::tasksched::registerTaskScheduler once at start; without that the
// scheduler reads ErrorCode -50 (NoTaskScheduler) and does nothing.
//
// Rules for every member:
// - Each returns S_OK, also when its step failed; the failure is a small
//   negative number in the object's ErrorCode (codes below). A task's or
//   trigger's ErrorCode is reset to 0 at the start of each of its members
//   (ErrorCode itself aside); the scheduler's is never reset and keeps the
//   last failure since it was made. The collections have no ErrorCode: their
//   Item answers E_FAIL past the end and they answer E_POINTER for a null
//   result pointer. A null result pointer gives E_POINTER everywhere.
// - Objects come out as VARIANTs of type VT_DISPATCH (null pointer when the
//   member failed); ask the pointer for the interface you want
//   (QueryInterface with ScheduledTask::iid, ...). The caller clears the
//   VARIANT (VariantClear, or com::Variant) and frees strings it receives
//   (SysFreeString, or com::Bstr::attach).
// - A failed get leaves its result as it was, except where noted.
// - A null BSTR passed to a put or to SetAccountInformation stands for "";
//   the scheduler's members refuse a null name with -21 (NullString).
// - Objects are counted: a collection keeps its elements, a client keeps
//   what it holds; a task keeps the task scheduler it came from, so it still
//   works after the scheduler object is released.
// - All calls come on the thread that made the scheduler (apartment model).
#include "platform/com/Dispatch.h"

namespace qm::cronolet {

using com::BSTR;
using com::CLSID;
using com::DATE;
using com::GUID;
using com::HRESULT;
using com::IDispatch;
using com::IID;
using com::IUnknown;
using com::LONG;
using com::SHORT;
using com::VARIANT;

// Type library CRONOLETLib 1.0, "Cronolet 1.0 Type Library".
inline constexpr GUID LIBID_CRONOLETLib = com::guid("{1901D7BA-39F9-4E5B-B516-8BE46F929AE7}");
// Coclass Cronolet, "Scheduler Class"; its default interface is IScheduler.
inline constexpr CLSID CLSID_Cronolet = com::guid("{3A032843-4D05-4661-823C-728A575CCA33}");
inline constexpr char ProgID_Scheduler[] = "Cronolet.Scheduler";    // version independent, CurVer below
inline constexpr char ProgID_Scheduler_1[] = "Cronolet.Scheduler.1"; // the current version

// ErrorCode values: the step that failed.
namespace errc {
inline constexpr LONG None = 0;
inline constexpr LONG TaskChangedNoFile = -1;        // TaskChanged: no job file interface
inline constexpr LONG EnumFailed = -2;               // Tasks: listing the task names
inline constexpr LONG ActivateFailed = -3;           // opening a task by name; a task without a work item
inline constexpr LONG SaveFailed = -4;               // SaveTask (also CreateNewTrigger's save)
inline constexpr LONG GetApplicationName = -5;
inline constexpr LONG SetApplicationName = -6;
inline constexpr LONG GetWorkingDirectory = -7;      // also MaxRunTime get
inline constexpr LONG SetWorkingDirectory = -8;
inline constexpr LONG GetMaxRunTime = -7;
inline constexpr LONG SetMaxRunTime = -10;
inline constexpr LONG GetPriority = -11;
inline constexpr LONG SetPriority = -12;
inline constexpr LONG GetParameters = -13;
inline constexpr LONG SetParameters = -14;
inline constexpr LONG GetTargetComputer = -15;
inline constexpr LONG SetTargetComputer = -16;
inline constexpr LONG Flags = -17;                   // Flags get and put
inline constexpr LONG SetAccountInformation = -19;
inline constexpr LONG GetUsername = -20;
inline constexpr LONG NullString = -21;              // null name; unknown priority; flags refused
inline constexpr LONG GetStatus = -22;
inline constexpr LONG GetExitCode = -23;
inline constexpr LONG GetComment = -24;
inline constexpr LONG SetComment = -25;
inline constexpr LONG GetCreator = -26;
inline constexpr LONG SetCreator = -27;
inline constexpr LONG TerminateFailed = -28;
inline constexpr LONG NotRunning = -29;              // StopTask of a task that does not run
inline constexpr LONG RunFailed = -30;
inline constexpr LONG GetLastRunTime = -31;
inline constexpr LONG GetIdleWaitTime = -32;
inline constexpr LONG SetIdleWaitTime = -33;
inline constexpr LONG GetMaxIdleWaitTime = -34;
inline constexpr LONG SetMaxIdleWaitTime = -35;
inline constexpr LONG EditFailed = -36;
inline constexpr LONG GetNextRunTime = -37;
inline constexpr LONG CreateTaskFailed = -38;
inline constexpr LONG TaskExists = -39;
inline constexpr LONG DeleteTaskFailed = -40;
inline constexpr LONG GetTriggerString = -41;
inline constexpr LONG SetTriggerFailed = -42;
inline constexpr LONG GetTriggers = -43;
inline constexpr LONG BadTriggerType = -44;
inline constexpr LONG TriggerField = -45;            // record not read; a field the type has not
inline constexpr LONG CreateTriggerFailed = -47;
inline constexpr LONG DeleteTriggerFailed = -48;
inline constexpr LONG AssociatedFileName = -49;
inline constexpr LONG NoTaskScheduler = -50;
} // namespace errc

// Interfaces. Each member's comment gives its DISPID, then the ErrorCode it
// leaves on failure. Gets come directly before their puts.

// The scheduler: the tasks of the tasks folder, by name.
struct IScheduler : IDispatch {
    static constexpr IID iid = com::guid("{563D84C5-5EC6-48FD-9DB8-03BF69812FB9}");

    // 1. The ScheduledTasks collection, listed anew from the folder at each
    // call; the same collection object every time. -50, -2, -3 (after -3 the
    // result is null and the collection holds the tasks before the failing
    // one).
    virtual HRESULT get_Tasks(VARIANT* pVal) = 0;
    // 2. "\\" + the computer's name. -50, -15.
    virtual HRESULT get_TargetComputer(BSTR* pVal) = 0;
    // 2. Only this computer can be chosen. -21 (null, nothing else), -50, -16.
    virtual HRESULT put_TargetComputer(BSTR newVal) = 0;
    // 3. A new task written to the tasks folder, returned (not added to the
    // listed collection until the next get_Tasks). -21, -50, -39 (a task of
    // that name exists, left untouched), -38 (another failure, a bad name).
    virtual HRESULT CreateNewTask(BSTR TaskName, VARIANT* pVal) = 0;
    // 4. Removes the task's job file. -21, -50, -40.
    virtual HRESULT DeleteTask(BSTR TaskName) = 0;
    // 5. The last failure since the scheduler was made; changes nothing.
    virtual HRESULT get_ErrorCode(LONG* pVal) = 0;
    // 6. The named task, opened from its job file ("Name" or "Name.job").
    // -21, -50, -3.
    virtual HRESULT get_Task(BSTR TaskName, VARIANT* pVal) = 0;

protected:
    ~IScheduler() = default;
};

// The collections: ScheduledTasks (of ScheduledTask objects, in the order the
// folder listed them) and Triggers (of Trigger objects, in index order).
struct ScheduledTasks : IDispatch {
    static constexpr IID iid = com::guid("{7329294F-EFCF-4B8A-A47D-DF4941922D7A}");

    // -4 (DISPID_NEWENUM). An IEnumVARIANT over the elements, which keeps the
    // collection alive while it lives.
    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0;
    // 0 (DISPID_VALUE). A copy of element `Index`, counted from 1; 1 or less
    // gives the first; E_FAIL past the last or when empty.
    virtual HRESULT get_Item(LONG Index, VARIANT* pVal) = 0;
    // 1. The number of elements.
    virtual HRESULT get_Count(LONG* pVal) = 0;

protected:
    ~ScheduledTasks() = default;
};

// One task (one job file). Puts change the task in memory; SaveTask writes
// the job file. Status, LastExitCode and LastRunTime first re-open the task
// from its job file, which drops changes not yet saved.
struct ScheduledTask : IDispatch {
    static constexpr IID iid = com::guid("{A542020D-E860-4FA6-BEEB-BF9BE26CD07E}");

    virtual HRESULT get_Name(BSTR* pVal) = 0;                   // 1. as the task was opened or made
    virtual HRESULT get_ApplicationName(BSTR* pVal) = 0;        // 2. -5
    virtual HRESULT put_ApplicationName(BSTR newVal) = 0;       // 2. -6
    virtual HRESULT get_WorkingDirectory(BSTR* pVal) = 0;       // 3. -7
    virtual HRESULT put_WorkingDirectory(BSTR newVal) = 0;      // 3. -8
    virtual HRESULT get_MaxRunTime(LONG* pVal) = 0;             // 4. milliseconds. -7
    virtual HRESULT put_MaxRunTime(LONG newVal) = 0;            // 4. -10
    // 5. 1 normal, 2 idle, 3 high, 4 realtime; 0 for any other class (and
    // on failure). -11
    virtual HRESULT get_Priority(LONG* pVal) = 0;
    // 5. Codes 1 to 4; any other: -21 and nothing set. -12
    virtual HRESULT put_Priority(LONG newVal) = 0;
    virtual HRESULT get_Parameters(BSTR* pVal) = 0;             // 6. -13
    virtual HRESULT put_Parameters(BSTR newVal) = 0;            // 6. -14
    virtual HRESULT get_Flags(LONG* pVal) = 0;                  // 7. task flags. -17
    virtual HRESULT put_Flags(LONG newVal) = 0;                 // 7. refused bits: -21; else -17
    virtual HRESULT get_Username(BSTR* pVal) = 0;               // 8. the account. -20
    // 9. Only "" or the current user; no password is kept. -19
    virtual HRESULT SetAccountInformation(BSTR strUsername, BSTR strPassword) = 0;
    virtual HRESULT SaveTask() = 0;                             // 10. writes the job file. -4
    // 11. 1 ready, 2 running, 3 disabled, 4 has not run, 5 no more runs,
    // 6 not scheduled, 7 terminated, 8 no valid triggers, 9 event trigger
    // with no set run time, 0 other. -3, -22
    virtual HRESULT get_Status(LONG* pVal) = 0;
    virtual HRESULT get_LastExitCode(LONG* pVal) = 0;           // 12. -3, -23
    virtual HRESULT get_Comment(BSTR* pVal) = 0;                // 13. -24
    virtual HRESULT put_Comment(BSTR newVal) = 0;               // 13. -25
    virtual HRESULT Run() = 0;                                  // 14. the saved job. -30
    virtual HRESULT get_Creator(BSTR* pVal) = 0;                // 15. -26
    virtual HRESULT put_Creator(BSTR newVal) = 0;               // 15. -27
    // 16. Ends a running task. -3 (status unknown), -28, -29 (not running)
    virtual HRESULT StopTask() = 0;
    // 17. Start of the last run; left as it was when the task never ran. -3, -31
    virtual HRESULT get_LastRunTime(DATE* pVal) = 0;
    // 18, 19. Idle minutes and deadline minutes, set together; a put keeps
    // the other one and stores its value in 16 bits (65536 becomes 0).
    virtual HRESULT get_IdleWaitTime(LONG* pVal) = 0;           // 18. -32
    virtual HRESULT put_IdleWaitTime(LONG newVal) = 0;          // 18. -33
    virtual HRESULT get_MaxIdleWaitTime(LONG* pVal) = 0;        // 19. -34
    virtual HRESULT put_MaxIdleWaitTime(LONG newVal) = 0;       // 19. -35
    // 20. The property sheet the program registered with
    // qm::tasksched::setPropertySheetHook (modal). -36
    virtual HRESULT EditTask() = 0;
    // 21. Left as it was when there is no next run. -37
    virtual HRESULT get_NextRunTime(DATE* pVal) = 0;
    // 22. The Triggers collection, filled anew at each call; the same object
    // every time. -43 (null result, the triggers before the failing one kept)
    virtual HRESULT get_Triggers(VARIANT* pVal) = 0;
    // 23. A new daily trigger; the task is saved at once (-4), the trigger
    // returned but listed only at the next get_Triggers. -47
    virtual HRESULT CreateNewTrigger(VARIANT* pVal) = 0;
    // 24. Removes trigger `TriggerIndex` (from 0) in memory. -48
    virtual HRESULT DeleteTrigger(SHORT TriggerIndex) = 0;
    virtual HRESULT get_AssociatedFileName(BSTR* pVal) = 0;     // 25. the job file. -49
    virtual HRESULT get_TaskChanged(LONG* pVal) = 0;            // 26. 1 unsaved changes, else 0. -1
    virtual HRESULT get_ErrorCode(LONG* pVal) = 0;              // 27. of the last call

protected:
    ~ScheduledTask() = default;
};

struct Triggers : IDispatch {
    static constexpr IID iid = com::guid("{480B7578-AFFB-4730-BE79-99D5EB1249BF}");

    virtual HRESULT get__NewEnum(IUnknown** pVal) = 0; // -4, as ScheduledTasks
    virtual HRESULT get_Item(LONG Index, VARIANT* pVal) = 0; // 0, from 1
    virtual HRESULT get_Count(LONG* pVal) = 0;         // 1

protected:
    ~Triggers() = default;
};

// One trigger of a task: a copy of its record read when the object was made.
// Gets read the copy and puts change it (unchecked, except TriggerType);
// SetTrigger hands it to the task, and the task's SaveTask writes it.
// The type-specific fields share three words: word 1 DaysInterval /
// WeeksInterval / WhichWeek, words 1 and 2 Days, word 2 DaysOfTheWeek,
// word 3 Months; their gets answer only for the types named (else -45).
struct Trigger : IDispatch {
    static constexpr IID iid = com::guid("{6526ECDB-43E6-4962-BB4E-99222A6DB3CC}");

    // 1. The wording of the trigger as the task holds it (not the copy). -41
    virtual HRESULT get_TriggerString(BSTR* pVal) = 0;
    virtual HRESULT SetTrigger() = 0;                     // 2. -42 (a record the task refuses)
    virtual HRESULT get_BeginYear(SHORT* pVal) = 0;       // 3
    virtual HRESULT put_BeginYear(SHORT newVal) = 0;
    virtual HRESULT get_BeginMonth(SHORT* pVal) = 0;      // 4
    virtual HRESULT put_BeginMonth(SHORT newVal) = 0;
    virtual HRESULT get_BeginDay(SHORT* pVal) = 0;        // 5
    virtual HRESULT put_BeginDay(SHORT newVal) = 0;
    virtual HRESULT get_EndYear(SHORT* pVal) = 0;         // 6
    virtual HRESULT put_EndYear(SHORT newVal) = 0;
    virtual HRESULT get_EndMonth(SHORT* pVal) = 0;        // 7
    virtual HRESULT put_EndMonth(SHORT newVal) = 0;
    virtual HRESULT get_EndDay(SHORT* pVal) = 0;          // 8
    virtual HRESULT put_EndDay(SHORT newVal) = 0;
    virtual HRESULT get_StartHour(SHORT* pVal) = 0;       // 9
    virtual HRESULT put_StartHour(SHORT newVal) = 0;
    virtual HRESULT get_StartMinute(SHORT* pVal) = 0;     // 10
    virtual HRESULT put_StartMinute(SHORT newVal) = 0;
    virtual HRESULT get_DurationInMinutes(LONG* pVal) = 0; // 11
    virtual HRESULT put_DurationInMinutes(LONG newVal) = 0;
    virtual HRESULT get_IntervalInMinutes(LONG* pVal) = 0; // 12
    virtual HRESULT put_IntervalInMinutes(LONG newVal) = 0;
    virtual HRESULT get_Flags(LONG* pVal) = 0;            // 13
    virtual HRESULT put_Flags(LONG newVal) = 0;
    // 14. 0 once, 1 daily, 2 weekly, 3 monthly by date, 4 monthly by day of
    // week, 5 when idle, 6 at system start, 7 at log-on; a put of any other
    // value: -44 and nothing stored.
    virtual HRESULT get_TriggerType(LONG* pVal) = 0;
    virtual HRESULT put_TriggerType(LONG newVal) = 0;
    virtual HRESULT get_DaysInterval(SHORT* pVal) = 0;    // 15. type 1, else -45
    virtual HRESULT put_DaysInterval(SHORT newVal) = 0;
    virtual HRESULT get_WhichWeek(SHORT* pVal) = 0;       // 17. type 4, else -45
    virtual HRESULT put_WhichWeek(SHORT newVal) = 0;
    virtual HRESULT get_Days(LONG* pVal) = 0;             // 19. type 3, else -45
    virtual HRESULT put_Days(LONG newVal) = 0;
    virtual HRESULT get_Months(SHORT* pVal) = 0;          // 20. types 3 and 4, else -45
    virtual HRESULT put_Months(SHORT newVal) = 0;
    virtual HRESULT get_ErrorCode(LONG* pVal) = 0;        // 21. -45 right after a failed read
    virtual HRESULT get_WeeksInterval(SHORT* pVal) = 0;   // 22. type 2, else -45
    virtual HRESULT put_WeeksInterval(SHORT newVal) = 0;
    virtual HRESULT get_DaysOfTheWeek(SHORT* pVal) = 0;   // 23. types 2 and 4, else -45
    virtual HRESULT put_DaysOfTheWeek(SHORT newVal) = 0;
    virtual HRESULT get_Index(LONG* pVal) = 0;            // 24. within the task, from 0

protected:
    ~Trigger() = default;
};

} // namespace qm::cronolet
