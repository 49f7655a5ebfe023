// A stand-in for the program around the automation server, with the program's life cycle: it
// claims the data folder of its queue file, loads the queue, serves on the session bus, stores
// each accepted run before answering, ends like the program and writes what happens ("Start",
// "Serving", "Show", "Hide", "Owned by user", "Shown other", "Exit N"...) to the events file. Environment: TERVANIX_HOST_QUEUE (queue file),
// TERVANIX_HOST_EVENTS (events file, optional). With --dump FILE it lists a queue file instead; with
// --periods it prints the program's idle period and splash time in milliseconds, for the checks
// that wait them out.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "intake/UDataFolderLock.h"
#include "intake/ULogoCQ.h"
#include "intake/UQCServer.h"
#include "intake/UQueueSaver.h"
#include "intake/URegistration.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

class TEventLog final : public IServerHost {
public:
    explicit TEventLog(const std::string& path) : file_(path.empty() ? nullptr : std::fopen(path.c_str(), "a")) {}
    ~TEventLog() override {
        if (file_) std::fclose(file_);
    }
    void Write(const std::string& line) {
        if (!file_) return;
        std::fprintf(file_, "%s\n", line.c_str());
        std::fflush(file_);
    }
    void ShowMain() override { Write("Show"); }
    void HideMain() override { Write("Hide"); }
    void QueueChanged() override { ++changes_; }
    void OwnedByUser() { Write("Owned by user"); }
    int Changes() const { return changes_; }

private:
    std::FILE* file_;
    int changes_ = 0;
};

int DumpQueue(const std::string& path) {
    Queue.Load(path);
    for (const TResu& run : Queue.Entries()) {
        std::printf("%s\t%.6f\t%d", run.AnalyteName.c_str(), run.DateTime, run.StandaloneFlag);
        for (const TLevelResult& level : run.Levels) std::printf("\t%g/%d", double(level.Value), level.Status);
        std::printf("\t%s\t%s\n", run.Operator.c_str(), run.Comment.c_str());
    }
    return 0;
}

int TerminationPipe[2] = {-1, -1};
void OnTermination(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(TerminationPipe[1], &byte, 1);
}

} // namespace
} // namespace tervanix

int main(int argc, char** argv) {
    using namespace tervanix;
    if (argc == 3 && std::string(argv[1]) == "--dump") return DumpQueue(argv[2]);
    if (argc == 2 && std::string(argv[1]) == "--periods") {
        std::printf("%d %d\n", TQCServer::IdlePeriodMs, TWinLogoCQ::ShowMs);
        return 0;
    }

    QCoreApplication app(argc, argv);
    const TStartOptions options = ParseStartOptions(app.arguments().mid(1));
    if (HandleRegistration(options, QCoreApplication::applicationFilePath())) return 0;

    const std::string queuePath = qEnvironmentVariable("TERVANIX_HOST_QUEUE").toStdString();
    if (queuePath.empty()) {
        std::fprintf(stderr, "qcserver_host: TERVANIX_HOST_QUEUE is not set\n");
        return 2;
    }
    TEventLog events(qEnvironmentVariable("TERVANIX_HOST_EVENTS").toStdString());
    events.Write(options.Embedded ? "Start embedded" : "Start");
    QString base = QString::fromStdString(queuePath);
    base.chop(4); // without ".fif"
    TDataFolderLock folder(base);
    switch (folder.Claim(options.Mode == TStartMode::Client, QDBusConnection::sessionBus())) {
    case TFolderClaim::Owned:
        break;
    case TFolderClaim::OtherShown:
        events.Write("Shown other");
        return 0;
    case TFolderClaim::OtherServes:
        events.Write("Served by other");
        return 0;
    case TFolderClaim::Busy:
        events.Write("Busy");
        return 1;
    case TFolderClaim::Unwritable:
        events.Write("Unwritable: " + folder.BusyMessage().toStdString());
        return 1;
    }
    Queue.Load(queuePath);

    // The end of the session ends the program through its normal exit.
    if (::pipe(TerminationPipe) != 0) return 1;
    std::signal(SIGTERM, OnTermination);
    QSocketNotifier termination(TerminationPipe[0], QSocketNotifier::Read);
    QObject::connect(&termination, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    TQCServer server(events);
    TQueueSaver saver(queuePath);
    server.SetStore([&saver] { return saver.SaveNow(); });
    if (options.Mode == TStartMode::Client) {
        server.EndWhenIdle();
        QObject::connect(&server, &TQCServer::NoLongerNeeded, &app, &QCoreApplication::quit);
    }
    QObject::connect(&server, &TQCServer::StartedAgainByUser, &app, [&] {
        server.KeepRunning();
        events.OwnedByUser();
    });
    events.Write(server.Publish() ? "Serving" : "Not serving");

    const int code = app.exec();
    events.Write("Ending");
    server.Withdraw();
    try {
        Queue.Save(queuePath);
    } catch (const EQCError& error) {
        events.Write(error.what());
    }
    folder.Release();
    events.Write("Exit " + std::to_string(events.Changes()));
    return code;
}
