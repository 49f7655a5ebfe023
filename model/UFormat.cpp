#include "model/UFormat.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "model/UDateTime.h"

namespace tervanix {
namespace {

TLocaleFormats& LocaleRecord() {
    static TLocaleFormats formats;
    return formats;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A separator that the number syntax itself uses would make numbers unreadable.
bool IsUsableSeparator(char c) {
    return !IsBlank(c) && !IsDigit(c) && c != '+' && c != '-' && c != 'e' && c != 'E';
}

// ---------------------------------------------------------------------------------------------
// Fixed-point numbers

// A magnitude as decimal digits: value = 0.d1d2d3... x 10^(Exponent + 1), i.e. d1 is the digit
// of 10^Exponent. Digits empty means zero.
struct TDecimal {
    std::string Digits;
    int Exponent = 0;
};

// The complete decimal expansion of |value| (binary fractions always end in decimal), so that
// rounding happens once, on the true value. Extreme magnitudes are cut at a length far beyond
// anything a rounding position can reach.
TDecimal ExactDecimal(long double value) {
    TDecimal d;
    value = std::fabs(value);
    if (value == 0) return d;
    int binaryExponent = 0;
    std::frexp(value, &binaryExponent);
    // Fraction bits below the binary point give as many decimal digits after the point.
    const int fractionDigits = std::max(0, LDBL_MANT_DIG - binaryExponent);
    const int integerDigits = std::max(1, static_cast<int>(binaryExponent * 0.30103) + 2);
    const int wanted = std::min(integerDigits + fractionDigits, 6000);
    std::string text(static_cast<std::size_t>(wanted) + 16, '\0');
    const int n = std::snprintf(text.data(), text.size(), "%.*Le", wanted - 1, value);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    const auto ePos = text.find('e');
    for (std::size_t i = 0; i < ePos; ++i)
        if (IsDigit(text[i])) d.Digits += text[i];
    d.Exponent = std::atoi(text.c_str() + ePos + 1);
    const auto last = d.Digits.find_last_not_of('0');
    d.Digits.resize(last == std::string::npos ? 0 : last + 1);
    return d;
}

// Keeps `keep` significant digits, half away from zero (the digits are a magnitude, so a
// following digit of 5 or more rounds up).
void RoundDecimal(TDecimal& d, int keep) {
    if (d.Digits.empty() || keep >= static_cast<int>(d.Digits.size())) return;
    const bool up = keep >= 0 && d.Digits[static_cast<std::size_t>(keep)] >= '5';
    if (keep <= 0) {
        d.Digits.assign(up ? 1 : 0, '1'); // not `= up ? "1" : ""`: see SignedText
        d.Exponent += up ? 1 : 0;
        return;
    }
    d.Digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9') d.Digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++d.Digits[static_cast<std::size_t>(i)];
        } else {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        }
    }
    const auto last = d.Digits.find_last_not_of('0');
    d.Digits.resize(last == std::string::npos ? 0 : last + 1);
}

char DigitAt(const TDecimal& d, int power) {
    const int index = d.Exponent - power;
    return index >= 0 && index < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<std::size_t>(index)] : '0';
}

std::string FixedText(const TDecimal& d, int decimals, char separator) {
    std::string text;
    for (int power = std::max(d.Exponent, 0); power >= 0; --power) text += DigitAt(d, power);
    if (decimals > 0) text += separator;
    for (int power = -1; power >= -decimals; --power) text += DigitAt(d, power);
    return text;
}

// General style: "1.2345679E8", "1E20".
std::string ScientificText(const TDecimal& d, char separator) {
    std::string text(1, d.Digits[0]);
    if (d.Digits.size() > 1) {
        text += separator;
        text.append(d.Digits, 1);
    }
    return text + "E" + std::to_string(d.Exponent);
}

// The sign and the digits, built by appending: GCC 12 at -O3 reports a false overlap (-Wrestrict)
// when a literal is put in front of a temporary string or assigned from a choice of literals.
std::string SignedText(bool negative, const std::string& digits) {
    std::string text(negative ? 1 : 0, '-');
    text += digits;
    return text;
}

