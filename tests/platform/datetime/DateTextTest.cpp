// The platform's date-time text: the written form, whatever the locale and
// zone, and what the parser accepts and refuses.
#include "platform/datetime/DateText.h"
#include "TzLocale.h"

#include <gtest/gtest.h>

#include <locale>
#include <vector>

using namespace qm::datetime;
using qm::test::ScopedCLocale;
using qm::test::ScopedTz;

namespace {

DateTime dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return DateTime{y, mo, d, h, mi, s};
}

// A C++ locale that writes numbers the continental way (1.234,5).
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class ScopedGlobalLocale {
public:
    explicit ScopedGlobalLocale(const std::locale& loc) : old_(std::locale::global(loc)) {}
    ~ScopedGlobalLocale() { std::locale::global(old_); }

private:
    std::locale old_;
};

} // namespace

TEST(DateText, WrittenForm)
{
    EXPECT_EQ(formatDateTime(dt(2026, 3, 7, 14, 5, 9)), "3/7/2026 2:05:09 PM");
    EXPECT_EQ(formatDateTime(dt(2026, 3, 7, 0, 0, 0)), "3/7/2026 12:00:00 AM");
    EXPECT_EQ(formatDateTime(dt(2026, 3, 7, 12, 0, 0)), "3/7/2026 12:00:00 PM");
    EXPECT_EQ(formatDateTime(dt(2026, 3, 7, 0, 30, 0)), "3/7/2026 12:30:00 AM");
    EXPECT_EQ(formatDateTime(dt(2026, 3, 7, 1, 0, 0)), "3/7/2026 1:00:00 AM");
    EXPECT_EQ(formatDateTime(dt(2026, 12, 31, 23, 59, 59)), "12/31/2026 11:59:59 PM");
    EXPECT_EQ(formatDate(dt(2026, 11, 25, 8, 0, 0)), "11/25/2026");
    EXPECT_EQ(formatTime(dt(2026, 11, 25, 8, 0, 0)), "8:00:00 AM");
    EXPECT_EQ(formatIso(dt(2026, 3, 7, 14, 5, 9)), "2026-03-07 14:05:09");
    // The general form drops a time part that is exactly midnight, and only that.
    EXPECT_EQ(formatGeneral(dt(2026, 3, 7)), "3/7/2026");
    EXPECT_EQ(formatGeneral(dt(2026, 3, 7, 0, 0, 1)), "3/7/2026 12:00:01 AM");
    EXPECT_EQ(formatGeneral(dt(2026, 3, 7, 12, 0, 0)), "3/7/2026 12:00:00 PM");
}

