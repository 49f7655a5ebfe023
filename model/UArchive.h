// Archive files: the closed series of one level, written as text before the level is erased.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/UAnalyte.h"
#include "model/ULists.h"

namespace tervanix {

// "QC" + the number with at least six digits + ".qca".
std::string ArchiveBaseName(std::int32_t number);
// ProgramDir + ArchiveBaseName(number).
std::string ArchiveFileName(std::int32_t number);

// One more than the largest number among the archive files of ProgramDir, 1 when there is none.
// A file of the archive pattern whose six characters are not a number stops archiving with a
// conversion error (EQCError) before anything is written or erased.
std::int32_t NextArchiveNumber();

// The archive file content of the level's series, CR LF lines: name, unit, summary, one line per
// point from the first to the last point with something on the level.
std::string ArchiveText(const TAnalyte& analyte, int level, const TListSerum& materials);

// Writes the level's series to a new archive file, then erases the level (points left empty go).
// The archive number is added to the analyte's Archives before the file is written; if writing
// fails, the error propagates and no point has changed.
void ArchiveLevel(TAnalyte& analyte, int level);

// One archived point as its line holds it: the texts as written, nothing parsed.
struct TArchivePoint {
    std::string Date, Time, Value, Operator, Comment;
    std::string Line() const; // the fields joined by TABs, as in the file
};

// An archive file read back: the texts as stored (dates, times and numbers in the formats of the
// machine that wrote them).
struct TArchiveContent {
    std::string Analyte, Unit;
    std::string FirstDate, LastDate, Material, Lot, Mean, CV, N; // the summary line
    std::vector<TArchivePoint> Points;
    std::string SummaryLine() const; // the seven fields joined by TABs, as in the file
};

// The archive read from its text; nothing when the text is not an archive: fewer than three lines,
// a summary without its seven fields or a point line without its five. A TAB inside a comment
// stays part of the comment.
std::optional<TArchiveContent> ParseArchive(std::string_view text);
// The file read and parsed; nothing when it is missing, unreadable, too large or damaged.
// Archive files larger than this are not read (a damaged or foreign file).
inline constexpr std::uint64_t MaxArchiveBytes = std::uint64_t(1) << 24;
std::optional<TArchiveContent> ReadArchive(const std::string& path);
std::optional<TArchiveContent> ReadArchive(std::int32_t number); // ArchiveFileName(number)

// Removes the archives from the analyte's list and deletes their files. An archive whose file is
// already missing only loses its number; one whose file cannot be deleted keeps its number, so it
// stays reachable. Returns the paths that could not be deleted.
std::vector<std::string> DeleteArchives(TAnalyte& analyte, const std::vector<std::int32_t>& numbers);

} // namespace tervanix