// ---------------------------------------------------------------------------------------------
// Reading numbers

// A number in the syntax sign, digits, separator, digits, exponent, rewritten for from_chars
// (no sign, '.' as the point). Magnitude is about the decimal exponent of its leading digit,
// enough to tell an overflow from an underflow.
struct TNumberText {
    std::string Canonical;
    bool Negative = false;
    long long Magnitude = 0;
};

std::size_t TakeDigits(std::string_view text, std::size_t pos, std::string& out) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) out += text[pos++];
    return pos - start;
}

// Exponent digits clamped far beyond any finite long double, so that long runs cannot overflow.
long long ClampedExponent(std::string_view digits) {
    long long e = 0;
    for (char c : digits) e = std::min<long long>(e * 10 + (c - '0'), 1000000);
    return e;
}

std::optional<TNumberText> ParseNumberText(std::string_view text, char separator) {
    TNumberText number;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) number.Negative = text[pos++] == '-';
    std::string intDigits, fracDigits;
    pos += TakeDigits(text, pos, intDigits);
    if (pos < text.size() && text[pos] == separator) pos += 1 + TakeDigits(text, pos + 1, fracDigits);
    if (intDigits.empty() && fracDigits.empty()) return std::nullopt;
    number.Canonical = (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "0";
    long long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::string expText = "e";
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) expText += text[pos++];
        std::string expDigits;
        if (TakeDigits(text, pos, expDigits) == 0) return std::nullopt;
        pos += expDigits.size();
        exponent = ClampedExponent(expDigits) * (expText.back() == '-' ? -1 : 1);
        number.Canonical += expText + expDigits;
    }
    if (pos != text.size()) return std::nullopt;
    const std::string all = intDigits + fracDigits;
    const auto lead = all.find_first_not_of('0');
    const long long leadPower = lead == std::string::npos ? 0 : static_cast<long long>(intDigits.size()) - 1 - static_cast<long long>(lead);
    number.Magnitude = leadPower + exponent;
    return number;
}

// ---------------------------------------------------------------------------------------------
// Dates and times

constexpr std::array<const char*, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                     "Thursday", "Friday", "Saturday"};

std::string Padded(int number, int width) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

bool IsTimeBlank(char c) { return c == ' ' || c == '\xA0'; }

std::string AsciiCase(std::string text, bool upper) {
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Day of week, 0 = Sunday; day 0 (1899-12-30) was a Saturday.
int DayOfWeek(TDateTime dt) { return static_cast<int>(((DayNumber(dt) + 6) % 7 + 7) % 7); }

// Milliseconds as the digits after a decimal point, without trailing zeros ("5" for 500 ms).
std::string FractionOfSecond(int ms) {
    std::string text = Padded(ms, 3);
    while (text.size() > 1 && text.back() == '0') text.pop_back();
    return text;
}

enum class TTokenKind { Literal, Field, AmPm, TimeZone };

// One piece of a pattern. Raw is the piece as written in the pattern, quotes included.
struct TToken {
    TTokenKind Kind = TTokenKind::Literal;
    char Letter = 0;
    std::size_t Width = 0;
    std::string Text;
    std::string_view Raw;
};

// How many of `run` repeated letters one field of `c` takes; 0 when `c` is not a field letter.
std::size_t FieldWidth(char c, std::size_t run) {
    switch (c) {
    case 'd':
    case 'M': return std::min<std::size_t>(run, 4);
    case 'y': return run >= 4 ? 4 : run >= 2 ? 2 : 0;
    case 'h':
    case 'H':
    case 'm':
    case 's': return std::min<std::size_t>(run, 2);
    case 'z': return run >= 3 ? 3 : run;
    default: return 0;
    }
}

// Quoted text from the opening quote at `start`; '' inside stands for one quote. An unclosed
// quote runs to the end of the pattern.
TToken QuotedToken(std::string_view pattern, std::size_t start) {
    TToken token;
    if (start + 1 < pattern.size() && pattern[start + 1] == '\'') {
        token.Text = "'";
        token.Raw = pattern.substr(start, 2);
        return token;
    }
    std::size_t j = start + 1;
    for (; j < pattern.size(); ++j) {
        if (pattern[j] != '\'') {
            token.Text += pattern[j];
        } else if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
            token.Text += '\'';
            ++j;
        } else {
            break;
        }
    }
    token.Raw = pattern.substr(start, std::min(j + 1, pattern.size()) - start);
    return token;
}

