#include "intake/UQCServer.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QTimer>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <sys/stat.h>

#include "main/UAnsi.h"
#include "main/ULaboratory.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// 0001-01-01 00:00 and 9999-12-31 23:59:59.999, the dates the program can show and store.
constexpr double FirstDate = -693593.0;
constexpr double LastDate = 2958465.99999999;

constexpr std::size_t AnalyteLength = 15;
constexpr std::size_t OperatorLength = 4;
constexpr std::size_t CommentLength = 20;

// 8-bit text without control characters (TAB, CR, LF, DEL... as a typed text) and without the
// blanks around it, cut to its first `length` bytes.
std::string TrimmedAnsi(const QString& text, std::size_t length) {
    const std::string bytes = WithoutControlCharacters(ToAnsi(text));
    std::string_view view(bytes);
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!view.empty() && isBlank(view.front())) view.remove_prefix(1);
    while (!view.empty() && isBlank(view.back())) view.remove_suffix(1);
    return std::string(view.substr(0, length));
}

// An empty text is a level without value; otherwise the text must read as a number within the
// results' range (beyond it the statistics could not be computed).
bool ReadLevel(const QString& text, TLevelResult& level) {
    const std::string trimmed = TrimmedAnsi(text, std::string::npos);
    if (trimmed.empty()) {
        level.Value = 0;
        level.Status = qsNoValue;
        return true;
    }
    long double value = 0;
    if (!TryReadNumber(NormaliseDecimalSeparator(trimmed), value) || !IsStorableResult(value)) return false;
    level.Value = static_cast<float>(value);
    level.Status = qsInControl;
    return true;
}

// The same program file, however it was started (links, another path to it).
bool SameProgramFile(qint64 pid) {
    struct stat mine {}, theirs {};
    const std::string path = "/proc/" + std::to_string(pid) + "/exe";
    return ::stat("/proc/self/exe", &mine) == 0 && ::stat(path.c_str(), &theirs) == 0 &&
           mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

} // namespace

TAddValue MakeQueueEntry(const TDeliveredRun& delivered, TResu& run) {
    TResu entry;
    entry.StandaloneFlag = delivered.Parallelise ? 0 : 1;
    entry.AnalyteName = TrimmedAnsi(delivered.Analyte, AnalyteLength);
    if (entry.AnalyteName.empty()) return avNoAnalyte;
    // A date that is no calendar date would break the series order once the run is validated.
    if (!std::isfinite(delivered.DateTime) || delivered.DateTime < FirstDate || delivered.DateTime > LastDate)
        return avInvalidDate;
    entry.DateTime = delivered.DateTime;
    entry.Operator = TrimmedAnsi(delivered.Operator, OperatorLength);
    entry.Comment = TrimmedAnsi(delivered.Comment, CommentLength);
    const QString* texts[MaxLevels] = {&delivered.Level1, &delivered.Level2, &delivered.Level3};
    bool anyValue = false;
    for (int i = 0; i < MaxLevels; ++i) {
        TLevelResult& level = entry.Levels[static_cast<std::size_t>(i)];
        if (!ReadLevel(*texts[i], level)) return avNotANumber;
        anyValue = anyValue || level.Status != qsNoValue;
    }
    if (!anyValue) return avNoLevel;
    run = std::move(entry);
    return avAccepted;
}

// ---- TClientTracker

TClientTracker::TClientTracker(const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      bus_(bus),
      watcher_(new QDBusServiceWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this)) {
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &TClientTracker::Forget);
}

void TClientTracker::Track(const QString& uniqueName) {
    if (uniqueName.isEmpty() || clients_.contains(uniqueName)) return;
    clients_.insert(uniqueName);
    watcher_->addWatchedService(uniqueName);
    // A client that sent its call and left before the watch was in place would never be reported:
    // the bus answers this question after it has taken the watch.
    if (bus_.interface() && !bus_.interface()->isServiceRegistered(uniqueName).value()) Forget(uniqueName);
}

void TClientTracker::Recheck() {
    const QSet<QString> clients = clients_;
    for (const QString& name : clients) {
        const QDBusReply<bool> present =
            bus_.interface() ? bus_.interface()->isServiceRegistered(name) : QDBusReply<bool>();
        if (!present.isValid() || !present.value()) Forget(name);
    }
}

void TClientTracker::Forget(const QString& uniqueName) {
    if (!clients_.remove(uniqueName)) return;
    watcher_->removeWatchedService(uniqueName);
    if (clients_.isEmpty()) emit LastClientGone();
}

// ---- TQCServer

