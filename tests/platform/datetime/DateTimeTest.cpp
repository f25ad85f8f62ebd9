// Calendar arithmetic, local-time conversions across daylight-saving changes,
// the automation DATE and the clock.
#include "platform/datetime/Clock.h"
#include "platform/datetime/DateTime.h"
#include "TzLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <ostream>
#include <string>

using namespace qm::datetime;
using qm::test::ScopedEnv;
using qm::test::ScopedTz;

namespace {

DateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return DateTime{y, mo, d, h, mi, s};
}

} // namespace

TEST(Calendar, ValidDatesFollowTheGregorianRules)
{
    EXPECT_TRUE(isValidDate(2024, 2, 29));
    EXPECT_FALSE(isValidDate(2026, 2, 29));
    EXPECT_FALSE(isValidDate(1900, 2, 29));   // century, not leap
    EXPECT_TRUE(isValidDate(2000, 2, 29));    // 400th year, leap
    EXPECT_FALSE(isValidDate(2026, 4, 31));
    EXPECT_FALSE(isValidDate(2026, 13, 1));
    EXPECT_FALSE(isValidDate(2026, 0, 1));
    EXPECT_FALSE(isValidDate(2026, 1, 0));
    EXPECT_FALSE(isValidDate(99, 12, 31));
    EXPECT_TRUE(isValidDate(100, 1, 1));
    EXPECT_TRUE(isValidDate(9999, 12, 31));
    EXPECT_FALSE(isValidDate(10000, 1, 1));
    EXPECT_FALSE(isValid(dt(2026, 3, 7, 24, 0, 0)));
    EXPECT_FALSE(isValid(dt(2026, 3, 7, 23, 60, 0)));
    EXPECT_TRUE(isValid(dt(2026, 3, 7, 23, 59, 59)));
}

