#include "dialogs/UNewPsw.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/UMotPass.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/ULaboratory.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// Blanks around a password never count when it is set or changed.
std::string TrimmedKey(const QLineEdit* edit) { return PasswordKey(edit->text().trimmed()); }

void SelectAndFocus(QLineEdit* edit) {
    edit->selectAll();
    edit->setFocus();
}

} // namespace

TWinNewPsw::TWinNewPsw(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Change password"));
    setFixedSize(329, 177);
    editOldPsw_ = AddField(QStringLiteral("&Old password"), 16, "EditOldPsw", &lblOldPsw_);
    editNewPsw_ = AddField(QStringLiteral("&New password"), 48, "EditNewPsw");
    editConfirm_ = AddField(QStringLiteral("&Confirm password"), 96, "EditConfirm");
    auto* note = new QLabel(QStringLiteral("( maximum 10 characters)"), this);
    note->setGeometry(128, 71, 180, 13);

    btOK_ = new QPushButton(QStringLiteral("OK"), this);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btOK_->setGeometry(72, 136, 75, 25);
    btOK_->setDefault(true);
    btCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel_->setObjectName(QStringLiteral("BtCancel"));
    btCancel_->setGeometry(182, 136, 75, 25);
    connect(btOK_, &QPushButton::clicked, this, Command([this] { BtOKClick(); }));
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    FitToFont(this);
}

QLineEdit* TWinNewPsw::AddField(const QString& caption, int top, const char* name, QLabel** captionLabel) {
    auto* label = new QLabel(caption, this);
    label->setGeometry(16, top + 4, 108, 13);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(128, top, 145, 21);
    edit->setMaxLength(MaxPasswordLength);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    label->setBuddy(edit);
    if (captionLabel)
        *captionLabel = label;
    return edit;
}

void TWinNewPsw::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    editOldPsw_->clear();
    editNewPsw_->clear();
    editConfirm_->clear();
    const bool passwordSet = !Settings.Password.empty();
    editOldPsw_->setVisible(passwordSet);
    lblOldPsw_->setVisible(passwordSet);
    (passwordSet ? editOldPsw_ : editNewPsw_)->setFocus();
}

void TWinNewPsw::BtOKClick() {
    // Without a password the old field is hidden and empty, so it matches.
    if (TrimmedKey(editOldPsw_) != Settings.Password.str()) {
        SelectAndFocus(editOldPsw_);
        return;
    }
    const std::string newPassword = TrimmedKey(editNewPsw_);
    if (newPassword != TrimmedKey(editConfirm_)) {
        SelectAndFocus(editNewPsw_);
        return;
    }
    // The trail says that it changed, and whether there is one now; never the password.
    const QJsonObject details{{QStringLiteral("password_set"), BeforeAfter(!Settings.Password.empty(), !newPassword.empty())}};
    Laboratory().EditSettings({AuditNote("password.changed", {}, 0, details)}, [&] { Settings.Password = newPassword; });
    accept();
}

bool ChangePassword(TWinNewPsw& window) { return window.exec() == QDialog::Accepted; }

} // namespace tervanix
