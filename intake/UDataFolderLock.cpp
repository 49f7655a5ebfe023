#include "intake/UDataFolderLock.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QFile>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "intake/UQCServer.h"

namespace tervanix {
namespace {

constexpr int PollMs = 50;
constexpr int ShowTimeoutMs = 5000;

bool AskToShow(const QDBusConnection& bus) {
    const QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(QCServerService), QString::fromLatin1(QCServerPath),
                                       QString::fromLatin1(QCServerInterface), QStringLiteral("Show"));
    return bus.call(call, QDBus::Block, ShowTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace

TDataFolderLock::TDataFolderLock(const QString& basePath)
    : lock_(basePath + QStringLiteral(".lck")), path_(basePath + QStringLiteral(".lck")), folder_(QDir::toNativeSeparators(QFileInfo(basePath).absolutePath())) {
    // Held for the whole life of the program: only a holder that no longer runs leaves it stale.
    lock_.setStaleLockTime(0);
}

qint64 TDataFolderLock::HolderPid() const {
    qint64 pid = 0;
    QString host, application;
    return lock_.getLockInfo(&pid, &host, &application) ? pid : 0;
}

bool TDataFolderLock::HolderIsGone() const {
    qint64 pid = 0;
    QString host, application;
    if (!lock_.getLockInfo(&pid, &host, &application) || pid <= 0) return false;
    if (host != QSysInfo::machineHostName()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool TDataFolderLock::HolderServes(const QDBusConnection& bus, qint64 holder) const {
    if (holder <= 0 || !bus.isConnected() || !bus.interface()) return false;
    const QDBusReply<uint> owner = bus.interface()->servicePid(QString::fromLatin1(QCServerService));
    return owner.isValid() && owner.value() == holder;
}

TFolderClaim TDataFolderLock::Claim(bool startedByClient, const QDBusConnection& bus, int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    bool staleCleared = false;
    for (;;) {
        errno = 0;
        // A stale lock of a process that no longer runs is taken over here, full disk or not.
        if (lock_.tryLock(0)) return TFolderClaim::Owned;
        const int error = errno;
        if (lock_.error() != QLockFile::LockFailedError) {
            // Not held by another program: the lock file itself cannot be written.
            unwritable_ = lock_.error() == QLockFile::PermissionError ? QStringLiteral("permission denied")
                          : error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                       : QStringLiteral("the lock file cannot be written");
            return TFolderClaim::Unwritable;
        }
        // A stale lock that the lock could not take over (on a full disk it cannot make its own
        // files to do so): removed once, then tried again.
        if (!staleCleared && HolderIsGone()) {
            staleCleared = true;
            QFile::remove(path_);
            continue;
        }
        if (HolderServes(bus, HolderPid())) {
            // The bus hands a client's call to whoever takes the name; the operator's start shows
            // the running program instead of a second one on the same files.
            if (startedByClient) return TFolderClaim::OtherServes;
            if (AskToShow(bus)) return TFolderClaim::OtherShown;
        }
        // Otherwise the holder is ending (it released the name before its exit save).
        if (deadline.hasExpired()) return TFolderClaim::Busy;
        QThread::msleep(PollMs);
    }
}

QString TDataFolderLock::BusyMessage() const {
    if (!unwritable_.isEmpty())
        return QStringLiteral("The data folder\r%1\rcannot be written (%2).\rTervanix cannot keep its data there.")
            .arg(folder_, unwritable_);
    return QStringLiteral("Another Tervanix (process %1) is using the data in\r%2\rTry again when it has ended.")
        .arg(HolderPid())
        .arg(folder_);
}

} // namespace tervanix