TEST(Calendar, DayNumbersMatchDayByDayCountingOverTheWholeRange)
{
    DateTime d = dt(MinYear, 1, 1);
    long long n = dayNumber(d.year, d.month, d.day);
    EXPECT_EQ(dayNumber(1970, 1, 1), 0);
    EXPECT_EQ(dayNumber(1899, 12, 30), -25569);
    for (;;) {
        ASSERT_EQ(dayNumber(d.year, d.month, d.day), n) << d.year << '-' << d.month << '-' << d.day;
        ASSERT_EQ(fromDayNumber(n), d) << n;
        if (d == dt(MaxYear, 12, 31))
            break;
        if (++d.day > daysInMonth(d.year, d.month)) {
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
        ++n;
    }
}

TEST(Calendar, DaysBetweenCountsDateBoundariesNotHours)
{
    EXPECT_EQ(daysBetween(dt(2025, 12, 31, 23, 59, 59), dt(2026, 1, 1, 0, 0, 0)), 1);
    EXPECT_EQ(daysBetween(dt(2026, 3, 7, 0, 0, 0), dt(2026, 3, 7, 23, 59, 59)), 0);
    EXPECT_EQ(daysBetween(dt(2026, 3, 7, 23, 0, 0), dt(2026, 3, 1, 1, 0, 0)), -6);
    EXPECT_EQ(daysBetween(dt(2024, 2, 28), dt(2024, 3, 1)), 2);
    EXPECT_EQ(daysBetween(dt(2026, 2, 28), dt(2026, 3, 1)), 1);
    EXPECT_EQ(daysBetween(dt(1900, 2, 28), dt(1900, 3, 1)), 1);
    EXPECT_EQ(daysBetween(dt(2026, 1, 31), dt(2026, 2, 1)), 1);
    EXPECT_EQ(daysBetween(dt(2025, 1, 1), dt(2026, 1, 1)), 365);
    EXPECT_EQ(daysBetween(dt(2024, 1, 1), dt(2025, 1, 1)), 366);
}

TEST(Calendar, AddDaysAndSecondsKeepWallClockAndCarry)
{
    EXPECT_EQ(addDays(dt(2026, 3, 7, 12, 30, 5), 1), dt(2026, 3, 8, 12, 30, 5));
    EXPECT_EQ(addDays(dt(2025, 12, 31, 23, 0, 0), 1), dt(2026, 1, 1, 23, 0, 0));
    EXPECT_EQ(addDays(dt(2024, 3, 1), -1), dt(2024, 2, 29));
    EXPECT_EQ(addDays(dt(2026, 1, 31), 28), dt(2026, 2, 28));
    EXPECT_EQ(addSeconds(dt(2025, 12, 31, 23, 59, 59), 1), dt(2026, 1, 1, 0, 0, 0));
    EXPECT_EQ(addSeconds(dt(2026, 1, 1, 0, 0, 0), -1), dt(2025, 12, 31, 23, 59, 59));
    EXPECT_EQ(addSeconds(dt(2026, 3, 7, 10, 0, 0), -86400 * 7 - 3600), dt(2026, 2, 28, 9, 0, 0));
}

// Each zone (as a POSIX TZ rule, so no zone database is needed) with the day
// it springs forward (at 2:00) and the day it falls back.
struct ZoneCase {
    const char* label;
    const char* zone;
    DateTime springDay;
    int gapHour;        // the wall-clock hour that does not exist
    DateTime fallDay;
};

void PrintTo(const ZoneCase& z, std::ostream* os) { *os << z.label; }

class LocalTime : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(LocalTime, WallClockRoundTripsAroundDaylightSavingChanges)
{
    const ZoneCase& z = GetParam();
    ScopedTz tz(z.zone);
    for (DateTime day : {addDays(z.springDay, -1), z.springDay, addDays(z.springDay, 1), addDays(z.fallDay, -1),
                         z.fallDay, addDays(z.fallDay, 1)}) {
        for (int h = 0; h < 24; ++h) {
            if (day == z.springDay && h == z.gapHour)
                continue;
            for (int m : {0, 30, 59}) {
                const DateTime local = dt(day.year, day.month, day.day, h, m, 7);
                EXPECT_EQ(fromTimeT(toTimeT(local)), local) << z.zone << ' ' << h << ':' << m;
            }
        }
    }
}

TEST_P(LocalTime, InstantsAcrossTheChangeAreMeasuredInRealSeconds)
{
    const ZoneCase& z = GetParam();
    ScopedTz tz(z.zone);
    const DateTime& s = z.springDay;
    // The last second before the gap and the first after it are one second apart.
    const auto before = toTimeT(dt(s.year, s.month, s.day, z.gapHour - 1, 59, 59));
    const auto after = toTimeT(dt(s.year, s.month, s.day, z.gapHour + 1, 0, 0));
    EXPECT_EQ(after - before, 1);
    // The spring day is 23 hours long, the autumn day 25.
    EXPECT_EQ(toTimeT(addDays(s, 1)) - toTimeT(s), 23 * 3600);
    EXPECT_EQ(toTimeT(addDays(z.fallDay, 1)) - toTimeT(z.fallDay), 25 * 3600);
    // ... yet each is one calendar day.
    EXPECT_EQ(daysBetween(fromTimeT(toTimeT(s) + 30 * 60), fromTimeT(toTimeT(s) + 23 * 3600 + 10 * 60)), 1);
}

TEST_P(LocalTime, AWallClockTimeInTheGapStillGivesAMomentOnThatDay)
{
    const ZoneCase& z = GetParam();
    ScopedTz tz(z.zone);
    const DateTime& s = z.springDay;
    const std::time_t t = toTimeT(dt(s.year, s.month, s.day, z.gapHour, 30, 0));
    ASSERT_NE(t, static_cast<std::time_t>(-1));
    const DateTime back = fromTimeT(t);
    EXPECT_EQ(back.date(), s);
    EXPECT_TRUE(back.hour == z.gapHour - 1 || back.hour == z.gapHour + 1) << back.hour;
    EXPECT_EQ(back.minute, 30);
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalTime,
                         ::testing::Values(ZoneCase{"NewYork", "EST5EDT,M3.2.0,M11.1.0", {2026, 3, 8}, 2, {2026, 11, 1}},
                                           ZoneCase{"Berlin", "CET-1CEST,M3.5.0,M10.5.0/3", {2026, 3, 29}, 2,
                                                    {2026, 10, 25}}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(LocalTimeZones, TheSameMomentReadsAsEachZonesWallClock)
{
    const std::time_t t = 1772892309;   // 2026-03-07 14:05:09 UTC
    {
        ScopedTz tz("UTC0");
        EXPECT_EQ(fromTimeT(t), dt(2026, 3, 7, 14, 5, 9));
        EXPECT_EQ(toTimeT(dt(2026, 3, 7, 14, 5, 9)), t);
    }
    {
        ScopedTz tz("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(fromTimeT(t), dt(2026, 3, 7, 9, 5, 9));
    }
    {
        ScopedTz tz("IST-5:30");
        EXPECT_EQ(fromTimeT(t), dt(2026, 3, 7, 19, 35, 9));
    }
}

TEST(OleDate, KnownSerialsBothWays)
{
    EXPECT_EQ(fromOleDate(0.0), dt(1899, 12, 30));
    EXPECT_EQ(fromOleDate(2.5), dt(1900, 1, 1, 12, 0, 0));
    EXPECT_EQ(fromOleDate(-1.25), dt(1899, 12, 29, 6, 0, 0));
    EXPECT_EQ(fromOleDate(-0.5), dt(1899, 12, 30, 12, 0, 0));
    EXPECT_EQ(fromOleDate(46088.0), dt(2026, 3, 7));
    EXPECT_DOUBLE_EQ(toOleDate(dt(1899, 12, 29, 6, 0, 0)), -1.25);
    EXPECT_DOUBLE_EQ(toOleDate(dt(1900, 1, 1, 18, 0, 0)), 2.75);
    EXPECT_DOUBLE_EQ(toOleDate(dt(2026, 3, 7, 14, 5, 9)), 46088.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0);
}

TEST(OleDate, RoundsToTheSecondAndCarriesIntoTheNextDay)
{
    EXPECT_EQ(fromOleDate(46088.0 + 86399.6 / 86400.0), dt(2026, 3, 8));
    EXPECT_EQ(fromOleDate(46088.0 + 3600.4 / 86400.0), dt(2026, 3, 7, 1, 0, 0));
    for (DateTime d : {dt(100, 1, 1), dt(1899, 12, 29, 23, 59, 59), dt(1970, 1, 1, 0, 0, 1), dt(2026, 3, 7, 14, 5, 9),
                       dt(9999, 12, 31, 23, 59, 59)})
        EXPECT_EQ(fromOleDate(toOleDate(d)), d) << toOleDate(d);
}

TEST(OleDate, RefusesWhatIsNotADate)
{
    EXPECT_FALSE(fromOleDate(std::nan("")));
    EXPECT_FALSE(fromOleDate(HUGE_VAL));
    EXPECT_FALSE(fromOleDate(-700000.0));
    EXPECT_FALSE(fromOleDate(2958466.0));
}

TEST(Clock, FakeNowFromTheEnvironmentAndTheRealClockOtherwise)
{
    {
        ScopedEnv fake(FakeNowVariable, "2026-03-07 13:05:09");
        EXPECT_EQ(SystemClock().now(), dt(2026, 3, 7, 13, 5, 9));
        EXPECT_EQ(systemClock().now(), dt(2026, 3, 7, 13, 5, 9));
    }
    for (const char* value : {"", "not a date"}) {
        ScopedEnv fake(FakeNowVariable, value);
        const std::time_t before = std::time(nullptr);
        const std::time_t now = toTimeT(SystemClock().now());
        EXPECT_GE(now, before);
        EXPECT_LE(now, std::time(nullptr));
    }

    FixedClock clock(dt(2026, 2, 28, 23, 0, 0));
    clock.advanceSeconds(3600);
    EXPECT_EQ(clock.now(), dt(2026, 3, 1, 0, 0, 0));
    clock.advanceDays(-1);
    EXPECT_EQ(clock.now(), dt(2026, 2, 28, 0, 0, 0));
}
