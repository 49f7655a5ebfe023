// The program's date-times (days since 1899-12-30, the fraction being the time of day) in Qt's date
// and time editors: the conversions both ways, and the pickers in the locale's formats.
#pragma once

#include <QDate>
#include <QRect>
#include <QTime>

#include "model/UTypes.h"

class QDateEdit;
class QTimeEdit;
class QWidget;

namespace tervanix {

QDate QDateOf(TDateTime dt);
QTime QTimeOf(TDateTime dt); // to the second
TDateTime DateTimeOf(const QDate& date, const QTime& time = QTime(0, 0));

// A drop-down date picker in the short date format. No date before 1900: day numbers stay positive.
QDateEdit* MakeDatePicker(QWidget* parent, const char* name, const QRect& geometry);
// A time editor in the long time format.
QTimeEdit* MakeTimePicker(QWidget* parent, const char* name, const QRect& geometry);

} // namespace tervanix
