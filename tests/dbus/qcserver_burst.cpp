// One client sending many runs over one connection: run i is analyte "<prefix><i>" with level 1
// equal to i. Prints how many were accepted and exits 0 only when all were.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: qcserver_burst COUNT PREFIX\n");
        return 2;
    }
    const int count = QString::fromLocal8Bit(argv[1]).toInt();
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    QDBusInterface server(QStringLiteral("Tervanix.QCserver"), QStringLiteral("/QCserver"),
                          QStringLiteral("Tervanix.IQCserver"), QDBusConnection::sessionBus());
    int accepted = 0;
    for (int i = 1; i <= count; ++i) {
        const QDBusReply<int> value =
            server.call(QStringLiteral("Add"), 46000.0 + i / 100000.0, prefix + QString::number(i),
                        QString::number(i), QString(), QString(), QStringLiteral("OP"), QString(), false);
        if (value.isValid() && value.value() == -1) ++accepted;
    }
    std::printf("sent %d accepted %d\n", count, accepted);
    return accepted == count ? 0 : 1;
}
