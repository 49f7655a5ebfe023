#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/UDateTime.h"
#include "model/UFormat.h"

using namespace tervanix;

namespace {

// Every test starts and ends with the default locale record.
class FormatTest : public ::testing::Test {
protected:
    void SetUp() override { SetLocale(TLocaleFormats{}); }
    void TearDown() override { SetLocale(TLocaleFormats{}); }

    template <typename Change> static void UseLocale(Change change) {
        TLocaleFormats formats;
        change(formats);
        SetLocale(formats);
    }
    static void UseComma() {
        UseLocale([](TLocaleFormats& f) { f.DecimalSeparator = ','; });
    }
};

TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, ms);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// FormatFixed

TEST_F(FormatTest, FixedRoundsTiesAwayFromZero) {
    EXPECT_EQ(FormatFixed(2.5L, 8, 0), "3");
    EXPECT_EQ(FormatFixed(-2.5L, 8, 0), "-3");
    EXPECT_EQ(FormatFixed(0.5L, 8, 0), "1");
    EXPECT_EQ(FormatFixed(0.125L, 8, 2), "0.13");
    EXPECT_EQ(FormatFixed(-0.375L, 8, 2), "-0.38");
}

TEST_F(FormatTest, FixedRoundsToThePrecisionThenToTheDecimals) {
    EXPECT_EQ(FormatFixed(12.3f, 8, 2), "12.30");        // 12.300000190734863...
    EXPECT_EQ(FormatFixed(0.005, 8, 2), "0.01");         // 0.005000000000000000104...
    EXPECT_EQ(FormatFixed(1.005, 8, 2), "1.01");         // 1.00499999999999989... is 1.0050000 at 8 digits
    EXPECT_EQ(FormatFixed(1.005f, 8, 2), "1.01");        // a typed value shows as typed
    EXPECT_EQ(FormatFixed(4.45f, 8, 1), "4.4");          // 4.4499998 at 8 digits
    EXPECT_EQ(FormatFixed(2.675, 8, 2), "2.68");         // 2.67499999999999982...
    EXPECT_EQ(FormatFixed(2.675, 17, 2), "2.67");        // enough digits keep the true value
    EXPECT_EQ(FormatFixed(99.995f, 8, 2), "100.00");     // 99.99500274658203125
    EXPECT_EQ(FormatFixed(1234.5678, 8, 2), "1234.57");
    EXPECT_EQ(FormatFixed(0.1L, 8, 12), "0.100000000000"); // precision stops before the decimals
    EXPECT_EQ(FormatFixed(1234.5678, 6, 3), "1234.570");
}

TEST_F(FormatTest, FixedWritesTheRequestedDecimals) {
    EXPECT_EQ(FormatFixed(3.14159L, 8, 0), "3");
    EXPECT_EQ(FormatFixed(3.14159L, 8, 1), "3.1");
    EXPECT_EQ(FormatFixed(3.14159L, 8, 2), "3.14");
    EXPECT_EQ(FormatFixed(3.14159L, 8, 3), "3.142");
    EXPECT_EQ(FormatFixed(7, 8, 3), "7.000");
    EXPECT_EQ(FormatFixed(0, 8, 2), "0.00");
    EXPECT_EQ(FormatFixed(1e-30L, 8, 3), "0.000");
}

TEST_F(FormatTest, FixedNegativeValuesAndNoNegativeZero) {
    EXPECT_EQ(FormatFixed(-12.345L, 8, 1), "-12.3");
    EXPECT_EQ(FormatFixed(-0.005, 8, 2), "-0.01");
    EXPECT_EQ(FormatFixed(-0.004L, 8, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.0L, 8, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.4L, 8, 0), "0");
}

