// The settings file: the settings record followed by the operator list.
#pragma once

#include <string>
#include <string_view>

#include "model/UGlobals.h"
#include "model/UTypes.h"

namespace tervanix {

std::string EncodeSettingsFile(const TSettings& settings, const TOperatorList& operators);

// Reads a settings file image. Throws EQCError on a wrong magic or a damaged image; `settings` is
// then unchanged, while the operators read before the fault stay in `operators`.
void DecodeSettingsFile(std::string_view bytes, TSettings& settings, TOperatorList& operators);

// Reads the file into the global Settings and Operators and sets FirstRun. A missing or damaged
// file gives the default settings and FirstRun = true; it is never reported. In every case the
// format tag is renewed, so the next save writes the current format.
void LoadSettings(const std::string& path);
void LoadSettings(); // BasePath + ".cfr"

// Writes the global Settings and Operators; a failure is ignored (the previous file is kept).
void SaveSettings(const std::string& path);
void SaveSettings(); // BasePath + ".cfr"

// The settings file that belongs to a data file: the same folder and name, extension ".cfr"
// ("Tervanix.qcf" -> "Tervanix.cfr"), as the program keeps them.
std::string SettingsPathBeside(const std::string& dataPath);

} // namespace tervanix
