// add: delivers one run to the program's automation server on the session bus, as an analyser
// interface would. When the program is not running, the bus starts it for the call.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>

#include "cli/CliAdd.h"
#include "model/UClock.h"
#include "model/UDateTime.h"

namespace tervanix::cli {
namespace {

// Long enough for the program to start through activation and load its data.
constexpr int CallTimeoutMs = 60000;

struct TAddRequest {
    double DateTime = 0;
    QString Analyte, Level1, Level2, Level3, Operator, Comment;
    bool Parallelise = false;
    bool HasAnalyte = false;
};

QString Text(const std::string& arg) { return QString::fromLocal8Bit(arg.c_str()); }

// A day number (days since 1899-12-30) or a local time like 2026-12-08T14:30[:00].
double ReadDateTime(const std::string& arg) {
    const QString text = Text(arg);
    const QDateTime local = QDateTime::fromString(text, Qt::ISODate);
    if (local.isValid() && local.timeSpec() == Qt::LocalTime) {
        const QDate d = local.date();
        const QTime t = local.time();
        return EncodeDate(d.year(), d.month(), d.day()) + EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
    }
    bool ok = false;
    const double day = text.toDouble(&ok);
    if (ok && std::isfinite(day)) return day;
    throw EUsage("--date-time takes a day number or a local time like 2026-12-08T14:30: " + arg);
}

TAddRequest ParseAdd(const TArgs& args) {
    TAddRequest request;
    request.DateTime = Now();
    TArgCursor cursor(args);
    while (!cursor.Done()) {
        const std::string& arg = cursor.Next();
        if (arg == "--analyte") {
            request.Analyte = Text(cursor.ValueOf(arg));
            request.HasAnalyte = true;
        } else if (arg == "--date-time") {
            request.DateTime = ReadDateTime(cursor.ValueOf(arg));
        } else if (arg == "--level1") {
            request.Level1 = Text(cursor.ValueOf(arg));
        } else if (arg == "--level2") {
            request.Level2 = Text(cursor.ValueOf(arg));
        } else if (arg == "--level3") {
            request.Level3 = Text(cursor.ValueOf(arg));
        } else if (arg == "--operator") {
            request.Operator = Text(cursor.ValueOf(arg));
        } else if (arg == "--comment") {
            request.Comment = Text(cursor.ValueOf(arg));
        } else if (arg == "--parallelise") {
            request.Parallelise = true;
        } else {
            throw EUsage("add: unknown argument " + arg);
        }
    }
    if (!request.HasAnalyte) throw EUsage("add: --analyte is required");
    return request;
}

int CallAdd(const TAddRequest& request) {
    int argc = 1;
    char name[] = "tervanix-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) throw EFailure("add: no session bus: " + bus.lastError().message().toStdString());
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("Tervanix.QCserver"), QStringLiteral("/QCserver"),
                                                       QStringLiteral("Tervanix.IQCserver"), QStringLiteral("Add"));
    call << request.DateTime << request.Analyte << request.Level1 << request.Level2 << request.Level3
         << request.Operator << request.Comment << request.Parallelise;
    const QDBusMessage reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1)
        throw EFailure("add: the Tervanix server did not answer: " + reply.errorMessage().toStdString());
    bool ok = false;
    const int value = reply.arguments().first().toInt(&ok);
    if (!ok) throw EFailure("add: unexpected answer from the Tervanix server");
    std::cout << value << '\n';
    return value == -1 ? 0 : 1;
}

} // namespace

int RunAdd(const TArgs& args) { return CallAdd(ParseAdd(args)); }

} // namespace tervanix::cli

// The whole command line, argv[1] being "add".
int RunAddCommand(int argc, char** argv) {
    using namespace tervanix::cli;
    try {
        return RunAdd(TArgs(argv + std::min(argc, 2), argv + argc));
    } catch (const EUsage& e) {
        std::cerr << "tervanix-cli: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tervanix-cli: " << e.what() << '\n';
        return 1;
    }
}
