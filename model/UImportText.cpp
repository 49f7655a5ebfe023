#include "model/UImportText.h"

#include <algorithm>
#include <cmath>

#include "model/UAnsiText.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"

namespace tervanix {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t ProgressStep = std::size_t(1) << 20;
constexpr int FieldsRead = 5;

bool IsBlank(char c) { return c == ' ' || c == '\xA0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Digits only, at most nine of them (no date or time part needs more).
bool TryReadDigits(std::string_view text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// The first month whose name begins with the text (at least three characters), case as written.
bool TryReadMonthName(std::string_view text, const std::array<std::string, 12>& names, int& month) {
    if (text.size() < 3) return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (std::string_view(names[i]).substr(0, text.size()) == text && text.size() <= names[i].size()) {
            month = static_cast<int>(i) + 1;
            return true;
        }
    }
    return false;
}

bool TryReadMonth(std::string_view text, std::size_t letters, int& month) {
    if (letters <= 2) return TryReadDigits(text, month);
    return TryReadMonthName(text, letters == 3 ? Locale().ShortMonthNames : Locale().LongMonthNames, month);
}

int FullYear(int year) {
    if (year < 80) return 2000 + year;
    if (year < 100) return 1900 + year;
    return year;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.empty() || text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

// Takes the locale's AM or PM text from either end of the text. 0 none, 1 AM, 2 PM.
int TakeAmPm(std::string_view& text) {
    const std::string_view marks[] = {Locale().AMString, Locale().PMString};
    for (int i = 0; i < 2; ++i) {
        const std::string_view mark = marks[i];
        if (StartsWithNoCase(text, mark)) {
            text = Trimmed(text.substr(mark.size()));
            return i + 1;
        }
        if (text.size() >= mark.size() && StartsWithNoCase(text.substr(text.size() - mark.size()), mark)) {
            text = Trimmed(text.substr(0, text.size() - mark.size()));
            return i + 1;
        }
    }
    return 0;
}

// The character between hours and minutes in the locale's time format (':' in most).
char TimeSeparator() {
    const std::string& format = Locale().LongTimeFormat;
    const auto hours = format.find_first_of("hH");
    if (hours == std::string::npos) return ':';
    const auto after = format.find_first_not_of("hH", hours);
    return after == std::string::npos || IsLetter(format[after]) || IsBlank(format[after]) ? ':' : format[after];
}

// Hours, minutes and optional seconds, with an optional fraction of a second after the seconds.
bool TryReadClock(std::string_view text, int& hour, int& minute, int& second, int& ms) {
    const char separator = TimeSeparator();
    int parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t pos = 0;
    while (count < 3) {
        std::size_t end = pos;
        while (end < text.size() && IsDigit(text[end])) ++end;
        if (end == pos || end - pos > 2 || !TryReadDigits(text.substr(pos, end - pos), parts[count])) return false;
        ++count;
        pos = end;
        if (pos >= text.size() || (text[pos] != separator && text[pos] != ':')) break;
        ++pos;
    }
    ms = 0;
    if (count == 3 && pos < text.size() && (text[pos] == '.' || text[pos] == Locale().DecimalSeparator)) {
        const std::string_view digits = text.substr(pos + 1, 3);
        if (!TryReadDigits(digits, ms)) return false;
        for (std::size_t n = digits.size(); n < 3; ++n) ms *= 10;
        pos += 1 + digits.size();
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
    }
    if (count < 2 || pos != text.size()) return false;
    hour = parts[0], minute = parts[1], second = parts[2];
    return true;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (c > 0xF4) length = 0;
        if (length == 0 || i + length > n) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

bool HasHighBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// One line's run, appended when the line has a date and a value.
class TLineReader {
public:
    explicit TLineReader(bool utf8) : utf8_(utf8) {}

    void Read(std::string_view line, std::vector<TImportRun>& runs) {
        std::array<std::string_view, FieldsRead> fields;
        int count = 0;
        std::size_t pos = 0;
        while (count < FieldsRead) {
            const auto tab = line.find('\t', pos);
            fields[static_cast<std::size_t>(count++)] = line.substr(pos, tab == std::string_view::npos ? line.size() - pos : tab - pos);
            if (tab == std::string_view::npos) break;
            pos = tab + 1;
        }
        TImportRun run;
        if (!TryReadDate(Ansi(fields[0]), run.DateTime)) return;
        TDateTime time = 0.5;
        run.TimeRead = count > 1 && TryReadTime(Ansi(fields[1]), time);
        run.DateTime += run.TimeRead ? time : 0.5;
        bool anyValue = false;
        for (int level = 0; level < MaxLevels; ++level) {
            const int field = level + 2;
            TLevelResult& result = run.Levels[static_cast<std::size_t>(level)];
            long double value = 0;
            // A value beyond the results' range (where the statistics could not be computed) counts
            // as no value.
            if (field < count && TryReadNumber(fields[static_cast<std::size_t>(field)], value) &&
                IsStorableResult(value)) {
                result.Value = static_cast<float>(value);
                result.Status = qsInControl;
                anyValue = true;
            }
        }
        if (anyValue) runs.push_back(run);
    }

private:
    // Month names and AM/PM texts of the locale are 8-bit: a UTF-8 field is converted first.
    std::string_view Ansi(std::string_view field) {
        if (!utf8_ || !HasHighBytes(field)) return field;
        converted_ = Utf8ToAnsi(field);
        return converted_;
    }

    bool utf8_;
    std::string converted_;
};

} // namespace

bool TryReadDate(std::string_view text, TDateTime& date) {
    const std::string_view format = Locale().ShortDateFormat;
    text = Trimmed(text);
    int day = -1, month = -1, year = -1;
    std::size_t f = 0, t = 0;
    while (f < format.size()) {
        const char letter = format[f];
        if (letter != 'd' && letter != 'M' && letter != 'y') return false;
        const std::size_t first = f;
        while (f < format.size() && format[f] == letter) ++f;
        const std::size_t letters = f - first;
        const std::size_t separatorStart = f;
        while (f < format.size() && !IsLetter(format[f])) ++f;
        const std::string_view separator = format.substr(separatorStart, f - separatorStart);
        if (separator.empty() && f < format.size()) return false;
        const std::size_t end = separator.empty() ? text.size() : text.find(separator, t);
        if (end == std::string_view::npos) return false;
        const std::string_view part = text.substr(t, end - t);
        t = end + separator.size();
        const bool ok = letter == 'd'   ? TryReadDigits(part, day)
                        : letter == 'M' ? TryReadMonth(part, letters, month)
                                        : TryReadDigits(part, year);
        if (!ok) return false;
    }
    if (t < text.size() || day < 0 || month < 0 || year < 0) return false;
    year = FullYear(year);
    if (!IsValidDate(year, month, day)) return false;
    date = EncodeDate(year, month, day);
    return true;
}

bool TryReadTime(std::string_view text, TDateTime& time) {
    text = Trimmed(text);
    const int amPm = TakeAmPm(text);
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (!TryReadClock(text, hour, minute, second, ms)) return false;
    if (amPm != 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (amPm == 2 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    time = EncodeTime(hour, minute, second, ms);
    return true;
}

bool IsImportText(std::string_view bytes) {
    const auto zero = bytes.find('\0');
    if (zero != std::string_view::npos && bytes.find_first_not_of('\0', zero) != std::string_view::npos) return false;
    return std::none_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(zero, bytes.size())), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v' && c != '\x1A';
    });
}

std::vector<TImportRun> ParseImportText(std::string_view bytes, const TImportProgress& progress,
                                        std::size_t* unreadLines) {
    if (unreadLines) *unreadLines = 0;
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom) bytes.remove_prefix(Utf8Bom.size());
    TLineReader reader(HasHighBytes(bytes) && IsValidUtf8(bytes));
    std::vector<TImportRun> runs;
    std::size_t pos = 0;
    std::size_t nextReport = ProgressStep;
    const std::size_t size = bytes.size();
    while (pos < size) {
        std::size_t end = pos;
        while (end < size && !IsLineEnd(bytes[end])) ++end;
        const std::size_t before = runs.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        reader.Read(line, runs);
        // A line of blanks and tabs only (a spreadsheet's empty row) is no line of data.
        const bool blank = line.find_first_not_of(" \t\xA0\f\v\x1A") == std::string_view::npos;
        if (unreadLines && runs.size() == before && !blank) ++*unreadLines;
        pos = end;
        while (pos < size && IsLineEnd(bytes[pos])) ++pos;
        if (progress && pos >= nextReport) {
            if (!progress(pos, size)) return {};
            nextReport = pos + ProgressStep;
        }
    }
    return runs;
}

std::array<std::string, 5> ImportDisplayFields(const TImportRun& run, int decimals) {
    std::array<std::string, 5> fields;
    fields[0] = FormatDate(run.DateTime);
    fields[1] = run.TimeRead ? FormatTime(run.DateTime) : "12:00:00";
    for (int level = 0; level < MaxLevels; ++level) {
        const TLevelResult& r = run.Levels[static_cast<std::size_t>(level)];
        if (r.Status != qsNoValue) fields[static_cast<std::size_t>(level) + 2] = FormatFixed(r.Value, 8, decimals);
    }
    return fields;
}

bool IsAddable(const TImportRun& run, const TAnalyte& analyte) {
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
        if (run.Levels[static_cast<std::size_t>(level)].Status != qsNoValue) return true;
    return false;
}

int AddImportedRuns(TAnalyte& analyte, const std::vector<TImportRun>& runs) {
    std::vector<const TImportRun*> addable;
    for (const TImportRun& run : runs)
        if (IsAddable(run, analyte)) addable.push_back(&run);
    if (addable.empty()) return 0;
    // Added in date-time order (equal date-times in the text's order) the series is the one the
    // text's order gives, and runs later than the stored ones are appended instead of inserted.
    std::stable_sort(addable.begin(), addable.end(),
                     [](const TImportRun* a, const TImportRun* b) { return a->DateTime < b->DateTime; });
    analyte.Reserve(static_cast<int>(addable.size()));
    TResu entry;
    for (const TImportRun* run : addable) {
        entry.DateTime = run->DateTime;
        entry.Levels = run->Levels;
        analyte.AddPoint(entry);
    }
    analyte.LimitsMode.fill(lmMobile);
    analyte.RecomputeAll();
    analyte.ClassifyAll();
    return static_cast<int>(addable.size());
}

} // namespace tervanix
