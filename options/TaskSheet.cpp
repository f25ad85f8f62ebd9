#include "options/TaskSheet.h"

#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMem.h"
#include "platform/tasksched/Schedule.h"

#include <algorithm>

namespace qm::options {

namespace com = qm::com;
namespace ts = qm::tasksched;
using com::ComPtr;
using com::HRESULT;
using com::FAILED;
using com::SUCCEEDED;
using com::WORD;

namespace {

// A string the task gives (task memory), as UTF-8.
std::string taken(HRESULT hr, com::LPWSTR text)
{
    std::string out;
    if (com::SUCCEEDED(hr) && text)
        out = com::utf8FromUtf16(std::u16string_view(text));
    com::CoTaskMemFree(text);
    return out;
}

template <class Get>
std::string textOf(ITask& task, Get get)
{
    com::LPWSTR text = nullptr;
    const HRESULT hr = (task.*get)(&text);
    return taken(hr, text);
}

WORD weekdayBit(const TASK_TRIGGER& t)
{
    const long long day = qm::datetime::dayNumber(t.wBeginYear, t.wBeginMonth, t.wBeginDay);
    return static_cast<WORD>(1u << (((day % 7) + 7 + 4) % 7)); // 1970-01-01 was a Thursday
}

// Writes every field of `sheet` into the task; the first failure's text.
std::string writeSheet(ITask& task, const TaskSheet& sheet)
{
    auto wide = [](const std::string& s) { return com::Bstr::fromUtf8(s); };
    if (FAILED(task.SetApplicationName(wide(sheet.ApplicationName).get())) ||
        FAILED(task.SetParameters(wide(sheet.Parameters).get())) ||
        FAILED(task.SetWorkingDirectory(wide(sheet.WorkingDirectory).get())) ||
        FAILED(task.SetComment(wide(sheet.Comment).get())) || FAILED(task.SetCreator(wide(sheet.Creator).get())))
        return "The task's texts could not be set.";
    if (FAILED(task.SetPriority(sheet.Priority)) || FAILED(task.SetFlags(sheet.Flags)) ||
        FAILED(task.SetMaxRunTime(sheet.MaxRunTimeMs)) ||
        FAILED(task.SetIdleWait(sheet.IdleMinutes, sheet.DeadlineMinutes)))
        return "The task's settings could not be set.";
    if (FAILED(task.SetAccountInformation(wide(sheet.Account).get(), nullptr)))
        return "Tasks run as the user who owns the tasks folder: leave \"Run as\" empty or give that user's name.";
    WORD count = 0;
    task.GetTriggerCount(&count);
    for (std::size_t i = 0; i < sheet.triggers.size(); ++i) {
        ComPtr<ts::ITaskTrigger> trigger;
        WORD index = 0;
        const HRESULT got = i < count ? task.GetTrigger(static_cast<WORD>(i), trigger.put())
                                      : task.CreateTrigger(&index, trigger.put());
        if (FAILED(got) || !trigger || FAILED(trigger->SetTrigger(&sheet.triggers[i])))
            return "Trigger " + std::to_string(i + 1) + " could not be set.";
    }
    for (WORD n = count; n > sheet.triggers.size(); --n)
        if (FAILED(task.DeleteTrigger(static_cast<WORD>(n - 1))))
            return "A trigger could not be removed.";
    return {};
}

} // namespace

TaskSheet readSheet(ITask& task)
{
    TaskSheet s;
    s.ApplicationName = textOf(task, &ITask::GetApplicationName);
    s.Parameters = textOf(task, &ITask::GetParameters);
    s.WorkingDirectory = textOf(task, &ITask::GetWorkingDirectory);
    s.Comment = textOf(task, &ITask::GetComment);
    s.Creator = textOf(task, &ITask::GetCreator);
    s.Account = textOf(task, &ITask::GetAccountInformation);
    task.GetPriority(&s.Priority);
    task.GetFlags(&s.Flags);
    task.GetMaxRunTime(&s.MaxRunTimeMs);
    task.GetIdleWait(&s.IdleMinutes, &s.DeadlineMinutes);
    WORD count = 0;
    task.GetTriggerCount(&count);
    for (WORD i = 0; i < count; ++i) {
        ComPtr<ts::ITaskTrigger> trigger;
        TASK_TRIGGER t;
        if (SUCCEEDED(task.GetTrigger(i, trigger.put())) && trigger && SUCCEEDED(trigger->GetTrigger(&t)))
            s.triggers.push_back(t);
    }
    return s;
}

TASK_TRIGGER newTrigger(const qm::datetime::DateTime& now)
{
    TASK_TRIGGER t;
    t.wBeginYear = static_cast<WORD>(now.year);
    t.wBeginMonth = static_cast<WORD>(now.month);
    t.wBeginDay = static_cast<WORD>(now.day);
    t.wStartHour = static_cast<WORD>(now.hour);
    t.wStartMinute = static_cast<WORD>(now.minute);
    t.TriggerType = ts::TASK_TIME_TRIGGER_DAILY;
    t.Type.setDaysInterval(1);
    return t;
}

void setTriggerType(TASK_TRIGGER& t, int type)
{
    if (t.TriggerType == type)
        return;
    t.TriggerType = type;
    t.Type = {};
    switch (type) {
    case ts::TASK_TIME_TRIGGER_DAILY:
        t.Type.setDaysInterval(1);
        break;
    case ts::TASK_TIME_TRIGGER_WEEKLY:
        t.Type.setWeeksInterval(1);
        t.Type.setDaysOfTheWeek(weekdayBit(t));
        break;
    case ts::TASK_TIME_TRIGGER_MONTHLYDATE:
        t.Type.setDays(ts::monthDayBit(std::clamp<int>(t.wBeginDay, 1, 31)));
        t.Type.setMonths(ts::TASK_ALL_MONTHS);
        break;
    case ts::TASK_TIME_TRIGGER_MONTHLYDOW:
        t.Type.setWhichWeek(ts::TASK_FIRST_WEEK);
        t.Type.setDaysOfTheWeek(weekdayBit(t));
        t.Type.setMonths(ts::TASK_ALL_MONTHS);
        break;
    default:
        break;
    }
}

std::string triggerProblem(const TASK_TRIGGER& t)
{
    if (ts::isValidTrigger(t))
        return {};
    if (t.MinutesInterval != 0 && t.MinutesInterval >= t.MinutesDuration)
        return "The repetition interval must be shorter than the duration it repeats for.";
    return "The trigger's dates or time do not exist.";
}

std::string applySheet(ITask& task, const TaskSheet& sheet, const TaskSheet& before)
{
    for (std::size_t i = 0; i < sheet.triggers.size(); ++i)
        if (std::string problem = triggerProblem(sheet.triggers[i]); !problem.empty())
            return "Trigger " + std::to_string(i + 1) + ": " + problem;
    std::string problem = writeSheet(task, sheet);
    if (problem.empty()) {
        ComPtr<ts::IPersistFile> file;
        if (FAILED(task.QueryInterface(ts::IPersistFile::iid, file.putVoid())) || !file ||
            FAILED(file->Save(nullptr, true)))
            problem = "The task could not be saved.";
        else
            file->SaveCompleted(nullptr);
    }
    if (!problem.empty())
        writeSheet(task, before);
    return problem;
}

} // namespace qm::options
