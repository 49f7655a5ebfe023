// Runs read back from tab-separated text (the clipboard, a spreadsheet's text file): one line per
// run with the date, the time and up to three level values, read with the program's locale record
// so that what the program writes it reads again.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/UAnalyte.h"

namespace tervanix {

struct TImportRun {
    TDateTime DateTime = 0;
    TLevelResults Levels{}; // status 0 with a value, qsNoValue without
    bool TimeRead = false;  // false: the time field could not be read and the run was put at noon
};

// Texts larger than this are refused before they are read: a whole laboratory's history of one
// analyte is far smaller, and memory stays bounded.
constexpr std::size_t MaxImportTextBytes = std::size_t(64) << 20;

// A date by the locale's short date format: day, month (number, or short or long month name for
// MMM and MMMM) and year in the format's order and with its separators. Two-digit years below 80
// are 20xx, 80 to 99 are 19xx.
bool TryReadDate(std::string_view text, TDateTime& date);

// A time of day in the locale's time format: hours and minutes, optional seconds and fraction,
// optional AM/PM text. `time` is the fraction of the day.
bool TryReadTime(std::string_view text, TDateTime& time);

// False for bytes that are not a text: control bytes other than line ends and tabs, or anything
// but zero bytes after the first zero byte (the export file ends with one).
bool IsImportText(std::string_view bytes);

// Told the bytes read so far and the total; returning false stops the reading and gives no runs.
using TImportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The runs of a text in its order. The text ends at its first zero byte; a UTF-8 byte-order mark
// is skipped; CR, LF and CR LF end lines and a last line needs no end; a UTF-8 text is read as
// such, any other as Windows-1252. A line yields a run when its first field is a date and at
// least one of the fields 3 to 5 is a number; a time that cannot be read gives noon.
// `unreadLines`, when given, gets the number of lines with text that yielded no run.
std::vector<TImportRun> ParseImportText(std::string_view bytes, const TImportProgress& progress = {},
                                        std::size_t* unreadLines = nullptr);

// The texts shown for a run: date, time ("12:00:00" when it was not read) and the three values
// with the analyte's decimals ("" for a level without value).
std::array<std::string, 5> ImportDisplayFields(const TImportRun& run, int decimals);

// Whether the run has a value on one of the analyte's levels (else it would store an empty point).
bool IsAddable(const TImportRun& run, const TAnalyte& analyte);

// Adds the addable runs to the series in date-time order (equal date-times keep the text's order),
// then puts every level on mobile limits, recomputes them and classifies every point. Returns the
// number of runs added; with none the analyte is left as it was.
int AddImportedRuns(TAnalyte& analyte, const std::vector<TImportRun>& runs);

} // namespace tervanix
