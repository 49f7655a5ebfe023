// The about box: the program's name, version, automation server and terms of use. Shown at start
// until the operator asks not to see it again, and from the "&About" command.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tervanix {

// The text of Label7 is kept in the program scrambled: reversed, each character code raised by one.
QString UnscrambleText(const QString& scrambled);

class TWinAbout : public QDialog {
    Q_OBJECT
public:
    explicit TWinAbout(QWidget* parent = nullptr);

    // At start the check box may clear Settings.ShowAboutAtStart when the box closes; from the
    // menu it is disabled. Both run the box modally.
    int ExecAtStart();
    int ExecFromMenu();
    // The same without running it (the caller shows the box).
    void PrepareAtStart();
    void PrepareFromMenu();

    QLabel* LblServer() const { return lblServer_; }
    QLabel* Label7() const { return label7_; }
    QCheckBox* CheckBoxAvertir() const { return checkBoxAvertir_; }
    QPushButton* BtOK() const { return btOK_; }

    void done(int result) override;

private:
    QLabel* AddLabel(const QString& text, int top);

    bool atStart_ = false;
    QFrame* panel_;
    QLabel* lblServer_ = nullptr;
    QLabel* label7_ = nullptr;
    QPlainTextEdit* memo_;
    QCheckBox* checkBoxAvertir_;
    QPushButton* btOK_;
};

} // namespace tervanix
