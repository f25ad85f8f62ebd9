// Numbers from text with "." as the decimal point, whatever the locale.
#include "platform/datetime/Numbers.h"
#include "TzLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qm::datetime;
using qm::test::ScopedCLocale;

TEST(Numbers, ValReadsTheLeadingNumberLikeTheClassicFunction)
{
    EXPECT_EQ(val("42"), 42.0);
    EXPECT_EQ(val("  42  "), 42.0);
    EXPECT_EQ(val("12abc"), 12.0);
    EXPECT_EQ(val("3.5.1"), 3.5);
    EXPECT_EQ(val("-2.25kg"), -2.25);
    EXPECT_EQ(val("+7"), 7.0);
    EXPECT_EQ(val(".5"), 0.5);
    EXPECT_EQ(val("1 615 198th Street"), 1615198.0);
    EXPECT_EQ(val("1\t0\n0"), 100.0);
    EXPECT_EQ(val("1e3"), 1000.0);
    EXPECT_EQ(val("2.5D2"), 250.0);
    EXPECT_EQ(val("1e"), 1.0);
    EXPECT_EQ(val("1e+x"), 1.0);
    EXPECT_EQ(val("5,5"), 5.0);   // a comma ends the number
    EXPECT_EQ(val(""), 0.0);
    EXPECT_EQ(val("abc"), 0.0);
    EXPECT_EQ(val("-"), 0.0);
    EXPECT_EQ(val("."), 0.0);
    EXPECT_EQ(val("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(val("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(val("1e-999"), 0.0);
    EXPECT_EQ(val("0.000e999"), 0.0);
    // Exponents beyond any whole number decide by their sign.
    EXPECT_EQ(val("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(val("1e9223372036854775807"), std::numeric_limits<double>::infinity());
}

TEST(Numbers, StrictParsersTakeTheWholeTextOrNothing)
{
    EXPECT_EQ(parseWholeNumber("42"), 42);
    EXPECT_EQ(parseWholeNumber(" -7 "), -7);
    EXPECT_EQ(parseWholeNumber("+3"), 3);
    EXPECT_EQ(parseWholeNumber("9223372036854775807"), 9223372036854775807LL);
    EXPECT_EQ(parseWholeNumber("-9223372036854775808"), std::numeric_limits<long long>::min());
    for (const char* bad : {"", " ", "1.5", "7 days", "x7", "+", "--1", "+-1", "1e3", "9223372036854775808", "1 2"})
        EXPECT_FALSE(parseWholeNumber(bad)) << '"' << bad << '"';

    EXPECT_EQ(parseNumber("3.25"), 3.25);
    EXPECT_EQ(parseNumber(" -.5 "), -0.5);
    EXPECT_EQ(parseNumber("1e3"), 1000.0);
    EXPECT_EQ(parseNumber("7"), 7.0);
    for (const char* bad : {"", "3,25", "1.2.3", "inf", "nan", "0x10", "1e", "3.25 MB", ".", "-", "1e999"})
        EXPECT_FALSE(parseNumber(bad)) << '"' << bad << '"';
}

TEST(Numbers, DecimalPointIsADotWhateverTheLocale)
{
    for (const char* name : {"C.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        ScopedCLocale locale(name);
        if (!locale.active())
            continue;
        EXPECT_EQ(val("1.5"), 1.5) << name;
        EXPECT_EQ(val("1,5"), 1.0) << name;
        EXPECT_EQ(parseNumber("2.75"), 2.75) << name;
        EXPECT_FALSE(parseNumber("2,75")) << name;
    }
}
