#include "main/UKeyLock.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QShortcut>

#include "dialogs/UMotPass.h"
#include "main/UResources.h"
#include "model/UGlobals.h"

namespace tervanix {

QPushButton* MakeKeyButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QStringLiteral("BtCle"));
    button->setCheckable(true);
    button->setIcon(ResourceBitmap(QStringLiteral("CLE")));
    button->setIconSize(QSize(24, 24));
    button->setAccessibleName(QStringLiteral("Password key"));
    return button;
}

void BindKeyToButton(const QKeySequence& key, QAbstractButton* button, QWidget* scope) {
    auto* shortcut = new QShortcut(key, scope);
    // click() does nothing on a disabled button.
    QObject::connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
}

TKeyLock::TKeyLock(QAbstractButton* keyButton, std::vector<QWidget*> protectedControls)
    : QObject(keyButton), keyButton_(keyButton), controls_(std::move(protectedControls)) {
    connect(keyButton_, &QAbstractButton::clicked, this, &TKeyLock::KeyClick);
}

void TKeyLock::Activate() { SetLocked(!Settings.Password.empty()); }

bool TKeyLock::Unlock() {
    if (locked_ && AskPassword(keyButton_->window())) {
        SetLocked(false);
        emit Unlocked();
    }
    return !locked_;
}

void TKeyLock::KeyClick() {
    Unlock();
    keyButton_->setChecked(false);
}

void TKeyLock::SetLocked(bool locked) {
    locked_ = locked;
    for (QWidget* control : controls_)
        control->setEnabled(!locked);
    keyButton_->setVisible(locked);
}

} // namespace tervanix
