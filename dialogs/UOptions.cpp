#include "dialogs/UOptions.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/UFormParts.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UReaders.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int MaxIntervalDays = 1000;

// Drives are shown as the operator knows them: the letter in lower case, then the volume.
QString DriveText(char letter, const QString& name) {
    const QString drive = QChar(letter).toLower() + QStringLiteral(":");
    return name.isEmpty() ? drive : drive + QStringLiteral(" [") + name + QStringLiteral("]");
}

} // namespace

TWinOptions::TWinOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinOptions"));
    setWindowTitle(QStringLiteral("Backup / restore options"));
    setFixedSize(340, 160);
    cbDrive_ = new QComboBox(this);
    cbDrive_->setObjectName(QStringLiteral("CBDrive"));
    cbDrive_->setGeometry(16, 32, 308, 22);
    MakeCaption(this, QStringLiteral("&Backup / restore Drive"), QRect(16, 14, 200, 14), cbDrive_);
    cbDrive_->setAccessibleName(QStringLiteral("Backup / restore Drive"));
    editDelay_ = new QLineEdit(this);
    editDelay_->setObjectName(QStringLiteral("EditDelay"));
    editDelay_->setMaxLength(3);
    editDelay_->setGeometry(180, 74, 40, 21);
    MakeCaption(this, QStringLiteral("&Interval between backups"), QRect(16, 78, 160, 14), editDelay_);
    MakeCaption(this, QStringLiteral("days"), QRect(226, 78, 40, 14));

    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(40, 120, 80, 25));
    btOK_->setDefault(true);
    btCancel_ = MakeButton(this, QStringLiteral("Cancel"), "BtCancel", QRect(130, 120, 80, 25));
    btUndo_ = MakeButton(this, QStringLiteral("&Undo"), "BtUndo", QRect(220, 120, 80, 25));
    connect(btOK_, &QPushButton::clicked, this, Command([this] { BtOKClick(); }));
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btUndo_, &QPushButton::clicked, this, [this] {
        ShowStored();
        editDelay_->setFocus();
    });
    FitToFont(this);
}

bool TWinOptions::Execute() {
    FillDrives();
    ShowStored();
    cbDrive_->setFocus();
    return exec() == QDialog::Accepted;
}

// The lettered volumes now mounted, and the stored drive even when no volume has its letter.
void TWinOptions::FillDrives() {
    cbDrive_->clear();
    for (const TDriveVolume& v : volumes_()) cbDrive_->addItem(DriveText(v.Letter, v.Name), QChar(v.Letter));
    const QChar stored = QChar(Settings.BackupDrive).toUpper();
    if (cbDrive_->findData(stored) < 0) cbDrive_->addItem(DriveText(stored.toLatin1(), QString()), stored);
}

void TWinOptions::ShowStored() {
    cbDrive_->setCurrentIndex(cbDrive_->findData(QChar(Settings.BackupDrive).toUpper()));
    editDelay_->setText(QString::number(Settings.BackupIntervalDays));
}

void TWinOptions::BtOKClick() {
    const int days = ReadIntegerField(editDelay_, 1, MaxIntervalDays);
    const char drive = cbDrive_->currentData().toChar().toUpper().toLatin1();
    const QJsonObject details{
        {QStringLiteral("backup_interval_days"), BeforeAfter(Settings.BackupIntervalDays, days)},
        {QStringLiteral("backup_drive"), BeforeAfter(QString(QLatin1Char(Settings.BackupDrive)), QString(QLatin1Char(drive)))}};
    Laboratory().EditSettings({AuditNote("options.changed", {}, 0, details)}, [&] {
        Settings.BackupIntervalDays = days;
        Settings.BackupDrive = drive;
    });
    accept();
}

} // namespace tervanix
