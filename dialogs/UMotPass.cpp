#include "dialogs/UMotPass.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "main/UAccessible.h"
#include "main/UAnsi.h"
#include "main/UFontFit.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

TPasswordPrompt& InstalledPrompt() {
    static TPasswordPrompt prompt;
    return prompt;
}

} // namespace

std::string PasswordKey(const QString& typed) {
    QString upper;
    for (char32_t ch : typed.toUcs4()) {
        const char32_t up = QChar::toUpper(ch);
        upper.append(QString::fromUcs4(HasAnsiCode(up) ? &up : &ch, 1));
    }
    return ToAnsi(upper);
}

TWinEntryPsw::TWinEntryPsw(QWidget* parent)
    : QDialog(parent),
      label_(new QLabel(QStringLiteral("&Password : "), this)),
      password_(new QLineEdit(this)),
      btOK_(new QPushButton(QStringLiteral("OK"), this)),
      btCancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("QC : enter password"));
    setFixedSize(257, 105);
    label_->setGeometry(16, 20, 70, 13);
    password_->setGeometry(88, 16, 145, 21);
    password_->setObjectName(QStringLiteral("Password"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    label_->setBuddy(password_);
    SetAccessibleCaption(password_, QStringLiteral("Password"));
    btOK_->setGeometry(44, 60, 75, 25);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btOK_->setDefault(true);
    btCancel_->setGeometry(138, 60, 75, 25);
    btCancel_->setObjectName(QStringLiteral("BtCancel"));
    connect(btOK_, &QPushButton::clicked, this, &TWinEntryPsw::BtOKClick);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    FitToFont(this);
}

void TWinEntryPsw::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    password_->clear();
    password_->setFocus();
}

void TWinEntryPsw::BtOKClick() {
    if (PasswordKey(password_->text()) == Settings.Password.str()) {
        accept();
        return;
    }
    password_->clear();
    password_->setFocus();
}

bool AskPassword(QWidget* parent) {
    if (InstalledPrompt())
        return InstalledPrompt()(parent);
    TWinEntryPsw prompt(parent);
    return prompt.exec() == QDialog::Accepted;
}

TPasswordPrompt SetPasswordPrompt(TPasswordPrompt prompt) {
    TPasswordPrompt previous = std::move(InstalledPrompt());
    InstalledPrompt() = std::move(prompt);
    return previous;
}

} // namespace tervanix
