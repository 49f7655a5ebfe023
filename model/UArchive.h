// Archive files: the closed series of one level, written as text before the level is erased.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/UAnalyte.h"
#include "model/ULists.h"

namespace tervanix {

// ProgramDir + "QC" + the number with at least six digits + ".qca".
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

// The lines of an archive file without their line ends; nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadArchiveLines(std::int32_t number);

} // namespace tervanix
