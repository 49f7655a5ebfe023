// The core's locale record filled from Qt's locale data. The program and tervanix-cli both take it
// from here, so that a series text written by one is read back by the other.
#pragma once

#include <QLocale>
#include <QTranslator>
#include <memory>

#include "model/UFormat.h"

namespace tervanix {

// Short date and long time patterns (without the time zone), month names and AM/PM texts as
// 8-bit text, and the decimal separator when it is a single ASCII character.
TLocaleFormats LocaleFormatsOf(const QLocale& locale);

// Installs the system's formats. Qt takes dates and times from LC_ALL, else LC_TIME, else LANG, and
// the decimal separator from LC_ALL, else LC_NUMERIC, else LANG, from its own locale data, so
// they do not depend on which locales the C library has installed.
void TakeSystemLocale();

// Qt's own texts (the print and file dialogs, the standard buttons) in the language of `locale`,
// from Qt's translations (Debian's qt6-translations-l10n), for the caller to install and keep;
// nullptr when there are none for it, and the dialogs then stay in English.
std::unique_ptr<QTranslator> QtTranslations(const QLocale& locale);

} // namespace tervanix
