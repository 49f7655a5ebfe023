// What screen readers and desktop automation (AT-SPI) see of a control: its visible label or
// caption, without the mnemonic ampersand and the blanks some captions end with.
#pragma once

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace tervanix {

// "&Westgard multirules " gives "Westgard multirules"; "&&" stays one ampersand.
QString AccessibleCaption(const QString& caption);

// Names the control after its caption (as above).
void SetAccessibleCaption(QWidget* control, const QString& caption);

// Runs `open` once the current action has returned. A menu item or button that opens a modal box
// goes through here, so that an assistive client's action is answered at once instead of when the
// box closes.
void OpenAfterAction(QObject* context, std::function<void()> open);
// The command as a handler that runs it after the action (for menu items and buttons).
std::function<void()> AfterAction(QObject* context, std::function<void()> command);

} // namespace tervanix
