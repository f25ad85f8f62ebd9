#pragma once
// The date-time text of the platform. Written as M/d/yyyy h:mm:ss AP
// ("3/7/2026 2:05:09 PM") whatever the machine's locale, so that every file
// and log line reads the same on every machine and reads back as a date.
#include "platform/datetime/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm::datetime {

// "3/7/2026 2:05:09 PM"; midnight is "12:00:00 AM", noon "12:00:00 PM".
std::string formatDateTime(const DateTime& dt);
// "3/7/2026"
std::string formatDate(const DateTime& dt);
// "2:05:09 PM"
std::string formatTime(const DateTime& dt);
// The general form: the date alone when the value has no time of day
// ("3/7/2026"), else the full text as formatDateTime.
std::string formatGeneral(const DateTime& dt);
// "2026-03-07 14:05:09", the form the environment override of the clock uses.
std::string formatIso(const DateTime& dt);

// Reads a date-time text. Accepted, with blanks around the whole text and
// between date and time ignored and AM/PM in any case:
//   M/d/yyyy                       3/7/2026
//   M/d/yyyy h:mm[:ss] AM|PM       3/7/2026 2:05:09 PM
//   M/d/yyyy H:mm[:ss]             3/7/2026 14:05   (24-hour)
//   yyyy-mm-dd                     2026-03-07
//   yyyy-mm-dd[ |T]H:mm[:ss]       2026-03-07T14:05:09 (AM/PM accepted too)
//   a time alone                   14:05, 2:05 PM   (on the day 12/30/1899)
// Years have four digits. Anything else - a date that does not exist, a
// two-digit year, a field out of range, trailing text, an empty text -
// gives std::nullopt; nothing is guessed.
std::optional<DateTime> parseDateTime(std::string_view text);

} // namespace qm::datetime
