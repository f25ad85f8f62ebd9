#include "platform/tasksched/Schedule.h"

namespace qm::tasksched {

using datetime::DateTime;

namespace {

// Day numbers count from 1970-01-01, a Thursday.
int weekday(long long dayNo) { return static_cast<int>(((dayNo % 7) + 7 + 4) % 7); } // 0 Sunday

long long secondsOf(const DateTime& t)
{
    return datetime::dayNumber(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

long long beginDay(const TASK_TRIGGER& t) { return datetime::dayNumber(t.wBeginYear, t.wBeginMonth, t.wBeginDay); }

bool monthChosen(const TASK_TRIGGER& t, int month) { return (t.Type.Months() & monthBit(month)) != 0; }
bool weekdayChosen(const TASK_TRIGGER& t, long long dayNo) { return (t.Type.DaysOfTheWeek() >> weekday(dayNo)) & 1; }

bool monthlyDowMatches(const TASK_TRIGGER& t, long long dayNo, const DateTime& date)
{
    if (!monthChosen(t, date.month) || !weekdayChosen(t, dayNo))
        return false;
    if (t.Type.WhichWeek() == TASK_LAST_WEEK)
        return date.day + 7 > datetime::daysInMonth(date.year, date.month);
    return (date.day - 1) / 7 + 1 == t.Type.WhichWeek();
}

// The first day on or after `dayNo` that could be a run day, skipping what
// can be skipped in one step; the caller checks the day itself.
long long nextCandidate(const TASK_TRIGGER& t, long long dayNo)
{
    const long long begin = beginDay(t);
    if (dayNo < begin)
        dayNo = begin;
    switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY: {
        const long long n = t.Type.DaysInterval();
        return dayNo + (n - (dayNo - begin) % n) % n;
    }
    case TASK_TIME_TRIGGER_WEEKLY: {
        const long long firstSunday = begin - weekday(begin);
        const long long n = t.Type.WeeksInterval();
        const long long week = (dayNo - firstSunday) / 7;
        if (week % n != 0)
            return firstSunday + (week / n + 1) * n * 7;
        return dayNo;
    }
    case TASK_TIME_TRIGGER_MONTHLYDATE:
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
        const DateTime d = datetime::fromDayNumber(dayNo);
        if (!monthChosen(t, d.month))
            return datetime::dayNumber(d.month == 12 ? d.year + 1 : d.year, d.month % 12 + 1, 1);
        return dayNo;
    }
    default:
        return dayNo;
    }
}

bool isRunDay(const TASK_TRIGGER& t, long long dayNo)
{
    const DateTime d = datetime::fromDayNumber(dayNo);
    switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
        return dayNo == beginDay(t);
    case TASK_TIME_TRIGGER_DAILY:
        return true; // nextCandidate lands on the interval
    case TASK_TIME_TRIGGER_WEEKLY:
        return weekdayChosen(t, dayNo);
    case TASK_TIME_TRIGGER_MONTHLYDATE:
        return monthChosen(t, d.month) && (t.Type.Days() & monthDayBit(d.day)) != 0;
    case TASK_TIME_TRIGGER_MONTHLYDOW:
        return monthlyDowMatches(t, dayNo, d);
    default:
        return false;
    }
}

// The first run after `after` within the day whose first run is `start`.
std::optional<DateTime> runInPeriod(const TASK_TRIGGER& t, const DateTime& start, const DateTime& after)
{
    if (start > after)
        return start;
    if (t.MinutesInterval == 0 || t.MinutesDuration == 0)
        return std::nullopt;
    const long long elapsed = (secondsOf(after) - secondsOf(start)) / 60;
    const long long offset = (elapsed / t.MinutesInterval + 1) * t.MinutesInterval;
    if (offset >= t.MinutesDuration)
        return std::nullopt;
    return datetime::addSeconds(start, offset * 60);
}

// Enough steps for any rule: nine years of single days covers a leap day
// across a century year; jumping rules need far fewer.
constexpr int kMaxSteps = 9 * 366 + 32;

} // namespace

