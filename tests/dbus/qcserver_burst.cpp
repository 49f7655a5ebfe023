// One client sending many runs over one connection, up to 64 calls under way at a time (the bus
// keeps them in order): run i is analyte "<prefix><i>" with level 1 equal to i. Prints how many
// were accepted and exits 0 only when all were.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingReply>
#include <QQueue>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: qcserver_burst COUNT PREFIX\n");
        return 2;
    }
    constexpr int UnderWay = 64;
    const int count = QString::fromLocal8Bit(argv[1]).toInt();
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    QDBusInterface server(QStringLiteral("Tervanix.QCserver"), QStringLiteral("/QCserver"),
                          QStringLiteral("Tervanix.IQCserver"), QDBusConnection::sessionBus());
    QQueue<QDBusPendingReply<int>> calls;
    int accepted = 0;
    const auto answerOldest = [&] {
        QDBusPendingReply<int> value = calls.dequeue();
        value.waitForFinished();
        if (value.isValid() && value.value() == -1) ++accepted;
    };
    for (int i = 1; i <= count; ++i) {
        calls.enqueue(server.asyncCall(QStringLiteral("Add"), 46000.0 + i / 100000.0, prefix + QString::number(i),
                                       QString::number(i), QString(), QString(), QStringLiteral("OP"), QString(),
                                       false));
        if (calls.size() >= UnderWay) answerOldest();
    }
    while (!calls.isEmpty()) answerOldest();
    std::printf("sent %d accepted %d\n", count, accepted);
    return accepted == count ? 0 : 1;
}
