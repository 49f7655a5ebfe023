// Test helpers for windows: a message service that records and answers as told, the password
// and locale pinned for one test, and small helpers to click, type, wait and grab.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "main/UMessages.h"
#include "model/UFormat.h"

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace tervanix::test {

struct TRecordedMessage {
    QString Text;
    TMsgType Type;
    TMsgButtons Buttons;
};

// Installed for its lifetime; every message is recorded; answers are taken from the script in
// order, OK once the script is used up.
class TScriptedMessages final : public IMessageService {
public:
    TScriptedMessages();
    ~TScriptedMessages() override;
    TScriptedMessages(const TScriptedMessages&) = delete;
    TScriptedMessages& operator=(const TScriptedMessages&) = delete;

    void Answer(TMsgButton button) { answers_.push_back(button); }
    const std::vector<TRecordedMessage>& Recorded() const { return recorded_; }
    const TRecordedMessage& Last() const { return recorded_.back(); }
    TMsgButton Show(const QString& text, TMsgType type, TMsgButtons buttons) override;

private:
    IMessageService* previous_;
    std::deque<TMsgButton> answers_;
    std::vector<TRecordedMessage> recorded_;
};

// Qt's own warnings while it lives (one at a time), e.g. an item view's complaint about an editor.
class TQtWarnings {
public:
    TQtWarnings();
    ~TQtWarnings();
    TQtWarnings(const TQtWarnings&) = delete;
    TQtWarnings& operator=(const TQtWarnings&) = delete;
    // Those that contain the text, after the events still posted have been delivered.
    std::vector<QString> Containing(const QString& text) const;
};

// Settings.Password for one test, restored afterwards.
class TPasswordScope {
public:
    explicit TPasswordScope(const std::string& password);
    ~TPasswordScope();

private:
    std::string previous_;
};

// The locale record for one test, restored afterwards.
class TLocaleScope {
public:
    explicit TLocaleScope(char decimalSeparator);
    ~TLocaleScope();

private:
    TLocaleFormats previous_;
};

// The laboratory's quality goals for one test: none at its start, and at its end the goals file
// of the program folder removed and the goals read again (none), so the next test starts without.
class TGoalsScope {
public:
    TGoalsScope();
    ~TGoalsScope();
    TGoalsScope(const TGoalsScope&) = delete;
    TGoalsScope& operator=(const TGoalsScope&) = delete;
};

// The program's window font (MS Sans Serif 8, at `points` when given) for one test, the test
// program's own afterwards: the windows have their design sizes at 8 points.
class TWindowFontScope {
public:
    explicit TWindowFontScope(int points = 8);
    ~TWindowFontScope();
    TWindowFontScope(const TWindowFontScope&) = delete;
    TWindowFontScope& operator=(const TWindowFontScope&) = delete;

private:
    QFont previous_;
};

// Shows the window and waits until it is active, so that focus can be checked.
void ShowActive(QWidget* window);
void Click(QAbstractButton* button);
// Types as the operator would: length limits and the like apply.
void TypeText(QLineEdit* edit, const QString& text);
QImage Grab(QWidget* widget);
// Runs the script on the modal window that the next statement opens (exec()), once it is up.
void WhenModalOpens(std::function<void(QWidget* modal)> script);

} // namespace tervanix::test
