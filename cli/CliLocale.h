// The formats of the environment's locale (LC_ALL, LC_TIME, LC_NUMERIC, LANG), for the texts the
// tool writes the way the program would on that machine.
#pragma once

#include <string>
#include <string_view>

#include "model/UFormat.h"

namespace tervanix::cli {

struct TEnvironmentLocale {
    TLocaleFormats Formats; // 8-bit texts, like everything the core formats
    bool Utf8 = false;      // the environment's texts are UTF-8: convert the 8-bit output
};

TEnvironmentLocale EnvironmentLocale();

// A strftime pattern ("%d/%m/%Y") in the pattern letters of the formatting unit ("dd/MM/yyyy").
std::string PatternFromStrftime(std::string_view format);

} // namespace tervanix::cli
