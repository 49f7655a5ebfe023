// The password lock of an editing dialog: a key button (BtCle) and the controls it guards.
// With a password set, every activation of the dialog locks the controls and shows the key;
// the right password unlocks them until the dialog's next activation.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <vector>

class QAbstractButton;
class QPushButton;
class QWidget;

namespace tervanix {

// A key-shaped toggle button without caption, named "BtCle".
QPushButton* MakeKeyButton(QWidget* parent);

// The key presses a protected action through its button, so that the shortcut works only while
// the button is enabled.
void BindKeyToButton(const QKeySequence& key, QAbstractButton* button, QWidget* scope);

class TKeyLock : public QObject {
    Q_OBJECT
public:
    // The lock lives as long as its key button.
    TKeyLock(QAbstractButton* keyButton, std::vector<QWidget*> protectedControls);

    // At every activation of the dialog: locked when a password is set, free otherwise.
    void Activate();
    bool Locked() const { return locked_; }
    // Asks for the password when locked; true when the controls are now free (a double click
    // that must pass the lock first uses this).
    bool Unlock();

signals:
    void Unlocked();

private:
    void KeyClick();
    void SetLocked(bool locked);

    QAbstractButton* keyButton_;
    std::vector<QWidget*> controls_;
    bool locked_ = false;
};

} // namespace tervanix
