#include "intake/UProgramPlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "main/UMessages.h"

namespace tervanix {
namespace {

// Creating, renaming and deleting files are what the program does in its data folder; the
// folder's own permission bits say whether this user may.
bool MayWriteIn(const QString& dir) {
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

const QString UserManual = QStringLiteral("UserManual.htm");

// The files a data folder holds: "Tervanix.*" (data, settings, queue and the files of our own
// beside them) and the archives "QC000001.qca"; not the folder lock nor half-written temporaries.
bool IsDataFolderFile(const QFileInfo& file) {
    const QString name = file.fileName();
    if (!file.isFile() || name == QStringLiteral("Tervanix.lck") || name.contains(QStringLiteral(".tmp"))) return false;
    return name.startsWith(QStringLiteral("Tervanix.")) ||
           (name.startsWith(QStringLiteral("QC")) && name.endsWith(QStringLiteral(".qca"), Qt::CaseInsensitive));
}

QString InstalledDocuments(const QString& programDir) {
    return QDir::cleanPath(programDir + QStringLiteral("/../share/tervanix"));
}

} // namespace

// Its folder is the system's even for root, who could write there.
bool IsInstalledProgram(const QString& programDir) {
    return !QFileInfo::exists(programDir + u'/' + UserManual) &&
           QFileInfo::exists(InstalledDocuments(programDir) + u'/' + UserManual);
}

QString UserDataFolder(const QString& userDataHome) {
    const QString folder = QDir::cleanPath(userDataHome + QStringLiteral("/Tervanix"));
    QDir().mkpath(folder);
    // The user's own folder of the program: no one else reads the settings' password or the results.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

QString DataFolderFor(const QString& programDir, const QString& userDataHome) {
    if (!IsInstalledProgram(programDir) && MayWriteIn(programDir)) return QDir::cleanPath(programDir);
    return UserDataFolder(userDataHome);
}

bool HoldsData(const QString& folder) {
    for (const char* extension : {".qcf", ".cfr", ".fif"})
        if (QFileInfo::exists(folder + QStringLiteral("/Tervanix") + QLatin1String(extension))) return true;
    return false;
}

QString UnwritableDataReason(const QString& programDir) {
    if (IsInstalledProgram(programDir) || !HoldsData(programDir) || MayWriteIn(programDir)) return QString();
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A copy that failed half-way is taken back, so that the next start does not take a part of the
// laboratory's files for a copy made earlier.
bool CopyDataFiles(const QString& from, const QString& to, QString* why) {
    QStringList copied;
    for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (!IsDataFolderFile(file)) continue;
        const QString target = to + u'/' + file.fileName();
        if (QFileInfo::exists(target)) continue;
        QFile source(file.absoluteFilePath());
        if (!source.copy(target)) {
            *why = QDir::toNativeSeparators(file.absoluteFilePath()) + QStringLiteral(": ") + source.errorString();
            for (const QString& path : copied) QFile::remove(path);
            return false;
        }
        copied << target;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

QString DataFolder() {
    return DataFolderFor(QCoreApplication::applicationDirPath(),
                         QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

bool AgreeOnUnwritableData(const QString& programDir, const QString& userDataHome) {
    const QString reason = UnwritableDataReason(programDir);
    if (reason.isEmpty()) return true;
    const QString target = UserDataFolder(userDataHome);
    const QString shownTarget = QDir::toNativeSeparators(target);
    const bool copiedEarlier = HoldsData(target);
    QString text = QStringLiteral("The folder %1 holds the laboratory's data but cannot be written (%2).\r\r")
                       .arg(QDir::toNativeSeparators(programDir), reason);
    if (copiedEarlier)
        text += QStringLiteral("%1 already holds data copied earlier; it is not replaced.\rOK: continue with the data in %1.\r")
                    .arg(shownTarget);
    else text += QStringLiteral("OK: continue with a copy of the data in %1.\r").arg(shownTarget);
    if (!Confirm(text + QStringLiteral("Cancel: end the program."))) return false;
    QString why;
    if (copiedEarlier || CopyDataFiles(programDir, target, &why)) return true;
    ShowError(QStringLiteral("Cannot copy the data to %1\r%2").arg(shownTarget, why));
    return false;
}

QString DocumentsFolderFor(const QString& programDir) {
    return IsInstalledProgram(programDir) ? InstalledDocuments(programDir) : QDir::cleanPath(programDir);
}

QString DocumentsFolder() { return DocumentsFolderFor(QCoreApplication::applicationDirPath()); }

QString DocumentPath(const QString& name) { return DocumentsFolder() + u'/' + name; }

} // namespace tervanix
