#include "main/UCommandRunner.h"

#include <QApplication>
#include <QTimer>
#include <exception>
#include <utility>

#include "main/UAnsi.h"
#include "main/UMessages.h"
#include "model/UTypes.h"

namespace tervanix {

QString UnexpectedFailureText(const char* what) {
    return QStringLiteral("The command stopped on an unexpected error:\r") + QString::fromLocal8Bit(what) +
           QStringLiteral("\rNothing of it was saved; the program goes on.");
}

void RunCommand(const std::function<void()>& command) {
    // A wait cursor set by a failed command must not outlive it.
    const bool hadCursor = QApplication::overrideCursor() != nullptr;
    auto restoreCursor = [hadCursor] {
        while (!hadCursor && QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    };
    try {
        command();
    } catch (const EAbortSilently&) {
    } catch (const EQCError& e) {
        restoreCursor();
        ShowError(FromAnsi(e.what()));
    } catch (const std::exception& e) {
        restoreCursor();
        ShowError(UnexpectedFailureText(e.what()));
    } catch (...) {
        restoreCursor();
        ShowError(UnexpectedFailureText("unknown"));
    }
}

std::function<void()> Command(std::function<void()> command) {
    return [command = std::move(command)] { RunCommand(command); };
}

void OpenAfterAction(QObject* context, std::function<void()> open) {
    QTimer::singleShot(0, context, [open = std::move(open)] { RunCommand(open); });
}

std::function<void()> AfterAction(QObject* context, std::function<void()> command) {
    return [context, command = std::move(command)] { OpenAfterAction(context, command); };
}

} // namespace tervanix
