#include "platform/tasksched/TriggerText.h"

#include <cstdio>

namespace qm::tasksched {

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeeks[] = {"first", "second", "third", "fourth", "last"};

std::string date(WORD y, WORD m, WORD d)
{
    return std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
}

// The names whose bits are set, joined with ", ".
template <std::size_t N>
std::string names(DWORD bits, const char* const (&list)[N])
{
    std::string out;
    for (std::size_t i = 0; i < N; ++i)
        if (bits & (DWORD{1} << i))
            out += (out.empty() ? "" : ", ") + std::string(list[i]);
    return out.empty() ? "no day" : out;
}

std::string monthDays(DWORD bits)
{
    std::string out;
    for (int d = 1; d <= 31; ++d)
        if (bits & monthDayBit(d))
            out += (out.empty() ? "" : ", ") + std::to_string(d);
    return out.empty() ? "no day" : out;
}

std::string everyN(unsigned n, const char* one, const char* many)
{
    return n == 1 ? std::string("every ") + one : "every " + std::to_string(n) + " " + many;
}

std::string months(WORD bits)
{
    return (bits & TASK_ALL_MONTHS) == TASK_ALL_MONTHS ? "every month" : names(bits & TASK_ALL_MONTHS, kMonths);
}

std::string when(const TASK_TRIGGER& t)
{
    const TriggerWords& w = t.Type;
    switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
        return "on " + date(t.wBeginYear, t.wBeginMonth, t.wBeginDay);
    case TASK_TIME_TRIGGER_DAILY:
        return everyN(w.DaysInterval(), "day", "days");
    case TASK_TIME_TRIGGER_WEEKLY:
        return "every " + names(w.DaysOfTheWeek(), kDays) + " of " + everyN(w.WeeksInterval(), "week", "weeks");
    case TASK_TIME_TRIGGER_MONTHLYDATE:
        return "on day " + monthDays(w.Days()) + " of " + months(w.Months());
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
        const WORD which = w.WhichWeek();
        const std::string nth = which >= 1 && which <= 5 ? kWeeks[which - 1] : "unknown";
        return "on the " + nth + " " + names(w.DaysOfTheWeek(), kDays) + " of " + months(w.Months());
    }
    default:
        return {};
    }
}

} // namespace

std::string triggerText(const TASK_TRIGGER& t)
{
    std::string text;
    switch (t.TriggerType) {
    case TASK_EVENT_TRIGGER_ON_IDLE:
        text = "When the computer is idle";
        break;
    case TASK_EVENT_TRIGGER_AT_SYSTEMSTART:
        text = "At system start-up";
        break;
    case TASK_EVENT_TRIGGER_AT_LOGON:
        text = "At log-on";
        break;
    default: {
        if (t.TriggerType < 0 || t.TriggerType > TASK_TRIGGER_TYPE_LAST) {
            text = "Trigger of unknown type " + std::to_string(t.TriggerType);
            break;
        }
        char at[16];
        std::snprintf(at, sizeof at, "%u:%02u", unsigned{t.wStartHour}, unsigned{t.wStartMinute});
        text = std::string("At ") + at + " " + when(t);
        if (t.TriggerType != TASK_TIME_TRIGGER_ONCE)
            text += ", starting " + date(t.wBeginYear, t.wBeginMonth, t.wBeginDay);
        if (t.MinutesInterval && t.MinutesDuration)
            text += ", every " + std::to_string(t.MinutesInterval) + " minutes for " +
                    std::to_string(t.MinutesDuration) + " minutes";
        if (t.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE)
            text += ", until " + date(t.wEndYear, t.wEndMonth, t.wEndDay);
    }
    }
    if (t.rgFlags & TASK_TRIGGER_FLAG_DISABLED)
        text += " (disabled)";
    return text;
}

} // namespace qm::tasksched
