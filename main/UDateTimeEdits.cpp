#include "main/UDateTimeEdits.h"

#include <QDateEdit>
#include <QTimeEdit>

#include "model/UDateTime.h"
#include "model/UFormat.h"

namespace tervanix {

QDate QDateOf(TDateTime dt) {
    const TDateParts d = DecodeDate(dt);
    return QDate(d.Year, d.Month, d.Day);
}

QTime QTimeOf(TDateTime dt) {
    const TTimeParts t = DecodeTime(dt);
    return QTime(t.Hour, t.Minute, t.Second);
}

TDateTime DateTimeOf(const QDate& date, const QTime& time) {
    return EncodeDate(date.year(), date.month(), date.day()) + EncodeTime(time.hour(), time.minute(), time.second(), 0);
}

QDateEdit* MakeDatePicker(QWidget* parent, const char* name, const QRect& geometry) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setGeometry(geometry);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QString::fromStdString(Locale().ShortDateFormat));
    picker->setMinimumDate(QDate(1900, 1, 1));
    return picker;
}

QTimeEdit* MakeTimePicker(QWidget* parent, const char* name, const QRect& geometry) {
    auto* picker = new QTimeEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setGeometry(geometry);
    picker->setDisplayFormat(QString::fromStdString(Locale().LongTimeFormat));
    return picker;
}

} // namespace tervanix
