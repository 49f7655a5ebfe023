// Shortcuts to the program: a launcher on the desktop and a "Laboratory QC" folder in the user's
// applications menu with the program, the user manual and the read-me file (freedesktop entries),
// with the program's icon and menu categories of the installed entry.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tervanix {

struct TShortcutPlaces {
    QString DesktopDir;      // the user's desktop folder
    QString ApplicationsDir; // the user's applications folder (the menu)
    QString ProgramFile;     // the program's executable
    QString DocumentsDir;    // the folder of the user manual and the read-me
    QString IconsDir;        // the user's icon theme folder (hicolor), where the program's icon goes
    bool Installed = false;  // an installed program: its package brings its menu entry and icon
};

// The user's folders and this program.
TShortcutPlaces DefaultShortcutPlaces();

// Creates the chosen shortcuts, overwriting older ones; stops at the first failure (those already
// made stay) and returns false then.
bool CreateShortcuts(const TShortcutPlaces& places, bool onDesktop, bool inMenu);

class TWinSetUp : public QDialog {
    Q_OBJECT
public:
    explicit TWinSetUp(QWidget* parent = nullptr);

    void SetPlaces(const TShortcutPlaces& places);
    QCheckBox* CBShortCut() const { return cbShortCut_; }
    QCheckBox* CBStartup() const { return cbStartup_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BtOKClick();

    TShortcutPlaces places_;
    QLabel* picture_;
    QLabel* header_;
    QCheckBox* cbShortCut_;
    QCheckBox* cbStartup_;
    QPushButton* btOK_;
    QPushButton* bitBtn1_;
};

} // namespace tervanix
