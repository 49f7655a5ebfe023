// Every command of the operator (menu item, bar button, shortcut, double click, dialog button)
// runs through RunCommand, so that no failure reaches the event loop, where it would end the
// program with the runs of the day. A refused input has said why already (EAbortSilently): nothing
// more is shown; a QC error shows its own message; anything else is named in an error box, and the
// program goes on.
#pragma once

#include <QString>
#include <functional>

class QObject;

namespace tervanix {

void RunCommand(const std::function<void()>& command);

// The command as a handler for a signal, run at once through RunCommand.
std::function<void()> Command(std::function<void()> command);

// The command as a handler that runs it once the current action has returned, through RunCommand:
// for menu items and buttons that open a modal box, so that an assistive client's action is
// answered at once instead of when the box closes.
std::function<void()> AfterAction(QObject* context, std::function<void()> command);
void OpenAfterAction(QObject* context, std::function<void()> open);

// The text of the box for a failure that is not a QC error.
QString UnexpectedFailureText(const char* what);

} // namespace tervanix
