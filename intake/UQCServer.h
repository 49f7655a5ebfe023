// The automation object: other programs on this machine deliver QC runs into the queue over the
// session bus (service Tervanix.QCserver, object /QCserver, interface Tervanix.IQCserver).
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/UTypes.h"

class QDBusServiceWatcher;
class QTimer;

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
    avNotWritten = 5,  // the queue file could not be written (disk full, read-only folder): the run
                       // was not kept; the client keeps it and sends it again later
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
    // Asks the bus about every client, and forgets those it no longer knows (or all of them when
    // the bus itself has gone): a departure that was never announced does not keep the program.
    void Recheck();

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

    // How long a program started by a client stays after its last call, so that a loop of one-shot
    // clients (a script calling once per run) is served by one program instead of one each.
    static constexpr int IdlePeriodMs = 10000;

    // Exports the object, then takes the service name, so that no call reaches the name before
    // the object is there. False (and a line on stderr) when there is no bus or another instance
    // already serves: the program then runs on without the server.
    bool Publish();
    bool IsPublished() const { return published_; }
    // The first step of the exit: releases the name, so that the bus routes no new call here (it
    // starts the next instance, which waits for this one's data folder), then answers every call
    // already delivered, its runs on disk first. The object stays until the server is destroyed.
    void Withdraw();

    // Accepted runs are answered once `store` has written the queue (one write for all the runs
    // that came together), so that a run answered -1 survives the end of the process, whatever
    // it is. When the write fails they leave the queue again and are answered avNotWritten.
    // Without a store a run is queued and answered at once.
    void SetStore(std::function<bool()> store) { store_ = std::move(store); }
    // For a program started by a client: NoLongerNeeded comes when no client is connected and no
    // call has come for `idleMs`.
    void EndWhenIdle(int idleMs = IdlePeriodMs);
    // The operator took the program over: it no longer ends with its clients.
    void KeepRunning();
    // Started on a bus without a display: runs are queued, and Show answers that there is none.
    void SetHeadless(bool on) { headless_ = on; }
    int ClientCount() const { return tracker_->Count(); }

public slots:
    void Show();
    void Hide();
    int Add(double DateTime, const QString& Analyte, const QString& Level1, const QString& Level2,
            const QString& Level3, const QString& Operator, const QString& Comment, bool Parallelise);

signals:
    // A program started by a client has nothing more to do (see EndWhenIdle).
    void NoLongerNeeded();
    // The program was started again by the operator, and asks this one to show itself: it is the
    // operator's program now.
    void StartedAgainByUser();
    // A run was queued.
    void QueueChanged();

private:
    void CallArrived();
    void CheckIdle();
    bool CallerIsThisProgram() const;
    // For the audit trail: "command line" for tervanix-cli, else "automation".
    std::string CallerSource() const;
    void AnswerPending();

    IServerHost& host_;
    QDBusConnection bus_;
    TClientTracker* tracker_;
    QTimer* idle_;
    QTimer* answer_;
    std::function<bool()> store_;
    QList<QDBusMessage> pending_; // calls of runs waiting for the queue's write
    std::vector<TResu> pendingRuns_;
    std::vector<std::string> pendingSources_;
    bool published_ = false;
    bool endWhenIdle_ = false;
    bool headless_ = false;
};

} // namespace tervanix
