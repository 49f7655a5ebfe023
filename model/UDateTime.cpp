#include "model/UDateTime.h"

#include <cmath>

namespace tervanix {
namespace {

constexpr double MSecsPerDay = 86400000.0;

// Days since 0000-03-01 of the proleptic Gregorian calendar (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe);
}

TDateParts CivilFromDays(long long z) {
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

} // namespace

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

TDateTime EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) throw EQCError("Invalid date");
    const long long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return static_cast<TDateTime>(days - DaysFromCivil(1899, 12, 30));
}

TDateTime EncodeTime(int hour, int minute, int second, int milliSecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || milliSecond < 0 ||
        milliSecond > 999)
        throw EQCError("Invalid time");
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + milliSecond) / MSecsPerDay;
}

long long DayNumber(TDateTime dt) {
    if (!std::isfinite(dt) || std::fabs(dt) > 3e6) return 0;
    return static_cast<long long>(std::trunc(dt));
}

TDateParts DecodeDate(TDateTime dt) {
    return CivilFromDays(DayNumber(dt) + DaysFromCivil(1899, 12, 30));
}

TTimeParts DecodeTime(TDateTime dt) {
    double fraction = std::isfinite(dt) ? std::fabs(dt - std::trunc(dt)) : 0.0;
    long long ms = std::llround(fraction * MSecsPerDay);
    if (ms >= static_cast<long long>(MSecsPerDay)) ms = static_cast<long long>(MSecsPerDay) - 1;
    TTimeParts t;
    t.MilliSecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.Second = static_cast<int>(ms % 60);
    ms /= 60;
    t.Minute = static_cast<int>(ms % 60);
    t.Hour = static_cast<int>(ms / 60);
    return t;
}

} // namespace tervanix
