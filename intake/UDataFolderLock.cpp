#include "intake/UDataFolderLock.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

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
    : lock_(basePath + QStringLiteral(".lck")), folder_(QDir::toNativeSeparators(QFileInfo(basePath).absolutePath())) {
    // Held for the whole life of the program: only a holder that no longer runs leaves it stale.
    lock_.setStaleLockTime(0);
}

qint64 TDataFolderLock::HolderPid() const {
    qint64 pid = 0;
    QString host, application;
    return lock_.getLockInfo(&pid, &host, &application) ? pid : 0;
}

bool TDataFolderLock::HolderServes(const QDBusConnection& bus, qint64 holder) const {
    if (holder <= 0 || !bus.isConnected() || !bus.interface()) return false;
    const QDBusReply<uint> owner = bus.interface()->servicePid(QString::fromLatin1(QCServerService));
    return owner.isValid() && owner.value() == holder;
}

TFolderClaim TDataFolderLock::Claim(bool startedByClient, const QDBusConnection& bus, int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (lock_.tryLock(0)) return TFolderClaim::Owned;
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
    return QStringLiteral("Another Tervanix (process %1) is using the data in\r%2\rTry again when it has ended.")
        .arg(HolderPid())
        .arg(folder_);
}

} // namespace tervanix
