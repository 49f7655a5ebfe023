// Import of the data and backup files (".dat", ".sav") of the program's version-2 predecessor.
#pragma once

#include <string>
#include <string_view>

#include "model/UAnalyte.h"

namespace tervanix {

// Appends the analytes of a version-2 file image to `target`, each with its series, comments and
// locked intervals; imported analytes have no control material. Throws EDataFileError ("Cannot read
// data") on a wrong tag or a damaged image; the analytes read whole before the fault stay appended.
void ImportVersion2(std::string_view bytes, TListAnalytes& target);

// The same from a file, appending to the global Analytes.
void ImportVersion2File(const std::string& path);

} // namespace tervanix
