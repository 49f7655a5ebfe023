// The data file (materials, analytes with their series, limits, archives and comments) and the
// demonstration data set of a first start.
#pragma once

#include <string>
#include <string_view>

#include "model/UAnalyte.h"
#include "model/ULists.h"
#include "model/UTypes.h"

namespace tervanix {

// A data file that cannot be used. what() is the operator's message, "Cannot read data";
// Detail() says what was wrong, for logs and the command-line tool.
class EDataFileError : public EQCError {
public:
    explicit EDataFileError(std::string detail) : EQCError("Cannot read data"), detail_(std::move(detail)) {}
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

// The version of the data files written now, as --version shows it: "32".
std::string CurrentFormatVersion();

// The data file image of the lists, always in the current format ("32").
std::string EncodeDataFile(const TListSerum& materials, const TListAnalytes& analytes);

// Reads a data file image into the lists and returns its format version ("32", "30"...).
// Limits are recomputed with the global Settings; stored statuses are kept as read.
// Throws EDataFileError on any fault; the lists are then left as they were.
std::string DecodeDataFile(std::string_view bytes, TListSerum& materials, TListAnalytes& analytes);

// Replaces the global Materials and Analytes with the file's content, only when it is read whole.
void LoadDataFile(const std::string& path);
// Writes the global Materials and Analytes; the previous file survives a failed save.
// Throws EQCError("Cannot save data").
void SaveDataFile(const std::string& path);

// Fills the (empty) global lists and the queue with the demonstration data set.
void CreateDefaultData();

} // namespace tervanix
