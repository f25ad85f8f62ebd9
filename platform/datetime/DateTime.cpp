#include "platform/datetime/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>

namespace qm::datetime {

namespace {

constexpr long long SecondsPerDay = 86400;
// Day number of 1899-12-30, the automation DATE's day 0.
constexpr long long OleEpochDay = -25569;

long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

long long secondsOfDay(const DateTime& dt)
{
    return dt.hour * 3600LL + dt.minute * 60LL + dt.second;
}

// The zone rules are read again when TZ changes, and otherwise at most
// once a second: reading them checks the zone file each time, which would
// cost a system call for every file time of a long listing. A conversion
// holds the returned lock while it runs: the C library's conversions share
// the zone rules, and its own guard of them is one that thread checkers
// cannot see.
std::unique_lock<std::mutex> zoneRules()
{
    static std::mutex m;
    static std::string lastTz = "\x01"; // nothing seen yet
    static std::chrono::steady_clock::time_point lastRead;
    const char* tz = std::getenv("TZ");
    const std::string now = tz ? std::string("=") + tz : std::string();
    const auto t = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> g(m);
    if (now != lastTz || t - lastRead >= std::chrono::seconds(1)) {
        tzset();
        lastTz = now;
        lastRead = t;
    }
    return g;
}

DateTime withSecondsOfDay(DateTime d, long long secs)
{
    d.hour = static_cast<int>(secs / 3600);
    d.minute = static_cast<int>(secs / 60 % 60);
    d.second = static_cast<int>(secs % 60);
    return d;
}

} // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[month - 1];
}

bool isValidDate(int year, int month, int day)
{
    return year >= MinYear && year <= MaxYear && day >= 1 && day <= daysInMonth(year, month);
}

bool isValidTime(int hour, int minute, int second)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

bool isValid(const DateTime& dt)
{
    return isValidDate(dt.year, dt.month, dt.day) && isValidTime(dt.hour, dt.minute, dt.second);
}

// Civil-calendar conversions in 400-year eras (each era has 146097 days).
long long dayNumber(int year, int month, int day)
{
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = floorDiv(y, 400);
    const long long yoe = y - era * 400;                                   // 0..399
    const long long mp = (month + 9) % 12;                                 // March = 0
    const long long doy = (153 * mp + 2) / 5 + day - 1;                    // 0..365
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // 0..146096
    return era * 146097 + doe - 719468;
}

DateTime fromDayNumber(long long days)
{
    days += 719468;
    const long long era = floorDiv(days, 146097);
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return DateTime{year, month, day, 0, 0, 0};
}

long long daysBetween(const DateTime& from, const DateTime& to)
{
    return dayNumber(to.year, to.month, to.day) - dayNumber(from.year, from.month, from.day);
}

DateTime addDays(const DateTime& dt, long long days)
{
    DateTime r = fromDayNumber(dayNumber(dt.year, dt.month, dt.day) + days);
    return withSecondsOfDay(r, secondsOfDay(dt));
}

DateTime addSeconds(const DateTime& dt, long long seconds)
{
    const long long total = dayNumber(dt.year, dt.month, dt.day) * SecondsPerDay + secondsOfDay(dt) + seconds;
    const long long days = floorDiv(total, SecondsPerDay);
    return withSecondsOfDay(fromDayNumber(days), total - days * SecondsPerDay);
}

std::time_t toTimeT(const DateTime& dt)
{
    std::tm tm{};
    tm.tm_year = dt.year - 1900;
    tm.tm_mon = dt.month - 1;
    tm.tm_mday = dt.day;
    tm.tm_hour = dt.hour;
    tm.tm_min = dt.minute;
    tm.tm_sec = dt.second;
    tm.tm_isdst = -1;   // let the zone rules of that date decide
    std::unique_lock<std::mutex> rules = zoneRules();
    return std::mktime(&tm);
}

DateTime fromTimeT(std::time_t t)
{
    std::tm tm{};
    std::unique_lock<std::mutex> rules = zoneRules();
    if (!localtime_r(&t, &tm) && !gmtime_r(&t, &tm))
        return DateTime{};
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

double toOleDate(const DateTime& dt)
{
    const long long days = dayNumber(dt.year, dt.month, dt.day) - OleEpochDay;
    const double fraction = static_cast<double>(secondsOfDay(dt)) / SecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::optional<DateTime> fromOleDate(double serial)
{
    if (std::isnan(serial))
        return std::nullopt;
    // 100-01-01 and the last second of 9999-12-31.
    constexpr double lowest = -657434.0;
    constexpr double highest = 2958466.0;
    if (serial <= lowest - 1.0 || serial >= highest)
        return std::nullopt;
    const double whole = std::trunc(serial);
    long long days = static_cast<long long>(whole);
    long long secs = std::llround(std::fabs(serial - whole) * SecondsPerDay);
    if (secs >= SecondsPerDay) {    // rounds up to the next midnight
        secs -= SecondsPerDay;
        days += 1;
    }
    DateTime r = withSecondsOfDay(fromDayNumber(days + OleEpochDay), secs);
    if (!isValid(r))
        return std::nullopt;
    return r;
}

} // namespace qm::datetime
