// Every number, date and time the program shows or writes as text is formatted here,
// with the locale record that the program fills from the system at start (tests pin their own).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/UTypes.h"

namespace tervanix {

struct TLocaleFormats {
    // Patterns: d dd M MM MMM MMMM yy yyyy h hh H HH m mm s ss z zzz AP ap, text in single quotes.
    std::string ShortDateFormat = "dd/MM/yyyy";
    std::string LongTimeFormat = "HH:mm:ss";
    char DecimalSeparator = '.';
    std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                  "July",    "August",   "September", "October", "November", "December"};
    std::string AMString = "AM";
    std::string PMString = "PM";
};

// The program's one locale record.
const TLocaleFormats& Locale();
void SetLocale(const TLocaleFormats& formats);

// Fixed-point text: the value is rounded to `precision` significant digits, then written with
// `decimals` decimals, zero-padded, with the locale's decimal separator. A value whose integer part
// needs more digits than the precision is written in scientific notation ("1.5E10").
std::string FormatFixed(long double value, int precision, int decimals);
std::string FormatInt(long long value);

std::string FormatDate(TDateTime dt);                               // short date format
std::string FormatTime(TDateTime dt);                               // long time format
std::string FormatDateTime(TDateTime dt, std::string_view pattern); // any pattern above

// A time pattern without its time-zone element ("h:mm:ss AP t" -> "h:mm:ss AP").
std::string StripTimeZone(std::string_view timePattern);

// Reads a number written with the locale's decimal separator: optional blanks, sign, digits,
// separator, digits, exponent. False for anything else, and for a result that is not finite.
bool TryReadNumber(std::string_view text, long double& value);

} // namespace tervanix
