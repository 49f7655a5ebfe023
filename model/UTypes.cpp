#include "model/UTypes.h"

#include <algorithm>

#include "model/UClock.h"

namespace tervanix {

const char* LimitsModeName(std::uint8_t mode) {
    return mode < LimitsModeText.size() ? LimitsModeText[mode] : "";
}

const TMaterial& UnknownMaterial() {
    static const TMaterial unknown{-1, 0, "Unknown", ""};
    return unknown;
}

std::array<std::uint8_t, 9> FormatTagOf(char major, char minor) {
    std::array<std::uint8_t, 9> tag{8, static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor)};
    std::copy(FormatMagic.begin(), FormatMagic.end(), tag.begin() + 3);
    return tag;
}

std::array<std::uint8_t, 9> CurrentFormatTag() { return FormatTagOf('3', '2'); }

bool HasFormatMagic(const std::array<std::uint8_t, 9>& tag) {
    return std::equal(FormatMagic.begin(), FormatMagic.end(), tag.begin() + 3);
}

TSettings DefaultSettings() {
    TSettings s;
    s.LastBackup = Today();
    s.FormatTag = CurrentFormatTag();
    return s;
}

} // namespace tervanix

namespace tervanix {

std::string WithoutControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) != 0x7F) out += c;
    return out;
}

} // namespace tervanix
