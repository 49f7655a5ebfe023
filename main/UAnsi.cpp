#include "main/UAnsi.h"

#include "model/UAnsiText.h"

namespace tervanix {

// The mapping itself lives in the core, which the command-line tool shares; here only the
// step between UTF-8 and Qt's strings is added.

QString FromAnsi(std::string_view bytes) {
    const std::string utf8 = AnsiToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

bool HasAnsiCode(char32_t ch) {
    return ch == U'?' || ToAnsi(QString::fromUcs4(&ch, 1)) != "?";
}

} // namespace tervanix