TToken LetterToken(std::string_view pattern, std::size_t start) {
    const char c = pattern[start];
    std::size_t run = 1;
    while (start + run < pattern.size() && pattern[start + run] == c) ++run;
    TToken token;
    token.Letter = c;
    if (c == 'a' || c == 'A') {
        const bool pair = start + 1 < pattern.size() && (pattern[start + 1] == 'p' || pattern[start + 1] == 'P');
        token.Kind = TTokenKind::AmPm;
        token.Width = pair ? 2 : 1;
        token.Raw = pattern.substr(start, token.Width);
    } else if (c == 't') {
        token.Kind = TTokenKind::TimeZone;
        token.Raw = pattern.substr(start, run);
    } else if (const std::size_t width = FieldWidth(c, run); width > 0) {
        token.Kind = TTokenKind::Field;
        token.Width = width;
        token.Raw = pattern.substr(start, width);
    } else {
        token.Text = std::string(1, c);
        token.Raw = pattern.substr(start, 1);
    }
    return token;
}

std::vector<TToken> Tokenize(std::string_view pattern) {
    std::vector<TToken> tokens;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            tokens.push_back(QuotedToken(pattern, i));
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            tokens.push_back(LetterToken(pattern, i));
        } else {
            TToken token;
            token.Text = std::string(1, c);
            token.Raw = pattern.substr(i, 1);
            tokens.push_back(token);
        }
        i += tokens.back().Raw.size();
    }
    return tokens;
}

struct TDateTimeParts {
    TDateParts Date;
    TTimeParts Time;
    int WeekDay = 0;
    bool TwelveHour = false;
};

std::string FieldText(const TDateTimeParts& p, char c, std::size_t width) {
    const int w = static_cast<int>(width);
    const TLocaleFormats& loc = Locale();
    const auto month = static_cast<std::size_t>(p.Date.Month - 1);
    switch (c) {
    case 'd':
        if (w == 3) return ShortDayNames[static_cast<std::size_t>(p.WeekDay)];
        if (w == 4) return LongDayNames[static_cast<std::size_t>(p.WeekDay)];
        return Padded(p.Date.Day, w);
    case 'M':
        if (w == 3) return loc.ShortMonthNames[month];
        if (w == 4) return loc.LongMonthNames[month];
        return Padded(p.Date.Month, w);
    case 'y': return w == 2 ? Padded(p.Date.Year % 100, 2) : Padded(p.Date.Year, 4);
    case 'h': return Padded(p.TwelveHour ? (p.Time.Hour + 11) % 12 + 1 : p.Time.Hour, w);
    case 'H': return Padded(p.Time.Hour, w);
    case 'm': return Padded(p.Time.Minute, w);
    case 's': return Padded(p.Time.Second, w);
    default: return w == 3 ? Padded(p.Time.MilliSecond, 3) : FractionOfSecond(p.Time.MilliSecond); // 'z'
    }
}

// "AP"/"A" upper case, "ap"/"a" lower case, "Ap"/"aP" as the locale writes it.
std::string AmPmText(const TDateTimeParts& p, std::string_view raw) {
    const std::string& text = p.Time.Hour < 12 ? Locale().AMString : Locale().PMString;
    const bool upper = raw == "A" || raw == "AP";
    const bool lower = raw == "a" || raw == "ap";
    return upper || lower ? AsciiCase(text, upper) : text;
}

} // namespace

