// The formats of the environment's locale, for the texts the tool writes the way the program
// would on that machine: the same record, filled by the same function from Qt's locale data.
#pragma once

#include <string_view>

#include "model/UFormat.h"

namespace tervanix::cli {

struct TEnvironmentLocale {
    TLocaleFormats Formats; // 8-bit texts, like everything the core formats
    bool Utf8 = false;      // the environment's texts are UTF-8: convert the 8-bit output
};

TEnvironmentLocale EnvironmentLocale();

// Whether a locale name ("en_GB.UTF-8", "de_DE.utf8@euro") names the UTF-8 character set.
bool IsUtf8LocaleName(std::string_view name);

} // namespace tervanix::cli
