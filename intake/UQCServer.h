// The automation object: other programs on this machine deliver QC runs into the queue over the
// session bus (service Tervanix.QCserver, object /QCserver, interface Tervanix.IQCserver).
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QSet>
#include <QString>
#include <cstdint>

#include "model/UTypes.h"

class QDBusServiceWatcher;

namespace tervanix {

inline constexpr const char* QCServerService = "Tervanix.QCserver";
inline constexpr const char* QCServerPath = "/QCserver";
inline constexpr const char* QCServerInterface = "Tervanix.IQCserver";

// What Add answers. A rejection is still a successful call: the client looks at the value.
enum TAddValue : std::int32_t {
    avAccepted = -1,
    avNoAnalyte = 1,   // analyte name empty after trimming
    avNotANumber = 2,  // a level text is not a number a single can hold
    avNoLevel = 3,     // none of the three levels holds a value
    avInvalidDate = 4, // the date is not a calendar date (not finite, or beyond years 1-9999)
};

// The window side the server acts on; the main window implements it.
class IServerHost {
public:
    virtual ~IServerHost() = default;
    virtual void ShowMain() = 0;
    virtual void HideMain() = 0;
    // A run went into the global Queue: refresh the queue indicator.
    virtual void QueueChanged() = 0;
};

// The texts of one delivered run, as the client sent them.
struct TDeliveredRun {
    double DateTime = 0;
    QString Analyte;
    QString Level1, Level2, Level3;
    QString Operator;
    QString Comment;
    bool Parallelise = false;
};

// Checks and converts a delivered run into a queue entry; `run` is filled only when the answer is
// avAccepted.
TAddValue MakeQueueEntry(const TDeliveredRun& delivered, TResu& run);

// Remembers which bus clients are connected to the server and says when the last one has gone.
class TClientTracker : public QObject {
    Q_OBJECT
public:
    explicit TClientTracker(const QDBusConnection& bus, QObject* parent = nullptr);
    void Track(const QString& uniqueName);
    int Count() const { return static_cast<int>(clients_.size()); }

signals:
    void LastClientGone();

private:
    void Forget(const QString& uniqueName);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_;
    QSet<QString> clients_;
};

class TQCServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Tervanix.IQCserver")
public:
    // The host is not owned and must outlive the server.
    explicit TQCServer(IServerHost& host, const QDBusConnection& bus = QDBusConnection::sessionBus(),
                       QObject* parent = nullptr);

    // Exports the object and takes the service name. False (and a line on stderr) when there is no
    // bus or another instance already serves: the program then runs on without the server.
    bool Publish();
    bool IsPublished() const { return published_; }
    // For a program started by a client: the application's loop ends when its last client has
    // gone. The name is kept until the process ends, after the exit sequence has saved the queue:
    // a new instance started for the next client then reads the complete queue file, and a call
    // that arrives meanwhile gets an error from the bus instead of being accepted and lost.
    void QuitWithLastClient();
    int ClientCount() const { return tracker_->Count(); }

public slots:
    void Show();
    void Hide();
    int Add(double DateTime, const QString& Analyte, const QString& Level1, const QString& Level2,
            const QString& Level3, const QString& Operator, const QString& Comment, bool Parallelise);

signals:
    // Every client that called has left the bus. A program started by a client ends here.
    void LastClientGone();
    // A run was queued (for the queue file's saver).
    void QueueChanged();

private:
    void TrackCaller();

    IServerHost& host_;
    QDBusConnection bus_;
    TClientTracker* tracker_;
    bool published_ = false;
};

} // namespace tervanix
