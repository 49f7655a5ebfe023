// The password prompt shown before a locked action. Right or wrong, it says nothing: a wrong
// entry just empties the field and waits.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tervanix {

// What a typed password is compared as: each character in upper case (when the upper-case
// letter exists in the 8-bit character set; a letter is never turned into two), as 8-bit text.
// No trimming here: callers trim where blanks do not count.
std::string PasswordKey(const QString& typed);

class TWinEntryPsw : public QDialog {
    Q_OBJECT
public:
    explicit TWinEntryPsw(QWidget* parent = nullptr);

    QLineEdit* Password() const { return password_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BtOKClick();

    QLabel* label_;
    QLineEdit* password_;
    QPushButton* btOK_;
    QPushButton* btCancel_;
};

// Asks for the password; true only when it was given right.
bool AskPassword(QWidget* parent = nullptr);

// Replaces the prompt (tests; or a window kept for the whole run). An empty function restores the
// default, a TWinEntryPsw shown modally. Returns the previous prompt.
using TPasswordPrompt = std::function<bool(QWidget* parent)>;
TPasswordPrompt SetPasswordPrompt(TPasswordPrompt prompt);

} // namespace tervanix
