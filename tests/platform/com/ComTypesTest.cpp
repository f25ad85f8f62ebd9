// The value types of the automation layer: strings, dates, GUIDs, variants,
// counted pointers and apartments.
#include "CountingObject.h"

#include "platform/com/Apartment.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Date.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace qm::com;
using namespace std::string_literals;
using qm::test::CountingObject;

TEST(Bstr, NullEmptyAndEmbeddedNulStayApart)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);

    Bstr empty = Bstr::attach(SysAllocString(u""));
    ASSERT_FALSE(empty.isNull());
    EXPECT_EQ(empty.length(), 0u);
    EXPECT_EQ(empty.get()[0], u'\0');

    Bstr withNul = Bstr::attach(SysAllocStringLen(u"a\0b", 3));
    EXPECT_EQ(SysStringLen(withNul.get()), 3u);
    EXPECT_EQ(SysStringByteLen(withNul.get()), 6u);
    EXPECT_EQ(withNul.get()[3], u'\0');
    EXPECT_EQ(withNul.view(), u"a\0b"s);

    // Copies keep both the NUL inside and the difference of null and empty.
    Bstr copy = withNul;
    EXPECT_NE(copy.get(), withNul.get());
    EXPECT_EQ(copy.view(), u"a\0b"s);
    EXPECT_TRUE(Bstr(Bstr()).isNull());
    EXPECT_FALSE(Bstr(empty).isNull());

    Bstr zeros = Bstr::attach(SysAllocStringLen(nullptr, 2));
    EXPECT_EQ(zeros.view(), u"\0\0"s);

    Bstr out(u"old");
    *out.out() = SysAllocString(u"new");
    EXPECT_EQ(out.view(), u"new");
}

