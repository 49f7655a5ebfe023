#include "cli/CliLocale.h"

#include <clocale>
#include <langinfo.h>

#include "model/UAnsiText.h"

namespace tervanix::cli {
namespace {

// The pattern of one strftime conversion; "" for those the formats cannot express.
std::string_view ConversionPattern(char conversion) {
    switch (conversion) {
    case 'd': return "dd";
    case 'e': return "d";
    case 'm': return "MM";
    case 'y': return "yy";
    case 'Y': return "yyyy";
    case 'b':
    case 'h': return "MMM";
    case 'B': return "MMMM";
    case 'a': return "ddd";
    case 'A': return "dddd";
    case 'H': return "HH";
    case 'k': return "H";
    case 'I': return "hh";
    case 'l': return "h";
    case 'M': return "mm";
    case 'S': return "ss";
    case 'p': return "AP";
    case 'P': return "ap";
    case 'T': return "HH:mm:ss";
    case 'R': return "HH:mm";
    case 'D': return "MM/dd/yy";
    case 'F': return "yyyy-MM-dd";
    case 'r': return "hh:mm:ss AP";
    case 'Z':
    case 'z': return "t"; // the time zone, dropped when the locale record is installed
    case 'n':
    case 't': return " ";
    case '%': return "%";
    default: return "";
    }
}

// "dd", "MM", "HH", "hh", "mm", "ss": a two-digit field that "-" turns into its unpadded form.
bool IsPaddedNumber(std::string_view piece) {
    return piece.size() == 2 && piece[0] == piece[1] && std::string_view("dMHhms").find(piece[0]) != std::string_view::npos;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Literal text of the pattern: letters are quoted so they are not read as fields.
void AppendLiteral(std::string& pattern, char c, bool& quoted) {
    const bool quote = IsLetter(c) || c == '\'';
    if (quote != quoted) {
        pattern += '\'';
        quoted = quote;
    }
    pattern += c;
    if (c == '\'') pattern += '\'';
}

std::string LangInfo(nl_item item, bool utf8) {
    const char* text = nl_langinfo(item);
    const std::string value = text ? text : "";
    return utf8 ? Utf8ToAnsi(value) : value;
}

} // namespace

std::string PatternFromStrftime(std::string_view format) {
    std::string pattern;
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            AppendLiteral(pattern, format[i], quoted);
            continue;
        }
        // Of the flags, width and E/O modifiers only "-" (no padding) changes what the formats show.
        ++i;
        bool unpadded = false;
        for (; i < format.size() && std::string_view("_-0^#EO123456789").find(format[i]) != std::string_view::npos; ++i)
            unpadded = unpadded || format[i] == '-';
        if (i >= format.size()) break;
        std::string_view piece = ConversionPattern(format[i]);
        if (unpadded && IsPaddedNumber(piece)) piece = piece.substr(1);
        if (piece == "%" || piece == " ") {
            AppendLiteral(pattern, piece[0], quoted);
            continue;
        }
        if (quoted) {
            pattern += '\'';
            quoted = false;
        }
        pattern += piece;
    }
    if (quoted) pattern += '\'';
    return pattern;
}

TEnvironmentLocale EnvironmentLocale() {
    TEnvironmentLocale env;
    if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_ALL, "C"); // an unknown locale name: the C locale
    env.Utf8 = std::string_view(nl_langinfo(CODESET)) == "UTF-8";
    TLocaleFormats& f = env.Formats;
    if (const std::string date = LangInfo(D_FMT, env.Utf8); !date.empty()) f.ShortDateFormat = PatternFromStrftime(date);
    if (const std::string time = LangInfo(T_FMT, env.Utf8); !time.empty()) f.LongTimeFormat = PatternFromStrftime(time);
    if (const std::string radix = LangInfo(RADIXCHAR, env.Utf8); radix.size() == 1) f.DecimalSeparator = radix[0];
    for (int m = 0; m < 12; ++m) {
        const auto month = static_cast<std::size_t>(m);
        if (std::string name = LangInfo(ABMON_1 + m, env.Utf8); !name.empty()) f.ShortMonthNames[month] = name;
        if (std::string name = LangInfo(MON_1 + m, env.Utf8); !name.empty()) f.LongMonthNames[month] = name;
    }
    if (std::string am = LangInfo(AM_STR, env.Utf8); !am.empty()) f.AMString = am;
    if (std::string pm = LangInfo(PM_STR, env.Utf8); !pm.empty()) f.PMString = pm;
    // The core formats numbers itself; the C library keeps the C locale so nothing else changes.
    std::setlocale(LC_ALL, "C");
    return env;
}

} // namespace tervanix::cli
