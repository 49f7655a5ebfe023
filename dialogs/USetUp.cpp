#include "dialogs/USetUp.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>
#include <utility>

#include "intake/UProgramPlaces.h"
#include "main/UAccessible.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/UMessages.h"
#include "model/UFileStore.h"
#include "model/UTypes.h"

namespace tervanix {
namespace {

const QString MenuFolder = QStringLiteral("Laboratory QC");
// The same icon and menu categories as the installed program's entry.
const QString IconName = QStringLiteral("tervanix");
const QString Categories = QStringLiteral("Science;MedicalSoftware;Qt;");

// The program path as one word of an Exec line: quoted when it holds a reserved character; a
// percent sign is doubled and the backslashes of the quoting are escaped once more for the file.
QString ExecWord(const QString& path) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (QChar c : path) quote = quote || reserved.contains(c);
    QString word = path;
    if (quote) {
        QString escaped;
        for (QChar c : path) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') escaped += u'\\';
            escaped += c;
        }
        word = u'"' + escaped + u'"';
        word.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    }
    word.replace(QStringLiteral("%"), QStringLiteral("%%"));
    return word;
}

QString LauncherEntry(const QString& name, const QString& program) {
    return QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=") + name +
           QStringLiteral("\nExec=") + ExecWord(program) + QStringLiteral("\nPath=") +
           QFileInfo(program).absolutePath() + QStringLiteral("\nIcon=") + IconName + QStringLiteral("\nCategories=") +
           Categories + QStringLiteral("\nTerminal=false\n");
}

// An application entry that opens the document with the desktop's program for it: the menus show
// no link entries.
QString DocumentEntry(const QString& name, const QString& document) {
    return QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\nName=") + name +
           QStringLiteral("\nExec=xdg-open ") + ExecWord(document) + QStringLiteral("\nIcon=") + IconName +
           QStringLiteral("\nTerminal=false\n");
}

// Launchers must be executable for the desktop to trust them.
bool WriteEntry(const QString& path, const QString& text) {
    try {
        WriteFileAtomic(QFile::encodeName(path).toStdString(), text.toUtf8().toStdString(), "Unable to complete setup");
    } catch (const EQCError&) {
        return false;
    }
    return QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
}

// The icon of the entries, from the program's own resources, for a copy that was not installed.
bool WriteIcons(const QString& iconsDir) {
    for (const auto& [size, resource] : {std::pair{48, ":/icons/TERVANIX48"}, std::pair{128, ":/icons/TERVANIX"}}) {
        QFile image(QString::fromLatin1(resource));
        const QString dir = iconsDir + QStringLiteral("/%1x%1/apps").arg(size);
        if (!image.open(QIODevice::ReadOnly) || !QDir().mkpath(dir)) return false;
        try {
            WriteFileAtomic(QFile::encodeName(dir + u'/' + IconName + QStringLiteral(".png")).toStdString(),
                            image.readAll().toStdString(), "Unable to complete setup");
        } catch (const EQCError&) {
            return false;
        }
    }
    return true;
}

bool CreateMenuEntries(const TShortcutPlaces& places) {
    const QString folder = places.ApplicationsDir + u'/' + MenuFolder;
    const QString& documents = places.DocumentsDir;
    // The package's own menu entry starts an installed program: a second one would only repeat it.
    return QDir().mkpath(folder) &&
           (places.Installed || WriteEntry(folder + QStringLiteral("/Programme Tervanix.desktop"),
                                           LauncherEntry(QStringLiteral("Programme Tervanix"), places.ProgramFile))) &&
           WriteEntry(folder + QStringLiteral("/User manual.desktop"),
                      DocumentEntry(QStringLiteral("User manual"), documents + QStringLiteral("/UserManual.htm"))) &&
           WriteEntry(folder + QStringLiteral("/Read me.desktop"),
                      DocumentEntry(QStringLiteral("Read me"), documents + QStringLiteral("/ReadMe.Txt")));
}

} // namespace

TShortcutPlaces DefaultShortcutPlaces() {
    return {QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
            QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation),
            QCoreApplication::applicationFilePath(), DocumentsFolder(),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/icons/hicolor"),
            IsInstalledProgram(QCoreApplication::applicationDirPath())};
}

bool CreateShortcuts(const TShortcutPlaces& places, bool onDesktop, bool inMenu) {
    if ((onDesktop || inMenu) && !places.Installed && !WriteIcons(places.IconsDir)) return false;
    if (onDesktop &&
        !(QDir().mkpath(places.DesktopDir) &&
          WriteEntry(places.DesktopDir + QStringLiteral("/Tervanix.desktop"),
                     LauncherEntry(QStringLiteral("Tervanix"), places.ProgramFile))))
        return false;
    return !inMenu || CreateMenuEntries(places);
}

TWinSetUp::TWinSetUp(QWidget* parent)
    : QDialog(parent),
      places_(DefaultShortcutPlaces()),
      picture_(new QLabel(this)),
      header_(new QLabel(QStringLiteral("Programme setup"), this)),
      cbShortCut_(new QCheckBox(this)),
      cbStartup_(new QCheckBox(QStringLiteral("Create an entry < Laboratory QC > in the start menu"), this)),
      btOK_(new QPushButton(QStringLiteral("OK"), this)),
      bitBtn1_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Quality control"));
    // No close box: the dialog ends through OK or Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(377, 185);
    picture_->setGeometry(16, 12, 32, 32);
    picture_->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    header_->setGeometry(64, 16, 290, 24);
    QFont headerFont = header_->font();
    headerFont.setPointSize(12);
    headerFont.setBold(true);
    header_->setFont(headerFont);
    cbShortCut_->setGeometry(24, 64, 337, 17);
    cbShortCut_->setObjectName(QStringLiteral("CBShortCut"));
    cbStartup_->setGeometry(24, 92, 337, 17);
    cbStartup_->setObjectName(QStringLiteral("CBStartup"));
    btOK_->setGeometry(96, 136, 75, 25);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btOK_->setDefault(true);
    bitBtn1_->setGeometry(206, 136, 75, 25);
    bitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
    // Its outcome box is modal: it opens once the click has been answered.
    connect(btOK_, &QPushButton::clicked, this, AfterAction(this, [this] { BtOKClick(); }));
    connect(bitBtn1_, &QPushButton::clicked, this, &QDialog::reject);
    SetPlaces(places_);
    FitToFont(this);
}

// The shortcut is offered for the program file as it is named here.
void TWinSetUp::SetPlaces(const TShortcutPlaces& places) {
    places_ = places;
    cbShortCut_->setText(QStringLiteral("Create a shortcut  on the desktop for < %1 >.")
                             .arg(QFileInfo(places_.ProgramFile).fileName()));
}

void TWinSetUp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    cbShortCut_->setChecked(true);
    cbStartup_->setChecked(true);
}

void TWinSetUp::BtOKClick() {
    if (CreateShortcuts(places_, cbShortCut_->isChecked(), cbStartup_->isChecked()))
        ShowInformation(QStringLiteral("Setup OK"));
    else
        ShowInformation(QStringLiteral("Unable to complete setup"));
    accept();
}

} // namespace tervanix
