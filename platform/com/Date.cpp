#include "platform/com/Date.h"

#include <cmath>
#include <cstdint>

namespace qm::com {

namespace {

constexpr int kSecondsPerDay = 86400;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

constexpr Civil civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

constexpr std::int64_t kEpoch = daysFromCivil(1899, 12, 30);
constexpr std::int64_t kFirstDay = daysFromCivil(100, 1, 1) - kEpoch;
constexpr std::int64_t kLastDay = daysFromCivil(9999, 12, 31) - kEpoch;

bool isLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(unsigned y, unsigned m)
{
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

} // namespace

bool SystemTimeToVariantTime(const SYSTEMTIME* t, DATE* date)
{
    if (!t || !date)
        return false;
    if (t->wYear < 100 || t->wYear > 9999 || t->wMonth < 1 || t->wMonth > 12 || t->wDay < 1 ||
        t->wDay > daysInMonth(t->wYear, t->wMonth) || t->wHour > 23 || t->wMinute > 59 || t->wSecond > 59 ||
        t->wMilliseconds > 999)
        return false;
    const std::int64_t day = daysFromCivil(t->wYear, t->wMonth, t->wDay) - kEpoch;
    const double fraction = (t->wHour * 3600.0 + t->wMinute * 60.0 + t->wSecond) / kSecondsPerDay;
    // Before the epoch the time still runs forward from midnight, so it moves
    // the value away from zero.
    *date = day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
    return true;
}

bool VariantTimeToSystemTime(DATE date, SYSTEMTIME* t)
{
    if (!t || !std::isfinite(date))
        return false;
    double whole = std::trunc(date);
    if (whole < static_cast<double>(kFirstDay) || whole > static_cast<double>(kLastDay))
        return false;
    // The integer part names the day (rounded towards zero); the fraction,
    // whatever the sign, is the time since that day's midnight.
    std::int64_t day = static_cast<std::int64_t>(whole);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(date - whole) * kSecondsPerDay));
    if (seconds >= kSecondsPerDay) { // rounded up to the next midnight
        seconds -= kSecondsPerDay;
        ++day;
        if (day > kLastDay)
            return false;
    }
    const std::int64_t days = kEpoch + day;
    const Civil c = civilFromDays(days);
    SYSTEMTIME out;
    out.wYear = static_cast<WORD>(c.year);
    out.wMonth = static_cast<WORD>(c.month);
    out.wDay = static_cast<WORD>(c.day);
    out.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday
    out.wHour = static_cast<WORD>(seconds / 3600);
    out.wMinute = static_cast<WORD>(seconds / 60 % 60);
    out.wSecond = static_cast<WORD>(seconds % 60);
    *t = out;
    return true;
}

} // namespace qm::com
