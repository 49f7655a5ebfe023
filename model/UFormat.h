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

// The program's one locale record. SetLocale drops the time-zone element of the long time format
// and keeps '.' when the given separator is one the number syntax itself uses (digit, sign, e, blank).
const TLocaleFormats& Locale();
void SetLocale(const TLocaleFormats& formats);

// Fixed-point text: the value is rounded once, half away from zero on its exact decimal expansion,
// to `precision` significant digits or `decimals` decimals, whichever comes first, then written with
// `decimals` decimals, zero-padded, with the locale's decimal separator. A value whose integer part
// needs more digits than the precision is written in scientific notation ("1.5E10").
// Precision is taken within 1..18 and decimals within 0..18; NaN and infinities give "NAN", "INF", "-INF".
std::string FormatFixed(long double value, int precision, int decimals);
std::string FormatInt(long long value);
// The shortest text that reads back as the same double, with the locale's decimal separator: a
// value the operator typed (a TEa, a target) shown again as typed ("7.5", "10", "1e-05").
std::string FormatShortest(double value);

std::string FormatDate(TDateTime dt);                               // short date format
std::string FormatTime(TDateTime dt);                               // long time format
std::string FormatDateTime(TDateTime dt, std::string_view pattern); // any pattern above
// (also ddd/dddd for English day names; a time-zone letter t writes nothing, the core knows no zone)

// A time pattern without its time-zone element ("h:mm:ss AP t" -> "h:mm:ss AP").
std::string StripTimeZone(std::string_view timePattern);

// Reads a number written with the locale's decimal separator: optional blanks, sign, digits,
// separator, digits, exponent. False for anything else, and for a result that is not finite.
bool TryReadNumber(std::string_view text, long double& value);

// Lets the operator type either a comma or a point as decimal separator: trims the blanks around,
// then turns every ',' into '.' when the locale uses '.', else every '.' into the locale's separator.
// A text with thousands separators is therefore not readable.
std::string NormaliseDecimalSeparator(std::string_view text);

// A JSON string literal of UTF-8 text, quotes included; control characters as \u00XX (the form
// the audit trail's lines are chained in: it must not change).
std::string JsonQuoted(std::string_view text);

} // namespace tervanix
