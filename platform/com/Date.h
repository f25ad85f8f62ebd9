#pragma once
// Automation dates. A DATE is a double: whole days since 1899-12-30 in its
// integer part, the time of day as the fraction. Before that day the integer
// part is negative and the fraction still counts forward from midnight:
// -1.25 is 1899-12-29 06:00. SYSTEMTIME is a calendar date and time in
// separate fields, as the task scheduler hands them over.
//
// Both conversions accept the years 100 to 9999 only and report failure
// with false, leaving the result untouched: an all-zero SYSTEMTIME (a task
// that never ran) or an impossible date (month 13, February 30) converts to
// nothing. Times are whole seconds: milliseconds are ignored on the way in,
// and the fraction is rounded to the nearest second on the way out.
#include "platform/com/Result.h"

namespace qm::com {

using DATE = double;

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0; // 0 Sunday; ignored on the way in, set on the way out
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

bool SystemTimeToVariantTime(const SYSTEMTIME* time, DATE* date);
bool VariantTimeToSystemTime(DATE date, SYSTEMTIME* time);

} // namespace qm::com
