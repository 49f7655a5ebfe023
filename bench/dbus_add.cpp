// Automation server figures, run on a private bus by run_dbus_bench.sh (the bus starts the server
// through its activation file):
//  - ActivationToReady: a new client's first Add until its answer, the server not running before
//    (the bus starts it, it loads, publishes, writes the run and answers); after each run the
//    server is ended as the session ends it (SIGTERM), instead of waiting for its idle period.
//  - AddOneRun: one client calling Add over and over on one connection, each call waiting for its
//    answer, which comes once the queue file holds the run; items per second is the sustained rate.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QThread>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>

namespace {

const QString Service = QStringLiteral("Tervanix.QCserver");

int CallAdd(QDBusConnection& bus, int i) {
    QDBusMessage call = QDBusMessage::createMethodCall(Service, QStringLiteral("/QCserver"),
                                                       QStringLiteral("Tervanix.IQCserver"), QStringLiteral("Add"));
    call << 46000.5 << QStringLiteral("GLU") << QString::number(i % 1000) << QString() << QString()
         << QStringLiteral("OP") << QString() << false;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 60000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toInt() : 0;
}

bool ServerRunning() {
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(Service).value();
}

void EndServer() {
    const QDBusReply<uint> pid = QDBusConnection::sessionBus().interface()->servicePid(Service);
    if (pid.isValid()) ::kill(static_cast<pid_t>(pid.value()), SIGTERM);
    for (int i = 0; i < 2000 && ServerRunning(); ++i) QThread::msleep(5);
}

void ActivationToReady(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        EndServer();
        const QString name = QStringLiteral("client%1").arg(++n);
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        const auto start = std::chrono::steady_clock::now();
        const int value = CallAdd(bus, n);
        const auto stop = std::chrono::steady_clock::now();
        QDBusConnection::disconnectFromBus(name);
        if (value != -1) state.SkipWithError("Add was not accepted");
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
}
BENCHMARK(ActivationToReady)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void AddOneRun(benchmark::State& state) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    int i = 0;
    for (auto _ : state)
        if (CallAdd(bus, ++i) != -1) state.SkipWithError("Add was not accepted");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AddOneRun)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
