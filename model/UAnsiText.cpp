#include "model/UAnsiText.h"

#include <array>
#include <cstdint>

namespace tervanix {
namespace {

// Characters of bytes 0x80-0x9F; the undefined bytes keep their C1 control character.
constexpr std::array<char32_t, 32> HighControlRow = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

char32_t CharOfByte(unsigned char b) { return b >= 0x80 && b <= 0x9F ? HighControlRow[b - 0x80] : char32_t(b); }

// The byte of a character, or -1 when it has none.
int AnsiCode(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<int>(ch);
    for (std::size_t i = 0; i < HighControlRow.size(); ++i)
        if (HighControlRow[i] == ch) return static_cast<int>(0x80 + i);
    return -1;
}

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

// Decodes one UTF-8 character at `pos`; advances `pos`. A malformed sequence gives -1 and skips one byte.
long NextChar(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || pos + static_cast<std::size_t>(length) > text.size()) {
        ++pos;
        return -1;
    }
    std::uint32_t ch = length == 1 ? lead : lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        ch = (ch << 6) | (b & 0x3Fu);
    }
    constexpr std::array<std::uint32_t, 5> Smallest = {0, 0, 0x80, 0x800, 0x10000};
    if (ch < Smallest[static_cast<std::size_t>(length)] || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) {
        ++pos;
        return -1;
    }
    pos += static_cast<std::size_t>(length);
    return static_cast<long>(ch);
}

} // namespace

std::string AnsiToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) AppendUtf8(out, CharOfByte(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const long ch = NextChar(text, pos);
        const int code = ch < 0 ? -1 : AnsiCode(static_cast<char32_t>(ch));
        out += code < 0 ? '?' : static_cast<char>(code);
    }
    return out;
}

} // namespace tervanix