bool isEventTrigger(const TASK_TRIGGER& t)
{
    return t.TriggerType >= TASK_EVENT_TRIGGER_ON_IDLE && t.TriggerType <= TASK_TRIGGER_TYPE_LAST;
}

bool isValidTrigger(const TASK_TRIGGER& t)
{
    if (t.TriggerType < 0 || t.TriggerType > TASK_TRIGGER_TYPE_LAST || (t.rgFlags & ~TASK_TRIGGER_FLAGS_KNOWN) ||
        t.wStartHour > 23 || t.wStartMinute > 59)
        return false;
    if (!isEventTrigger(t) && !datetime::isValidDate(t.wBeginYear, t.wBeginMonth, t.wBeginDay))
        return false;
    if ((t.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE) && !datetime::isValidDate(t.wEndYear, t.wEndMonth, t.wEndDay))
        return false;
    return t.MinutesInterval == 0 || t.MinutesInterval < t.MinutesDuration;
}

bool isUsable(const TASK_TRIGGER& t)
{
    if ((t.rgFlags & TASK_TRIGGER_FLAG_DISABLED) || t.TriggerType < 0 || t.TriggerType > TASK_TRIGGER_TYPE_LAST)
        return false;
    if (isEventTrigger(t))
        return true;
    if (!datetime::isValidDate(t.wBeginYear, t.wBeginMonth, t.wBeginDay) || t.wStartHour > 23 || t.wStartMinute > 59)
        return false;
    if ((t.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE) && !datetime::isValidDate(t.wEndYear, t.wEndMonth, t.wEndDay))
        return false;
    const TriggerWords& w = t.Type;
    switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
        return w.DaysInterval() >= 1;
    case TASK_TIME_TRIGGER_WEEKLY:
        return w.WeeksInterval() >= 1 && (w.DaysOfTheWeek() & TASK_ALL_DAYS);
    case TASK_TIME_TRIGGER_MONTHLYDATE:
        return (w.Days() & 0x7FFFFFFF) && (w.Months() & TASK_ALL_MONTHS);
    case TASK_TIME_TRIGGER_MONTHLYDOW:
        return w.WhichWeek() >= TASK_FIRST_WEEK && w.WhichWeek() <= TASK_LAST_WEEK &&
               (w.DaysOfTheWeek() & TASK_ALL_DAYS) && (w.Months() & TASK_ALL_MONTHS);
    default:
        return true;
    }
}

std::optional<RunTime> nextRun(const TASK_TRIGGER& t, const DateTime& after)
{
    if (!isUsable(t) || isEventTrigger(t))
        return std::nullopt;
    const long long lastDay = datetime::dayNumber(datetime::MaxYear, 12, 31);
    const long long endDay = (t.rgFlags & TASK_TRIGGER_FLAG_HAS_END_DATE)
                                 ? std::min(lastDay, datetime::dayNumber(t.wEndYear, t.wEndMonth, t.wEndDay))
                                 : lastDay;
    // A day that began before `after` may still have repetitions to come.
    const long long spanDays = t.MinutesInterval ? (t.MinutesDuration + 1439) / 1440 : 0;
    long long day = datetime::dayNumber(after.year, after.month, after.day) - spanDays;

    std::optional<RunTime> best;
    for (int step = 0; step < kMaxSteps; ++step) {
        day = nextCandidate(t, day);
        if (day > endDay)
            break;
        if (isRunDay(t, day)) {
            DateTime start = datetime::fromDayNumber(day);
            start.hour = t.wStartHour;
            start.minute = t.wStartMinute;
            if (best && start >= best->at)
                break; // later days start later still
            if (auto at = runInPeriod(t, start, after); at && (!best || *at < best->at))
                best = RunTime{*at, start};
        }
        if (t.TriggerType == TASK_TIME_TRIGGER_ONCE)
            break;
        ++day;
    }
    return best;
}

std::optional<DateTime> nextRun(const Job& job, const DateTime& after)
{
    if (job.disabled())
        return std::nullopt;
    std::optional<DateTime> best;
    for (const TASK_TRIGGER& t : job.triggers)
        if (auto r = nextRun(t, after); r && (!best || r->at < *best))
            best = r->at;
    return best;
}

} // namespace qm::tasksched
