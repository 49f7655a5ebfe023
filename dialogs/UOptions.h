// The backup drive and the number of days between backups.
#pragma once

#include <QDialog>
#include <QList>
#include <functional>

#include "main/UDriveMap.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tervanix {

class TWinOptions : public QDialog {
    Q_OBJECT
public:
    using TVolumeLister = std::function<QList<TDriveVolume>()>;

    explicit TWinOptions(QWidget* parent = nullptr);

    // Runs the dialog modally on Settings; true on OK, when BackupDrive and BackupIntervalDays
    // hold the new values.
    bool Execute();
    // Replaces the machine's volumes in the drive selector (tests).
    void SetVolumeLister(TVolumeLister lister) { volumes_ = std::move(lister); }

    QComboBox* CBDrive() const { return cbDrive_; }
    QLineEdit* EditDelay() const { return editDelay_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }
    QPushButton* BtUndo() const { return btUndo_; }

private:
    void FillDrives();
    void ShowStored();
    void BtOKClick();

    TVolumeLister volumes_ = [] { return MountedDriveVolumes(DriveLettersFile()); };
    QComboBox* cbDrive_ = nullptr;
    QLineEdit* editDelay_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    QPushButton* btUndo_ = nullptr;
};

} // namespace tervanix