TEST_F(FormatTest, FixedSwitchesToScientificBeyondThePrecision) {
    EXPECT_EQ(FormatFixed(12345678.0L, 8, 2), "12345678.00");
    EXPECT_EQ(FormatFixed(123456789.0L, 8, 2), "1.2345679E8");
    EXPECT_EQ(FormatFixed(-123456789.0L, 8, 2), "-1.2345679E8");
    EXPECT_EQ(FormatFixed(99999999.5L, 8, 2), "1E8"); // rounding adds the ninth digit
    EXPECT_EQ(FormatFixed(1.5e10L, 8, 2), "1.5E10");
    EXPECT_EQ(FormatFixed(1e20L, 8, 2), "1E20");
    EXPECT_EQ(FormatFixed(12345.0L, 4, 0), "1.235E4");
    EXPECT_EQ(FormatFixed(1e4000L, 8, 2), "1E4000");
}

TEST_F(FormatTest, FixedSpecialValues) {
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::quiet_NaN(), 8, 2), "NAN");
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::infinity(), 8, 2), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<long double>::infinity(), 8, 2), "-INF");
}

TEST_F(FormatTest, FixedUsesTheLocaleSeparator) {
    UseComma();
    EXPECT_EQ(FormatFixed(12.3f, 8, 2), "12,30");
    EXPECT_EQ(FormatFixed(12.3f, 8, 0), "12");
    EXPECT_EQ(FormatFixed(123456789.0L, 8, 2), "1,2345679E8");
}

TEST_F(FormatTest, FormatIntWritesPlainDecimals) {
    EXPECT_EQ(FormatInt(0), "0");
    EXPECT_EQ(FormatInt(-42), "-42");
    EXPECT_EQ(FormatInt(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

// ---------------------------------------------------------------------------------------------
// Dates and times

TEST_F(FormatTest, DatePatterns) {
    const TDateTime dt = At(2024, 3, 5, 14, 7, 9);
    EXPECT_EQ(FormatDate(dt), "05/03/2024");
    EXPECT_EQ(FormatDateTime(dt, "M/d/yy"), "3/5/24");
    EXPECT_EQ(FormatDateTime(dt, "d MMMM yyyy"), "5 March 2024");
    EXPECT_EQ(FormatDateTime(dt, "dd-MMM-yyyy"), "05-Mar-2024");
    EXPECT_EQ(FormatDateTime(dt, "ddd dddd"), "Tue Tuesday");
    EXPECT_EQ(FormatDateTime(At(2009, 12, 31), "yy.MM.dd"), "09.12.31");
    EXPECT_EQ(FormatDateTime(0, "yyyy-MM-dd"), "1899-12-30");
}

TEST_F(FormatTest, DateUsesLocaleMonthNames) {
    UseLocale([](TLocaleFormats& f) {
        f.ShortDateFormat = "d MMM yyyy";
        f.ShortMonthNames[2] = "mars";
    });
    EXPECT_EQ(FormatDate(At(2024, 3, 5)), "5 mars 2024");
}

TEST_F(FormatTest, QuotedTextIsLiteral) {
    const TDateTime dt = At(2024, 3, 5, 9, 0, 0);
    EXPECT_EQ(FormatDateTime(dt, "'day' d 'of' M"), "day 5 of 3");
    EXPECT_EQ(FormatDateTime(dt, "HH'h'mm"), "09h00");
    EXPECT_EQ(FormatDateTime(dt, "'it''s' H ''"), "it's 9 '");
    EXPECT_EQ(FormatDateTime(dt, "d#M"), "5#3");
}

TEST_F(FormatTest, TwentyFourHourTimes) {
    EXPECT_EQ(FormatTime(At(2024, 1, 1, 0, 0, 0)), "00:00:00");
    EXPECT_EQ(FormatTime(At(2024, 1, 1, 12, 0, 0)), "12:00:00");
    EXPECT_EQ(FormatTime(At(2024, 1, 1, 23, 59, 59)), "23:59:59");
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 7, 5, 3), "H:m:s"), "7:5:3");
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 7, 5, 3), "h:mm"), "7:05"); // no AM/PM: 24-hour
}

TEST_F(FormatTest, TwelveHourTimesWithMarker) {
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 0, 0, 0), "h:mm:ss AP"), "12:00:00 AM");
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 12, 0, 0), "h:mm:ss AP"), "12:00:00 PM");
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 23, 59, 59), "h:mm:ss AP"), "11:59:59 PM");
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 9, 30, 0), "hh:mm a"), "09:30 am");
    EXPECT_EQ(FormatDateTime(At(2024, 1, 1, 21, 30, 0), "HH:mm A"), "21:30 PM");
}