TEST(DateText, SameTextAndRoundTripUnderEveryLocaleAndZone)
{
    const std::vector<DateTime> values = {
        dt(2026, 3, 7, 14, 5, 9), dt(2026, 3, 7), dt(2026, 3, 7, 12, 0, 0), dt(2026, 3, 8, 1, 59, 59),
        dt(2026, 3, 8, 3, 0, 0),  dt(2026, 11, 1, 1, 30, 0), dt(2024, 2, 29, 23, 59, 59), dt(1899, 12, 30),
        dt(100, 1, 1, 0, 0, 1),   dt(9999, 12, 31, 23, 59, 59)};
    std::vector<std::string> expected;
    for (const auto& v : values)
        expected.push_back(formatDateTime(v));

    const std::vector<std::string> locales = {"C", "C.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "ar_SA.UTF-8"};
    int localesTried = 0;
    for (const auto& name : locales) {
        ScopedCLocale cLocale(name);
        if (!cLocale.active())
            continue;
        ++localesTried;
        ScopedGlobalLocale cxx(std::locale(std::locale::classic(), new CommaDecimal));
        for (const char* zone : {"EST5EDT,M3.2.0,M11.1.0", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
            ScopedTz tz(zone);
            for (size_t i = 0; i < values.size(); ++i) {
                const std::string text = formatDateTime(values[i]);
                EXPECT_EQ(text, expected[i]) << name << ' ' << zone;
                EXPECT_EQ(parseDateTime(text), values[i]) << text << ' ' << name << ' ' << zone;
                EXPECT_EQ(parseDateTime(formatGeneral(values[i])), values[i]) << name;
            }
            // Moments on both sides of each change: text -> local time -> same moment.
            for (std::time_t base : {toTimeT(dt(2026, 3, 8)), toTimeT(dt(2026, 3, 29)), toTimeT(dt(2026, 10, 25)),
                                     toTimeT(dt(2026, 11, 1))}) {
                for (std::time_t t = base; t < base + 5 * 3600; t += 15 * 60) {
                    auto back = parseDateTime(formatDateTime(fromTimeT(t)));
                    ASSERT_TRUE(back);
                    const std::time_t again = toTimeT(*back);
                    // A repeated hour may resolve to its other occurrence.
                    EXPECT_TRUE(again == t || again == t - 3600 || again == t + 3600) << formatDateTime(*back);
                    EXPECT_EQ(fromTimeT(again), *back);
                }
            }
        }
    }
    EXPECT_GE(localesTried, 2);
}

TEST(DateText, ParserAcceptsTheListedForms)
{
    const struct {
        const char* text;
        DateTime value;
    } cases[] = {
        {"3/7/2026 2:05:09 PM", dt(2026, 3, 7, 14, 5, 9)},
        {"  3/7/2026   2:05:09 pm  ", dt(2026, 3, 7, 14, 5, 9)},
        {"3/7/2026 2:05:09PM", dt(2026, 3, 7, 14, 5, 9)},
        {"03/07/2026 02:05 AM", dt(2026, 3, 7, 2, 5, 0)},
        {"3/7/2026 12:00:00 AM", dt(2026, 3, 7, 0, 0, 0)},
        {"3/7/2026 12:00:00 PM", dt(2026, 3, 7, 12, 0, 0)},
        {"3/7/2026 12:59 AM", dt(2026, 3, 7, 0, 59, 0)},
        {"3/7/2026", dt(2026, 3, 7)},
        {"3/7/2026 13:05", dt(2026, 3, 7, 13, 5, 0)},
        {"3/7/2026 13:05:09", dt(2026, 3, 7, 13, 5, 9)},
        {"3/7/2026 0:00", dt(2026, 3, 7)},
        {"2/29/2024", dt(2024, 2, 29)},
        {"2026-03-07", dt(2026, 3, 7)},
        {"2026-03-07 13:05:09", dt(2026, 3, 7, 13, 5, 9)},
        {"2026-03-07T13:05:09", dt(2026, 3, 7, 13, 5, 9)},
        {"2026-03-07T13:05", dt(2026, 3, 7, 13, 5, 0)},
        {"2026-03-07 1:05 PM", dt(2026, 3, 7, 13, 5, 0)},
        {"13:05", dt(1899, 12, 30, 13, 5, 0)},
        {"13:05:09", dt(1899, 12, 30, 13, 5, 9)},
        {"1:05 pm", dt(1899, 12, 30, 13, 5, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDateTime(c.text), c.value) << '"' << c.text << '"';
}

TEST(DateText, ParserRefusesInsteadOfGuessing)
{
    for (const char* text : {"", "   ", "garbage", "2/30/2026", "2/29/2026", "13/1/2026", "0/1/2026", "3/0/2026",
                             "3/7/26", "3/7/02026", "3//2026", "/7/2026", "-3/7/2026", "3-7-2026", "2026/03/07",
                             "20260307", "2026-02-29", "2026-13-01", "2026-03-07x", "3/7/2026 25:00", "3/7/2026 24:00",
                             "3/7/2026 12:60", "3/7/2026 12:00:60", "3/7/2026 13:05 PM", "3/7/2026 0:30 AM",
                             "3/7/2026 2:05:09 PM x", "3/7/2026 2:05:09 PM PM", "3/7/2026T13:05", "2026-03-07T",
                             "2026-03-07 13", "3/7/2026 13:", "3/7/2026 :05", "2026-03-07 13:05:09Z",
                             "2026-03-07 13:05:09.5", "1.5", "46088", "3/7/2026 PM", "99:00", "0099-01-01",
                             "3/7/2026\n"})
        EXPECT_FALSE(parseDateTime(text)) << '"' << text << '"';
}
