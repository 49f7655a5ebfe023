#include "main/UAnsi.h"

#include <QList>
#include <array>

namespace tervanix {
namespace {

// Characters of bytes 0x80-0x9F; the undefined bytes keep their C1 control character.
constexpr std::array<char16_t, 32> HighControlRow = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

// The byte of a character, or -1 when it has none.
int AnsiCode(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<int>(ch);
    for (std::size_t i = 0; i < HighControlRow.size(); ++i)
        if (HighControlRow[i] == ch)
            return static_cast<int>(0x80 + i);
    return -1;
}

} // namespace

QString FromAnsi(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(QChar(b >= 0x80 && b <= 0x9F ? HighControlRow[b - 0x80] : char16_t(b)));
    }
    return text;
}

std::string ToAnsi(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t ch : text.toUcs4()) {
        const int code = AnsiCode(ch);
        bytes.push_back(code < 0 ? '?' : static_cast<char>(code));
    }
    return bytes;
}

bool HasAnsiCode(char32_t ch) { return AnsiCode(ch) >= 0; }

} // namespace tervanix
