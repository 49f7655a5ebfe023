// Texts kept in files are 8-bit Windows-1252; the windows work in Unicode. The conversion happens
// here, at the edge of the GUI, and nowhere else.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tervanix {

// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in Windows-1252: they become the C1
// control characters of the same number, so that reading then writing a text gives back its bytes.
QString FromAnsi(std::string_view bytes);

// A character without a Windows-1252 code becomes '?' (one '?' per character, surrogate pairs too).
std::string ToAnsi(const QString& text);

// True when the character has a Windows-1252 code.
bool HasAnsiCode(char32_t ch);

} // namespace tervanix
