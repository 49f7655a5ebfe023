// Calendar arithmetic on the program's date-time (days since 1899-12-30, fraction = time of day).
#pragma once

#include "model/UTypes.h"

namespace tervanix {

struct TDateParts {
    int Year = 1899, Month = 12, Day = 30;
};
struct TTimeParts {
    int Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
};

// Whole days of a civil date; throws EQCError for a date that does not exist.
TDateTime EncodeDate(int year, int month, int day);
// Fraction of a day; throws EQCError for an impossible time.
TDateTime EncodeTime(int hour, int minute, int second, int milliSecond);
bool IsValidDate(int year, int month, int day);
int DaysInMonth(int year, int month);

// The date of a date-time: days are counted by truncation towards zero, as the stored format does.
TDateParts DecodeDate(TDateTime dt);
// The time of a date-time, rounded to the millisecond (a fraction that rounds up to 24:00 gives 23:59:59.999).
TTimeParts DecodeTime(TDateTime dt);

// Splits a date-time into the day number and a time of day, both consistent with DecodeDate/DecodeTime.
long long DayNumber(TDateTime dt);

} // namespace tervanix
