#pragma once
// A local calendar date and time of day, to the second, as the programs store
// and show it. No time zone travels with the value: it means the wall-clock
// time of the machine's zone. Conversions to and from time_t use the C
// library's zone rules for that date (TZ respected); everything else is
// plain calendar arithmetic and needs no zone at all.
#include <compare>
#include <ctime>
#include <optional>

namespace qm::datetime {

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // True when the value carries a time of day other than midnight.
    bool hasTime() const { return hour != 0 || minute != 0 || second != 0; }
    // The same day at midnight.
    DateTime date() const { return DateTime{year, month, day, 0, 0, 0}; }

    friend auto operator<=>(const DateTime&, const DateTime&) = default;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// Years the programs handle, as the automation DATE does.
inline constexpr int MinYear = 100;
inline constexpr int MaxYear = 9999;

bool isLeapYear(int year);
int daysInMonth(int year, int month);              // 0 for a month outside 1..12
bool isValidDate(int year, int month, int day);    // within MinYear..MaxYear
bool isValidTime(int hour, int minute, int second);
bool isValid(const DateTime& dt);

// Day number of a calendar date (proleptic Gregorian): days since 1970-01-01.
long long dayNumber(int year, int month, int day);
// The calendar date of a day number; the time of day is midnight.
DateTime fromDayNumber(long long days);

// Whole calendar days from `from` to `to`: the number of date boundaries
// crossed, whatever the times of day (11:59 PM to 12:01 AM the next day is 1).
// Negative when `to` lies before `from`.
long long daysBetween(const DateTime& from, const DateTime& to);
// The same time of day, `days` calendar days later (earlier when negative).
DateTime addDays(const DateTime& dt, long long days);
// `seconds` later (earlier when negative), carrying into the date.
DateTime addSeconds(const DateTime& dt, long long seconds);

// Local time: the moment `dt` names on this machine's clock. A wall-clock
// time that the zone skips (spring forward) or repeats (fall back) resolves
// as the C library's mktime resolves it.
std::time_t toTimeT(const DateTime& dt);
// The local wall-clock time of a moment.
DateTime fromTimeT(std::time_t t);

// The automation DATE: days since 1899-12-30, the fraction being the time of
// day. Before that day the whole part counts backwards while the fraction
// still counts forward within the day (-1.25 is 1899-12-29 6:00 AM).
double toOleDate(const DateTime& dt);
// Rounded to the nearest second; std::nullopt for NaN or a value outside the
// years MinYear..MaxYear.
std::optional<DateTime> fromOleDate(double serial);

} // namespace qm::datetime