TEST_F(FormatTest, Milliseconds) {
    const TDateTime dt = At(2024, 1, 1, 8, 0, 1, 50);
    EXPECT_EQ(FormatDateTime(dt, "ss.zzz"), "01.050");
    EXPECT_EQ(FormatDateTime(dt, "s.z"), "1.05");
}

// ---------------------------------------------------------------------------------------------
// Time-zone element

TEST_F(FormatTest, StripTimeZoneRemovesZoneAndBlanksBefore) {
    EXPECT_EQ(StripTimeZone("h:mm:ss AP t"), "h:mm:ss AP");
    EXPECT_EQ(StripTimeZone("HH:mm:ss t"), "HH:mm:ss");
    EXPECT_EQ(StripTimeZone("HH:mm:ss  tttt"), "HH:mm:ss");
    EXPECT_EQ(StripTimeZone("t HH:mm"), "HH:mm");
    EXPECT_EQ(StripTimeZone("HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(StripTimeZone("HH 'at' mm t"), "HH 'at' mm");
    EXPECT_EQ(StripTimeZone("'t' HH:mm"), "'t' HH:mm");
}

TEST_F(FormatTest, LocaleLongTimeNeverShowsAZone) {
    UseLocale([](TLocaleFormats& f) { f.LongTimeFormat = "h:mm:ss AP t"; });
    EXPECT_EQ(Locale().LongTimeFormat, "h:mm:ss AP");
    EXPECT_EQ(FormatTime(At(2024, 1, 1, 13, 4, 5)), "1:04:05 PM");
}

// ---------------------------------------------------------------------------------------------
// Reading numbers

TEST_F(FormatTest, ReadNumberAccepts) {
    const auto read = [](std::string_view text) {
        long double v = -999;
        EXPECT_TRUE(TryReadNumber(text, v)) << text;
        return v;
    };
    EXPECT_EQ(read("12.5"), 12.5L);
    EXPECT_EQ(read("  -3.25e2 "), -325.0L);
    EXPECT_EQ(read("+.5"), 0.5L);
    EXPECT_EQ(read("5."), 5.0L);
    EXPECT_EQ(read("1E-3"), 1e-3L);
    EXPECT_EQ(read("0.1"), 0.1L); // exact, not via double
    EXPECT_EQ(read("1e-5000"), 0.0L);
}

TEST_F(FormatTest, ReadNumberRefusesAndKeepsTheValue) {
    for (const char* text : {"", "  ", ".", "-", "1,5", "1.2.3", "1e", "1e+", "0x10", "inf", "nan", "1 000",
                             "12a", "--1", "1e5000", "e5"}) {
        long double v = 7;
        EXPECT_FALSE(TryReadNumber(text, v)) << text;
        EXPECT_EQ(v, 7) << text;
    }
}

TEST_F(FormatTest, ReadNumberWithCommaLocale) {
    UseComma();
    long double v = 0;
    EXPECT_TRUE(TryReadNumber(" 1,5 ", v));
    EXPECT_EQ(v, 1.5L);
    EXPECT_FALSE(TryReadNumber("1.5", v));
}

TEST_F(FormatTest, NormaliseAcceptsCommaAndPoint) {
    EXPECT_EQ(NormaliseDecimalSeparator(" 1,5 "), "1.5");
    EXPECT_EQ(NormaliseDecimalSeparator("2.5"), "2.5");
    UseComma();
    EXPECT_EQ(NormaliseDecimalSeparator("\t2.5"), "2,5");
    EXPECT_EQ(NormaliseDecimalSeparator("2,5"), "2,5");
}

TEST_F(FormatTest, UnusableSeparatorFallsBackToPoint) {
    UseLocale([](TLocaleFormats& f) { f.DecimalSeparator = '5'; });
    EXPECT_EQ(Locale().DecimalSeparator, '.');
    EXPECT_EQ(FormatFixed(1.5L, 8, 1), "1.5");
}
