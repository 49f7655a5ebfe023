#include "cli/CliLocale.h"

#include <QLocale>
#include <cstdlib>
#include <string>

#include "main/USystemLocale.h"

namespace tervanix::cli {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The locale name that decides the character set: LC_ALL, else LC_CTYPE, else LANG.
std::string_view CharacterSetLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    return "C";
}

} // namespace

bool IsUtf8LocaleName(std::string_view name) {
    const auto dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view charset = name.substr(dot + 1, name.find('@', dot) - dot - 1);
    std::string plain;
    for (char c : charset)
        if (c != '-') plain += LowerAscii(c);
    return plain == "utf8";
}

TEnvironmentLocale EnvironmentLocale() {
    TEnvironmentLocale env;
    env.Formats = LocaleFormatsOf(QLocale::system());
    // Read from the name, like the formats, so that a locale the C library lacks still counts.
    env.Utf8 = IsUtf8LocaleName(CharacterSetLocaleName());
    return env;
}

} // namespace tervanix::cli