const TLocaleFormats& Locale() { return LocaleRecord(); }

void SetLocale(const TLocaleFormats& formats) {
    TLocaleFormats& record = LocaleRecord();
    record = formats;
    if (!IsUsableSeparator(record.DecimalSeparator)) record.DecimalSeparator = '.';
    record.LongTimeFormat = StripTimeZone(record.LongTimeFormat);
}

std::string FormatFixed(long double value, int precision, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    decimals = std::clamp(decimals, 0, 18);
    // Rounded to the precision first, so that a single typed as 1.005 (stored 1.00499999...)
    // reads 1.005000 at 8 digits and is then written 1.01 with 2 decimals, as it was typed.
    TDecimal d = ExactDecimal(value);
    RoundDecimal(d, precision);
    const char separator = Locale().DecimalSeparator;
    if (!d.Digits.empty() && d.Exponent + 1 > precision) return SignedText(value < 0, ScientificText(d, separator));
    RoundDecimal(d, d.Exponent + 1 + decimals);
    return SignedText(value < 0 && !d.Digits.empty(), FixedText(d, decimals, separator));
}

std::string FormatShortest(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, written.ptr);
    for (char& c : text)
        if (c == '.') c = Locale().DecimalSeparator;
    return text;
}

std::string FormatInt(long long value) { return std::to_string(value); }

std::string FormatDate(TDateTime dt) { return FormatDateTime(dt, Locale().ShortDateFormat); }

std::string FormatTime(TDateTime dt) { return FormatDateTime(dt, Locale().LongTimeFormat); }

std::string FormatDateTime(TDateTime dt, std::string_view pattern) {
    const std::vector<TToken> tokens = Tokenize(pattern);
    const bool twelveHour = std::any_of(tokens.begin(), tokens.end(),
                                        [](const TToken& t) { return t.Kind == TTokenKind::AmPm; });
    const TDateTimeParts parts{DecodeDate(dt), DecodeTime(dt), DayOfWeek(dt), twelveHour};
    std::string out;
    for (const TToken& token : tokens) {
        switch (token.Kind) {
        case TTokenKind::Literal: out += token.Text; break;
        case TTokenKind::Field: out += FieldText(parts, token.Letter, token.Width); break;
        case TTokenKind::AmPm: out += AmPmText(parts, token.Raw); break;
        case TTokenKind::TimeZone: break; // the core knows no time zone
        }
    }
    return out;
}

std::string StripTimeZone(std::string_view timePattern) {
    std::string out;
    bool atStart = false; // a zone that opened the pattern takes the blanks after it instead
    for (const TToken& token : Tokenize(timePattern)) {
        if (token.Kind == TTokenKind::TimeZone) {
            while (!out.empty() && IsTimeBlank(out.back())) out.pop_back();
            atStart = out.empty();
        } else if (!(atStart && token.Raw.size() == 1 && IsTimeBlank(token.Raw[0]))) {
            out += token.Raw;
            atStart = false;
        }
    }
    return out;
}

std::string NormaliseDecimalSeparator(std::string_view text) {
    std::string out(TrimBlanks(text));
    const char separator = Locale().DecimalSeparator;
    for (char& c : out) {
        if (separator == '.' && c == ',') c = '.';
        if (separator != '.' && c == '.') c = separator;
    }
    return out;
}

bool TryReadNumber(std::string_view text, long double& value) {
    const std::optional<TNumberText> number = ParseNumberText(TrimBlanks(text), Locale().DecimalSeparator);
    if (!number) return false;
    const std::string& canonical = number->Canonical;
    long double read = 0;
    const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(), read);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range is either overflow (refused) or underflow, which reads as zero.
        if (number->Magnitude >= 0) return false;
        read = 0;
    } else if (result.ec != std::errc() || result.ptr != canonical.data() + canonical.size()) {
        return false;
    }
    if (!std::isfinite(read)) return false;
    value = number->Negative ? -read : read;
    return true;
}

std::string JsonQuoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace tervanix
