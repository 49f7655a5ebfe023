#include "intake/UProgramPlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace tervanix {
namespace {

// Creating, renaming and deleting files are what the program does in its data folder; the
// folder's own permission bits say whether this user may.
bool MayWriteIn(const QString& dir) {
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

const QString UserManual = QStringLiteral("UserManual.htm");

QString InstalledDocuments(const QString& programDir) {
    return QDir::cleanPath(programDir + QStringLiteral("/../share/tervanix"));
}

} // namespace

// Its folder is the system's even for root, who could write there.
bool IsInstalledProgram(const QString& programDir) {
    return !QFileInfo::exists(programDir + u'/' + UserManual) &&
           QFileInfo::exists(InstalledDocuments(programDir) + u'/' + UserManual);
}

QString DataFolderFor(const QString& programDir, const QString& userDataHome) {
    if (!IsInstalledProgram(programDir) && MayWriteIn(programDir)) return QDir::cleanPath(programDir);
    const QString folder = QDir::cleanPath(userDataHome + QStringLiteral("/Tervanix"));
    QDir().mkpath(folder);
    // The user's own folder of the program: no one else reads the settings' password or the results.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

QString DataFolder() {
    return DataFolderFor(QCoreApplication::applicationDirPath(),
                         QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString DocumentsFolderFor(const QString& programDir) {
    return IsInstalledProgram(programDir) ? InstalledDocuments(programDir) : QDir::cleanPath(programDir);
}

QString DocumentsFolder() { return DocumentsFolderFor(QCoreApplication::applicationDirPath()); }

QString DocumentPath(const QString& name) { return DocumentsFolder() + u'/' + name; }

} // namespace tervanix
