// One program per data folder. The program holds a lock file beside its data file from its start
// until its exit save is done. A program started meanwhile either hands over to the one that
// serves the folder (asks it to show itself) and ends without touching the files, or waits until
// the one that holds it has saved and ended, so that it never reads files older than the last
// run the other accepted.
#pragma once

#include <QDBusConnection>
#include <QLockFile>
#include <QString>

namespace tervanix {

enum class TFolderClaim {
    Owned,       // the folder is this program's until Release
    OtherShown,  // the program serving the folder was asked to show itself
    OtherServes, // (started by a client) the program serving the folder has taken the call
    Busy,        // another program holds the folder, does not serve it and did not end in time
    Unwritable,  // the lock file cannot be made: the folder cannot be written (full disk,
                 // read-only); said at once, with the system's reason
};

class TDataFolderLock {
public:
    // `basePath` is the data file's path without its extension (BasePath).
    explicit TDataFolderLock(const QString& basePath);

    // How long a start waits for another program to finish its exit save; well under the time
    // the bus gives a program it starts for a client.
    static constexpr int WaitMs = 15000;

    TFolderClaim Claim(bool startedByClient, const QDBusConnection& bus, int waitMs = WaitMs);
    // The exit save is done: the next program may read the files.
    void Release() { lock_.unlock(); }
    bool IsOwned() const { return lock_.isLocked(); }
    // Says who holds the folder, after a Busy claim, or why the folder cannot be written, after an
    // Unwritable one.
    QString BusyMessage() const;

private:
    qint64 HolderPid() const;
    bool HolderIsGone() const;
    bool HolderServes(const QDBusConnection& bus, qint64 holder) const;

    QLockFile lock_;
    QString path_;
    QString folder_;
    QString unwritable_; // the reason of an Unwritable claim
};

} // namespace tervanix
