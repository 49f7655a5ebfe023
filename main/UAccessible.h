// What screen readers and desktop automation (AT-SPI) see of a control: its visible label or
// caption, without the mnemonic ampersand and the blanks some captions end with.
#pragma once

#include <QString>

class QObject;
class QWidget;

namespace tervanix {

// "&Westgard multirules " gives "Westgard multirules"; "&&" stays one ampersand.
QString AccessibleCaption(const QString& caption);

// Names the control after its caption (as above).
void SetAccessibleCaption(QWidget* control, const QString& caption);

} // namespace tervanix
