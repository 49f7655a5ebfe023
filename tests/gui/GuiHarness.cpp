#include "gui/GuiHarness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <filesystem>

#include "main/ULaboratory.h"
#include "main/UFormParts.h"
#include "model/UGlobals.h"

namespace tervanix::test {

namespace {
std::vector<QString> caughtWarnings;
QtMessageHandler previousHandler = nullptr;
void CatchWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg) caughtWarnings.push_back(text);
    if (previousHandler) previousHandler(type, context, text);
}
} // namespace

TQtWarnings::TQtWarnings() {
    caughtWarnings.clear();
    previousHandler = qInstallMessageHandler(CatchWarning);
}

TQtWarnings::~TQtWarnings() { qInstallMessageHandler(previousHandler); }

std::vector<QString> TQtWarnings::Containing(const QString& text) const {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    std::vector<QString> found;
    for (const QString& warning : caughtWarnings)
        if (warning.contains(text)) found.push_back(warning);
    return found;
}

TGoalsScope::TGoalsScope() { Laboratory().LoadGoals(); }

TGoalsScope::~TGoalsScope() {
    std::error_code ignored;
    std::filesystem::remove(BasePath + ".goals", ignored);
    Laboratory().LoadGoals();
}

TScriptedMessages::TScriptedMessages() : previous_(SetMessageService(this)) {}

TScriptedMessages::~TScriptedMessages() { SetMessageService(previous_); }

TMsgButton TScriptedMessages::Show(const QString& text, TMsgType type, TMsgButtons buttons) {
    recorded_.push_back({text, type, buttons});
    if (answers_.empty())
        return TMsgButton::OK;
    const TMsgButton answer = answers_.front();
    answers_.pop_front();
    return answer;
}

TPasswordScope::TPasswordScope(const std::string& password) : previous_(Settings.Password.str()) {
    Settings.Password = password;
}

TPasswordScope::~TPasswordScope() { Settings.Password = previous_; }

TLocaleScope::TLocaleScope(char decimalSeparator) : previous_(Locale()) {
    TLocaleFormats formats;
    formats.DecimalSeparator = decimalSeparator;
    SetLocale(formats);
}

TLocaleScope::~TLocaleScope() { SetLocale(previous_); }

TWindowFontScope::TWindowFontScope(int points) : previous_(QApplication::font()) {
    SetWindowFont();
    QFont font = QApplication::font();
    font.setPointSize(points);
    QApplication::setFont(font);
}

TWindowFontScope::~TWindowFontScope() { QApplication::setFont(previous_); }

void ShowActive(QWidget* window) {
    QApplication::processEvents(); // a window hidden just before must first lose its activation
    window->show();
    (void)QTest::qWaitForWindowExposed(window);
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window, 1000);
    // The offscreen platform keeps a window shown again after hiding "active" without telling
    // the widgets, so focus would go nowhere.
    if (!window->isActiveWindow())
        QApplication::setActiveWindow(window);
    QApplication::processEvents();
}

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void TypeText(QLineEdit* edit, const QString& text) { QTest::keyClicks(edit, text); }

QImage Grab(QWidget* widget) { return widget->grab().toImage(); }

void WhenModalOpens(std::function<void(QWidget* modal)> script) {
    // Polls until the window is up. The deadline is only a safety net, long enough for a busy
    // machine: a poll that has given up leaves a later exec() waiting for good.
    struct Poll {
        static void Next(std::function<void(QWidget*)> script, QDeadlineTimer deadline) {
            QTimer::singleShot(10, [script = std::move(script), deadline]() mutable {
                if (QWidget* modal = QApplication::activeModalWidget())
                    script(modal);
                else if (!deadline.hasExpired())
                    Next(std::move(script), deadline);
            });
        }
    };
    Poll::Next(std::move(script), QDeadlineTimer(60000));
}

} // namespace tervanix::test