TQCServer::TQCServer(IServerHost& host, const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      host_(host),
      bus_(bus),
      tracker_(new TClientTracker(bus, this)),
      idle_(new QTimer(this)),
      answer_(new QTimer(this)) {
    idle_->setSingleShot(true);
    connect(idle_, &QTimer::timeout, this, &TQCServer::CheckIdle);
    connect(tracker_, &TClientTracker::LastClientGone, this, &TQCServer::CheckIdle);
    // Runs delivered together are answered after one write of the queue.
    answer_->setSingleShot(true);
    answer_->setInterval(0);
    connect(answer_, &QTimer::timeout, this, &TQCServer::AnswerPending);
}

bool TQCServer::Publish() {
    if (published_) return true;
    if (!bus_.isConnected()) {
        std::fprintf(stderr, "Tervanix: no session bus, the automation server is not available\n");
        return false;
    }
    if (!bus_.registerObject(QString::fromLatin1(QCServerPath), this, QDBusConnection::ExportAllSlots)) {
        std::fprintf(stderr, "Tervanix: cannot export the automation object\n");
        return false;
    }
    if (!bus_.registerService(QString::fromLatin1(QCServerService))) {
        bus_.unregisterObject(QString::fromLatin1(QCServerPath));
        std::fprintf(stderr, "Tervanix: another instance serves %s, running without the automation server\n",
                     QCServerService);
        return false;
    }
    published_ = true;
    return true;
}

void TQCServer::Withdraw() {
    KeepRunning();
    if (!published_) return;
    published_ = false;
    // The bus sends the answer to the release after every call it routed here before: once it
    // is back, those calls wait among the posted events and are handled now.
    bus_.unregisterService(QString::fromLatin1(QCServerService));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    AnswerPending();
    // A round trip, so that the answers have left the process before it goes on to end.
    if (bus_.interface()) bus_.interface()->isServiceRegistered(QString::fromLatin1(QCServerService));
}

void TQCServer::EndWhenIdle(int idleMs) {
    endWhenIdle_ = true;
    idle_->start(idleMs);
}

void TQCServer::KeepRunning() {
    endWhenIdle_ = false;
    idle_->stop();
}

void TQCServer::CallArrived() {
    if (endWhenIdle_) idle_->start(); // the idle period starts again
    if (calledFromDBus()) tracker_->Track(message().service());
}

void TQCServer::CheckIdle() {
    if (!endWhenIdle_ || idle_->isActive()) return;
    if (tracker_->Count() > 0) {
        // Forgetting the last client comes back here through LastClientGone.
        tracker_->Recheck();
        if (tracker_->Count() > 0) idle_->start(); // connected but silent: asked again later
        return;
    }
    endWhenIdle_ = false;
    emit NoLongerNeeded();
}

bool TQCServer::CallerIsThisProgram() const {
    if (!calledFromDBus() || !bus_.interface()) return false;
    const QDBusReply<uint> pid = bus_.interface()->servicePid(message().service());
    return pid.isValid() && SameProgramFile(pid.value());
}

std::string TQCServer::CallerSource() const {
    if (!calledFromDBus() || !bus_.interface()) return std::string(AuditFromAutomation);
    const QDBusReply<uint> pid = bus_.interface()->servicePid(message().service());
    const QString program = pid.isValid() ? QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid.value())).symLinkTarget() : QString();
    return QFileInfo(program).fileName() == QLatin1String("tervanix-cli") ? std::string(AuditFromCommandLine)
                                                                         : std::string(AuditFromAutomation);
}

void TQCServer::AnswerPending() {
    answer_->stop();
    if (pending_.isEmpty()) return;
    // -1 means "on disk": runs whose write failed are not kept (the store says why).
    const bool stored = Laboratory().QueueRunsDurably(std::move(pendingRuns_), store_, pendingSources_);
    pendingRuns_.clear();
    pendingSources_.clear();
    if (stored) {
        host_.QueueChanged();
        emit QueueChanged();
    }
    const int value = stored ? avAccepted : avNotWritten;
    for (const QDBusMessage& call : std::as_const(pending_))
        bus_.send(call.createReply(QVariant::fromValue(value)));
    pending_.clear();
}

void TQCServer::Show() {
    CallArrived();
    if (headless_) {
        sendErrorReply(QDBusError::NotSupported,
                       QStringLiteral("There is no display: the program serves its clients without windows."));
        return;
    }
    if (CallerIsThisProgram()) emit StartedAgainByUser();
    host_.ShowMain();
}

void TQCServer::Hide() {
    CallArrived();
    host_.HideMain();
}

int TQCServer::Add(double DateTime, const QString& Analyte, const QString& Level1, const QString& Level2,
                   const QString& Level3, const QString& Operator, const QString& Comment, bool Parallelise) {
    CallArrived();
    const TDeliveredRun delivered{DateTime, Analyte, Level1, Level2, Level3, Operator, Comment, Parallelise};
    TResu run;
    const TAddValue value = MakeQueueEntry(delivered, run);
    if (value != avAccepted) return value;
    if (calledFromDBus() && store_) {
        // Queued and answered together with the runs of the same moment, after one write.
        setDelayedReply(true);
        pending_.append(message());
        pendingRuns_.push_back(std::move(run));
        pendingSources_.push_back(CallerSource());
        if (!answer_->isActive()) answer_->start();
        return value;
    }
    try {
        const TLaboratory::TAuditSource automation(AuditFromAutomation);
        Laboratory().QueueRun(std::move(run));
    } catch (const EQCError&) {
        return avNotWritten; // its audit line could not be written: not kept
    }
    host_.QueueChanged();
    emit QueueChanged();
    return value;
}

} // namespace tervanix
