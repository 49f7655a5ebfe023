// Texts kept in files are 8-bit Windows-1252; tools that talk to the outside world (the command-line
// tool, reports) speak UTF-8. Qt-free counterpart of the GUI's conversion, with the same mapping.
#pragma once

#include <string>
#include <string_view>

namespace tervanix {

// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in Windows-1252: they become the C1
// control characters of the same number, so that a round trip gives back the bytes.
std::string AnsiToUtf8(std::string_view bytes);

// A character without a Windows-1252 code becomes '?', and so does every byte of a malformed
// UTF-8 sequence.
std::string Utf8ToAnsi(std::string_view text);

} // namespace tervanix