TEST(Bstr, Utf8RoundTripKeepsCharactersBeyondTheBasicPlane)
{
    const std::string text = "Gr\u00fc\u00dfe \U0001D11E!";
    Bstr b = Bstr::fromUtf8(text);
    EXPECT_EQ(b.length(), 9u); // the clef takes a surrogate pair
    EXPECT_EQ(b.get()[6], 0xD834);
    EXPECT_EQ(b.get()[7], 0xDD1E);
    EXPECT_EQ(b.utf8(), text);
    EXPECT_EQ(utf8FromUtf16(utf16FromUtf8(text)), text);

    // What is not UTF-8, or half a pair, becomes U+FFFD rather than garbage.
    EXPECT_EQ(utf16FromUtf8("a\xff"), u"a\uFFFD");
    EXPECT_EQ(utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");       // overlong "/"
    EXPECT_EQ(utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(utf16FromUtf8("x\xE2\x82"), u"x\uFFFD\uFFFD");      // cut short
    EXPECT_EQ(utf8FromUtf16(u"\xD800z"), "\xEF\xBF\xBDz");
    EXPECT_EQ(utf8FromUtf16(u"z\xDC00"), "z\xEF\xBF\xBD");
}

namespace {

SYSTEMTIME at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    SYSTEMTIME t;
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(mo);
    t.wDay = static_cast<WORD>(d);
    t.wHour = static_cast<WORD>(h);
    t.wMinute = static_cast<WORD>(mi);
    t.wSecond = static_cast<WORD>(s);
    return t;
}

std::string fields(const SYSTEMTIME& t)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

} // namespace

TEST(Date, KnownPairsBothWays)
{
    struct Pair {
        SYSTEMTIME time;
        DATE date;
        int dayOfWeek;
    };
    const Pair pairs[] = {
        {at(1899, 12, 30), 0.0, 6},
        {at(1899, 12, 29, 6), -1.25, 5},
        {at(2000, 2, 29, 12), 36585.5, 2},
        {at(9999, 12, 31, 23, 59, 59), 2958465.0 + 86399.0 / 86400.0, 5},
        {at(100, 1, 1), -657434.0, 5},
        {at(1900, 3, 1), 61.0, 4},
    };
    for (const Pair& p : pairs) {
        DATE d = 99;
        ASSERT_TRUE(SystemTimeToVariantTime(&p.time, &d)) << fields(p.time);
        EXPECT_NEAR(d, p.date, 1e-9) << fields(p.time);
        SYSTEMTIME back;
        ASSERT_TRUE(VariantTimeToSystemTime(p.date, &back)) << p.date;
        EXPECT_EQ(fields(back), fields(p.time));
        EXPECT_EQ(back.wDayOfWeek, p.dayOfWeek) << fields(p.time);
    }
}

TEST(Date, ImpossibleTimesFailAndLeaveTheResultAlone)
{
    const SYSTEMTIME bad[] = {SYSTEMTIME{}, at(2024, 13, 1), at(1900, 2, 29), at(2023, 4, 31), at(99, 12, 31),
                              at(10000, 1, 1), at(2024, 1, 1, 24), at(2024, 1, 1, 0, 60)};
    for (const SYSTEMTIME& t : bad) {
        DATE d = 42.0;
        EXPECT_FALSE(SystemTimeToVariantTime(&t, &d)) << fields(t);
        EXPECT_EQ(d, 42.0);
    }
    for (DATE d : {2958466.0, -657435.0, std::nan(""), 1e300}) {
        SYSTEMTIME t = at(1, 2, 3);
        EXPECT_FALSE(VariantTimeToSystemTime(d, &t)) << d;
        EXPECT_EQ(fields(t), fields(at(1, 2, 3)));
    }
}

TEST(Date, RoundTripsToTheSecond)
{
    for (int y : {100, 1753, 1899, 1900, 1970, 2038, 9999})
        for (int mo : {1, 2, 12})
            for (int s : {0, 1, 43199, 43200, 86399}) {
                SYSTEMTIME t = at(y, mo, mo == 2 ? 28 : 31, s / 3600, s / 60 % 60, s % 60);
                DATE d;
                SYSTEMTIME back;
                ASSERT_TRUE(SystemTimeToVariantTime(&t, &d));
                ASSERT_TRUE(VariantTimeToSystemTime(d, &back));
                EXPECT_EQ(fields(back), fields(t));
            }
    // Milliseconds are dropped on the way in; on the way out the fraction is
    // rounded to the nearest second, across midnight too, on either side of
    // the epoch.
    SYSTEMTIME t = at(2020, 5, 6, 7, 8, 9);
    t.wMilliseconds = 999;
    DATE d;
    ASSERT_TRUE(SystemTimeToVariantTime(&t, &d));
    SYSTEMTIME back;
    ASSERT_TRUE(VariantTimeToSystemTime(d + 0.4 / 86400, &back));
    EXPECT_EQ(fields(back), "2020-05-06 07:08:09");
    ASSERT_TRUE(VariantTimeToSystemTime(d + 0.6 / 86400, &back));
    EXPECT_EQ(fields(back), "2020-05-06 07:08:10");
    ASSERT_TRUE(VariantTimeToSystemTime(1.9999999, &back));
    EXPECT_EQ(fields(back), "1900-01-01 00:00:00");
    ASSERT_TRUE(VariantTimeToSystemTime(-1.9999999, &back));
    EXPECT_EQ(fields(back), "1899-12-30 00:00:00");
    EXPECT_FALSE(VariantTimeToSystemTime(2958465.9999999, &back)); // would be the year 10000
}

TEST(Guid, ParseFormatAndCompare)
{
    constexpr GUID known = guid("{3A032843-4D05-4661-823C-728A575CCA33}");
    static_assert(known.Data1 == 0x3A032843 && known.Data2 == 0x4D05 && known.Data3 == 0x4661);
    static_assert(known.Data4[0] == 0x82 && known.Data4[1] == 0x3C && known.Data4[7] == 0x33);
    EXPECT_EQ(parseGuid("{3a032843-4d05-4661-823c-728a575cca33}"), known);
    EXPECT_EQ(formatGuid(known), "{3A032843-4D05-4661-823C-728A575CCA33}");
    EXPECT_EQ(formatGuid(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_NE(parseGuid("{3A032843-4D05-4661-823C-728A575CCA34}"), known);
    for (const char* bad : {"3A032843-4D05-4661-823C-728A575CCA33", "{3A032843-4D05-4661-823C-728A575CCA3}",
                            "{3A032843-4D05-4661-823C-728A575CCA33} ", "{3A032843+4D05-4661-823C-728A575CCA33}",
                            "{3A03284G-4D05-4661-823C-728A575CCA33}", "{3A0328434-D05-4661-823C-728A575CCA33}", ""})
        EXPECT_FALSE(parseGuid(bad)) << bad;
}

TEST(Variant, CopyAndClearHoldAndFreeWhatTheyCarry)
{
    CountingObject object;
    VARIANT a;
    setDispatch(a, &object);
    object.AddRef(); // the reference a holds
    VARIANT b;
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_EQ(b.vt, VT_DISPATCH);
    EXPECT_EQ(object.refs, 3u);
    EXPECT_EQ(VariantCopy(&b, &b), S_OK); // onto itself: nothing changes
    EXPECT_EQ(object.refs, 3u);

    // Copying over a VARIANT releases what it held before.
    VARIANT text;
    setBstr(text, SysAllocStringLen(u"x\0y", 3));
    ASSERT_EQ(VariantCopy(&b, &text), S_OK);
    EXPECT_EQ(object.refs, 2u);
    EXPECT_NE(b.bstrVal, text.bstrVal);
    EXPECT_EQ(bstrView(b.bstrVal), u"x\0y"s);

    EXPECT_EQ(VariantClear(&a), S_OK);
    EXPECT_EQ(a.vt, VT_EMPTY);
    EXPECT_EQ(object.refs, 1u);
    EXPECT_EQ(VariantClear(&a), S_OK); // empty: harmless
    EXPECT_EQ(VariantClear(&b), S_OK);
    EXPECT_EQ(VariantClear(&text), S_OK);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);

    VARIANT nullText;
    setBstr(nullText, nullptr);
    ASSERT_EQ(VariantCopy(&b, &nullText), S_OK);
    EXPECT_EQ(b.vt, VT_BSTR);
    EXPECT_EQ(b.bstrVal, nullptr);

    VARIANT odd{};
    odd.vt = 0x4003; // by reference: not carried by this layer
    EXPECT_EQ(VariantCopy(&b, &odd), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);

    {
        Variant held = Variant::fromDispatch(&object);
        Variant second = held;
        Variant moved = std::move(held);
        EXPECT_EQ(object.refs, 3u);
        second = Variant::fromLong(5);
        EXPECT_EQ(object.refs, 2u);
        EXPECT_EQ(second.get().lVal, 5);
    }
    EXPECT_EQ(object.refs, 1u);
}

TEST(ComPtr, CountsCopiesMovesAndNull)
{
    CountingObject object;
    {
        ComPtr<IDispatch> none;
        ComPtr<IDispatch> alsoNone = none; // releasing null is harmless
        ComPtr<IDispatch> p = ComPtr<IDispatch>::share(&object);
        ComPtr<IDispatch> q = p;
        EXPECT_EQ(object.refs, 3u);
        ComPtr<IDispatch> r = std::move(q);
        EXPECT_FALSE(q);
        EXPECT_EQ(object.refs, 3u);
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(r.queryInterface(unknown), S_OK);
        EXPECT_EQ(object.refs, 4u);
        r = none;
        EXPECT_EQ(object.refs, 3u);
        EXPECT_EQ(none.queryInterface(unknown), E_POINTER);
        EXPECT_FALSE(unknown);
        EXPECT_EQ(object.refs, 2u);
    }
    EXPECT_EQ(object.refs, 1u);
}

TEST(Apartment, NestedCallsCountPerThread)
{
    EXPECT_EQ(CoInitialize(), S_OK);
    EXPECT_EQ(CoInitialize(), S_FALSE);
    HRESULT other = E_FAIL;
    std::thread([&] {
        other = CoInitialize();
        CoUninitialize();
    }).join();
    EXPECT_EQ(other, S_OK); // another thread enters on its own
    CoUninitialize();
    EXPECT_EQ(CoInitialize(), S_FALSE); // one is still open
    CoUninitialize();
    CoUninitialize();
    // Calls with nothing left to balance do not count.
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(), S_OK);
    EXPECT_EQ(CoInitialize(), S_FALSE);
    CoUninitialize();
    CoUninitialize();
}
