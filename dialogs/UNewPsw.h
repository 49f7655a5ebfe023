// Sets, changes or removes the password. A wrong old password or a confirmation that differs
// leaves the dialog open with the field to correct selected; nothing is said.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tervanix {

class TWinNewPsw : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxPasswordLength = 10;

    explicit TWinNewPsw(QWidget* parent = nullptr);

    QLineEdit* EditOldPsw() const { return editOldPsw_; }
    QLineEdit* EditNewPsw() const { return editNewPsw_; }
    QLineEdit* EditConfirm() const { return editConfirm_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* AddField(const QString& caption, int top, const char* name, QLabel** captionLabel = nullptr);
    void BtOKClick();

    QLabel* lblOldPsw_ = nullptr;
    QLineEdit* editOldPsw_ = nullptr;
    QLineEdit* editNewPsw_ = nullptr;
    QLineEdit* editConfirm_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btCancel_ = nullptr;
};

// The "&Password" command: runs the dialog modally and, when it closes with OK, writes the
// settings file at once so that the new password survives a crash. True on OK.
bool ChangePassword(TWinNewPsw& window);

} // namespace tervanix
