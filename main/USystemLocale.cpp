#include "main/USystemLocale.h"

#include <QLibraryInfo>
#include <QTranslator>

#include "model/UAnsiText.h"

namespace tervanix {
namespace {

// The conversion of the GUI's edge (main/UAnsi), which lives in the GUI library the tool does not link.
std::string Ansi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

} // namespace

TLocaleFormats LocaleFormatsOf(const QLocale& locale) {
    TLocaleFormats formats;
    formats.ShortDateFormat = Ansi(locale.dateFormat(QLocale::ShortFormat));
    formats.LongTimeFormat = StripTimeZone(Ansi(locale.timeFormat(QLocale::LongFormat)));
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) formats.DecimalSeparator = point.at(0).toLatin1();
    for (int month = 1; month <= 12; ++month) {
        const auto index = static_cast<std::size_t>(month - 1);
        formats.ShortMonthNames[index] = Ansi(locale.monthName(month, QLocale::ShortFormat));
        formats.LongMonthNames[index] = Ansi(locale.monthName(month, QLocale::LongFormat));
    }
    if (!locale.amText().isEmpty()) formats.AMString = Ansi(locale.amText());
    if (!locale.pmText().isEmpty()) formats.PMString = Ansi(locale.pmText());
    return formats;
}

void TakeSystemLocale() { SetLocale(LocaleFormatsOf(QLocale::system())); }

std::unique_ptr<QTranslator> QtTranslations(const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return translator;
}

} // namespace tervanix
