#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "intake/UDataFolderLock.h"
#include "intake/UQCServer.h"
#include "intake/UQueueSaver.h"
#include "intake/URegistration.h"
#include "model/UAuditTrail.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "support/SmallDisks.h"

namespace tervanix {
namespace {

// The locale's decimal separator for one test.
class TSeparatorScope {
public:
    explicit TSeparatorScope(char separator) : previous_(Locale()) {
        TLocaleFormats formats;
        formats.DecimalSeparator = separator;
        SetLocale(formats);
    }
    ~TSeparatorScope() { SetLocale(previous_); }

private:
    TLocaleFormats previous_;
};

TDeliveredRun Delivered(QString analyte, QString level1, QString level2 = {}, QString level3 = {}) {
    TDeliveredRun run;
    run.DateTime = 46000.5;
    run.Analyte = std::move(analyte);
    run.Level1 = std::move(level1);
    run.Level2 = std::move(level2);
    run.Level3 = std::move(level3);
    return run;
}

TAddValue Answer(const TDeliveredRun& delivered) {
    TResu run;
    return MakeQueueEntry(delivered, run);
}

TResu Accepted(const TDeliveredRun& delivered) {
    TResu run;
    EXPECT_EQ(MakeQueueEntry(delivered, run), avAccepted);
    return run;
}

TEST(QCServerAdd, RefusalsInTheOrderOfTheChecks) {
    EXPECT_EQ(Answer(Delivered(QStringLiteral(" \t\r\n "), QStringLiteral("1"))), avNoAnalyte);
    EXPECT_EQ(Answer(Delivered(QString(), QStringLiteral("abc"))), avNoAnalyte); // the name is checked first
    EXPECT_EQ(Answer(Delivered(QStringLiteral("GLU"), QStringLiteral("abc"), QStringLiteral("2"))), avNotANumber);
    EXPECT_EQ(Answer(Delivered(QStringLiteral("GLU"), {}, {}, QStringLiteral("x"))), avNotANumber); // before "no level"
    EXPECT_EQ(Answer(Delivered(QStringLiteral("GLU"), {}, QStringLiteral("   "), {})), avNoLevel);
}

TEST(QCServerAdd, RefusesLevelsBeyondTheResultsRange) {
    // Beyond 1e20 in size the statistics of a level could overflow (3.4e38 and -3.4e38 made every
    // limit of a common-CV analyte infinite).
    for (const char* text : {"nan", "NaN", "inf", "-inf", "1e39", "-1e39", "1e5000", "4.5.1", "4,5,1", "1 2", "0x10",
                             "3.4e38", "-3.4e38", "1.0000001e20"})
        EXPECT_EQ(Answer(Delivered(QStringLiteral("GLU"), QString::fromLatin1(text))), avNotANumber) << text;
    EXPECT_FLOAT_EQ(Accepted(Delivered(QStringLiteral("GLU"), QStringLiteral("-1e20"))).Levels[0].Value, -1e20f);
}

TEST(QCServerAdd, TextsLoseTheirControlCharacters) {
    TDeliveredRun delivered = Delivered(QStringLiteral("GL\tU\r\n"), QStringLiteral("1"));
    delivered.Operator = QStringLiteral("A\x7F" "B\x01");
    delivered.Comment = QStringLiteral("lot\tchanged\nnow");
    const TResu run = Accepted(delivered);
    EXPECT_EQ(run.AnalyteName, "GLU");
    EXPECT_EQ(run.Operator, "AB");
    EXPECT_EQ(run.Comment, "lotchangednow");
}

TEST(QCServerAdd, RefusesADateOutsideTheCalendar) {
    TDeliveredRun run = Delivered(QStringLiteral("GLU"), QStringLiteral("1"));
    for (double date : {std::nan(""), double(INFINITY), -double(INFINITY), 1e300, -693594.0, 2958466.0}) {
        run.DateTime = date;
        EXPECT_EQ(Answer(run), avInvalidDate) << date;
    }
    run.DateTime = -693593.0; // 0001-01-01: the run is taken over unchanged
    EXPECT_EQ(Accepted(run).DateTime, -693593.0);
}

TEST(QCServerAdd, TextsAreTrimmedCutAndEightBit) {
    TDeliveredRun delivered = Delivered(QStringLiteral("\t ABCDEFGHIJKLMNOPQRST \r"), QStringLiteral("1"));
    delivered.Operator = QStringLiteral("  JDUPONT ");
    delivered.Comment = QStringLiteral(" lot changed on Monday morning ");
    const TResu run = Accepted(delivered);
    EXPECT_EQ(run.AnalyteName, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(run.Operator, "JDUP");
    EXPECT_EQ(run.Comment, "lot changed on Monda");
    EXPECT_EQ(Accepted(Delivered(QStringLiteral("µmol Ω"), QStringLiteral("1"))).AnalyteName, "\xB5mol ?");
}

TEST(QCServerAdd, LevelsTakeEitherDecimalMark) {
    for (char separator : {'.', ','}) {
        TSeparatorScope scope(separator);
        const TResu run = Accepted(Delivered(QStringLiteral("CA"), QStringLiteral(" 4,5 "), {}, QStringLiteral("-7.25")));
        EXPECT_EQ(run.Levels[0].Value, 4.5f);
        EXPECT_EQ(run.Levels[0].Status, qsInControl);
        EXPECT_EQ(run.Levels[1].Value, 0.0f);
        EXPECT_EQ(run.Levels[1].Status, qsNoValue);
        EXPECT_EQ(run.Levels[2].Value, -7.25f);
        EXPECT_EQ(run.Levels[2].Status, qsInControl);
    }
}

TEST(QCServerAdd, ParalleliseGivesARunSentLevelByLevel) {
    TDeliveredRun delivered = Delivered(QStringLiteral("GLU"), {}, QStringLiteral("2"));
    EXPECT_EQ(Accepted(delivered).StandaloneFlag, 1);
    delivered.Parallelise = true;
    EXPECT_EQ(Accepted(delivered).StandaloneFlag, 0);
}

class TRecordingHost final : public IServerHost {
public:
    void ShowMain() override { events += "Show "; }
    void HideMain() override { events += "Hide "; }
    void QueueChanged() override { events += "Queue "; }
    std::string events;
};

TEST(QCServer, AddQueuesAcceptedRunsAndTellsTheHost) {
    QTemporaryDir folder;
    const std::string savedProgramDir = ProgramDir;
    SetProgramDir(folder.path().toStdString());
    Queue.Clear();
    TRecordingHost host;
    TQCServer server(host, QDBusConnection(QStringLiteral("no bus")));
    QSignalSpy changed(&server, &TQCServer::QueueChanged);
    const QString none;
    EXPECT_EQ(server.Add(46000.5, QStringLiteral("  "), QStringLiteral("1"), none, none, none, none, false), 1);
    EXPECT_EQ(server.Add(46000.5, QStringLiteral("GLU"), QStringLiteral("x"), none, none, none, none, false), 2);
    EXPECT_EQ(server.Add(46000.5, QStringLiteral("GLU"), none, none, none, none, none, false), 3);
    EXPECT_EQ(Queue.Count(), 0);
    EXPECT_EQ(host.events, "");
    EXPECT_EQ(server.Add(46000.5, QStringLiteral("GLU"), QStringLiteral("5"), none, none, none, none, false), -1);
    EXPECT_EQ(server.Add(46000.75, QStringLiteral("CA"), none, QStringLiteral("2"), none, none, none, true), -1);
    server.Show();
    server.Hide();
    EXPECT_EQ(host.events, "Queue Queue Show Hide ");
    EXPECT_EQ(changed.count(), 2);
    ASSERT_EQ(Queue.Count(), 2);
    EXPECT_EQ(Queue.Entries().front().AnalyteName, "GLU");
    EXPECT_EQ(Queue.Entries().back().AnalyteName, "CA");
    // Each accepted run is in the audit trail as a bus client's; without its line, none is kept.
    const std::vector<TAuditEntry> trail = ReadAuditEntries(BasePath + ".adt", {});
    ASSERT_EQ(trail.size(), 3U); // and audit.started
    EXPECT_EQ(trail[0].Analyte, "CA");
    EXPECT_EQ(trail[0].Action, "run.queued");
    EXPECT_EQ(trail[0].Source, "automation");
    SetWriteFault([](std::string_view, const std::string& path) { return path.ends_with(".adt") ? ENOSPC : 0; });
    EXPECT_EQ(server.Add(46000.5, QStringLiteral("GLU"), QStringLiteral("5"), none, none, none, none, false), 5);
    SetWriteFault({});
    EXPECT_EQ(Queue.Count(), 2);
    Queue.Clear();
    SetProgramDir(savedProgramDir);
}

TEST(QCServer, WithoutABusTheProgramRunsOnUnpublished) {
    TRecordingHost host;
    TQCServer server(host, QDBusConnection(QStringLiteral("no bus")));
    EXPECT_FALSE(server.Publish());
    EXPECT_FALSE(server.IsPublished());
}

TEST(QCServer, AProgramStartedByAClientEndsOnlyAfterAnIdlePeriod) {
    TRecordingHost host;
    TQCServer server(host, QDBusConnection(QStringLiteral("no bus")));
    QSignalSpy ended(&server, &TQCServer::NoLongerNeeded);
    constexpr int period = 300;
    server.EndWhenIdle(period);
    // The first period runs out while no event is handled; the call comes before its end is seen.
    std::this_thread::sleep_for(std::chrono::milliseconds(period));
    QElapsedTimer sinceCall;
    sinceCall.start();
    server.Show(); // a call starts the period again
    ASSERT_TRUE(ended.wait(60000));
    EXPECT_EQ(ended.count(), 1);
    // A coarse timer may fire up to 5 % early, and whole milliseconds cut off up to one more; a
    // busy machine only makes the end later.
    EXPECT_GE(sinceCall.elapsed(), period - period / 20 - 1);
    // Taken over by the operator: it stays, well beyond the period it was given.
    constexpr int taken = 50;
    server.EndWhenIdle(taken);
    server.KeepRunning();
    EXPECT_FALSE(ended.wait(6 * taken));
}

// A lock file left by a program that no longer runs, written as QLockFile writes it.
void WriteStaleLock(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("2147483000\nTervanix\n" + QSysInfo::machineHostName().toUtf8() + "\n");
}

TEST(DataFolderLock, OneProgramPerFolderUntilItsExitSaveIsDone) {
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/Tervanix");
    const QDBusConnection noBus(QStringLiteral("no bus"));
    WriteStaleLock(base + QStringLiteral(".lck"));
    TDataFolderLock first(base);
    EXPECT_EQ(first.Claim(false, noBus, 0), TFolderClaim::Owned); // a holder that died leaves no lock
    TDataFolderLock second(base);
    // Neither served nor released in time: said, with the holder and the folder.
    EXPECT_EQ(second.Claim(true, noBus, 200), TFolderClaim::Busy);
    EXPECT_EQ(second.BusyMessage(), QStringLiteral("Another Tervanix (process %1) is using the data in\r%2\rTry again "
                                                   "when it has ended.")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(QDir::toNativeSeparators(dir.path())));
    // Released by its exit while the next one waits.
    std::thread exit([&first] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first.Release();
    });
    EXPECT_EQ(second.Claim(false, noBus, 60000), TFolderClaim::Owned); // the release ends the wait
    exit.join();
}

// A folder that cannot be written is not "another Tervanix (process 0)": said at once, with the
// reason; a stale lock of a dead process is cleared on a full disk too.
TEST(DataFolderLock, AFullOrReadOnlyFolderIsSaidAsSuch) {
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString() + "/small";
    auto disk = test::TMountedFolder::Tmpfs(folder, 64 * 1024);
    if (!disk.Ready()) GTEST_SKIP() << disk.Why();
    const QString base = QString::fromStdString(folder.string()) + QStringLiteral("/Tervanix");
    const QDBusConnection noBus(QStringLiteral("no bus"));
    // The lock of a process killed on a full disk: cleared, and its room makes the new one.
    WriteStaleLock(base + QStringLiteral(".lck"));
    disk.Fill();
    {
        TDataFolderLock lock(base);
        EXPECT_EQ(lock.Claim(false, noBus, 2000), TFolderClaim::Owned);
        lock.Release();
    }
    // No room for a lock at all: said at once with the reason, not as another program.
    disk.Fill(); // the room the released lock left
    TDataFolderLock lock(base);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(lock.Claim(false, noBus, 60000), TFolderClaim::Unwritable);
    EXPECT_LT(timer.elapsed(), 10000); // no wait for a holder that is not there
    EXPECT_TRUE(lock.BusyMessage().contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << lock.BusyMessage().toStdString();
    EXPECT_FALSE(lock.BusyMessage().contains(QStringLiteral("Another Tervanix")));
    disk.Unfill();
    EXPECT_EQ(lock.Claim(false, noBus, 0), TFolderClaim::Owned);
    lock.Release();
}

TEST(StartOptions, SwitchesInAnyCaseWithDashOrSlash) {
    const auto parse = [](std::initializer_list<const char*> words) {
        QStringList arguments;
        for (const char* word : words) arguments << QString::fromLatin1(word);
        return ParseStartOptions(arguments);
    };
    EXPECT_EQ(parse({}).Mode, TStartMode::User);
    EXPECT_EQ(parse({"/RegServer"}).Mode, TStartMode::Register);
    EXPECT_EQ(parse({"-regserver"}).Mode, TStartMode::Register);
    EXPECT_EQ(parse({"/UNREGSERVER"}).Mode, TStartMode::Unregister);
    EXPECT_EQ(parse({"/automation"}).Mode, TStartMode::Client);
    EXPECT_EQ(parse({"file.txt", "-EMBEDDING"}).Mode, TStartMode::Client);
    EXPECT_EQ(parse({"--embedding"}).Mode, TStartMode::User);
    EXPECT_EQ(parse({"regserver"}).Mode, TStartMode::User);
    // Embedded only for exactly "-Embedding" in the first place.
    EXPECT_TRUE(parse({"-Embedding"}).Embedded);
    EXPECT_FALSE(parse({"-embedding"}).Embedded);
    EXPECT_FALSE(parse({"/Embedding"}).Embedded);
    EXPECT_FALSE(parse({"x", "-Embedding"}).Embedded);
    EXPECT_FALSE(parse({"/Automation"}).Embedded);
}

// The user's data folder points into a temporary folder for one test.
class ActivationFile : public testing::Test {
protected:
    void SetUp() override {
        previous_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir_.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", previous_); }
    static QString Content() {
        QFile file(ActivationFilePath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QTemporaryDir dir_;
    QByteArray previous_;
};

TEST_F(ActivationFile, SwitchesWriteRemoveAndRefreshIt) {
    EXPECT_EQ(ActivationFilePath(), dir_.path() + QStringLiteral("/dbus-1/services/Tervanix.QCserver.service"));
    EXPECT_TRUE(HandleRegistration({TStartMode::Register, false}, QStringLiteral("/opt/qc/Tervanix")));
    EXPECT_EQ(Content(), QStringLiteral("[D-BUS Service]\nName=Tervanix.QCserver\nExec=/opt/qc/Tervanix -Embedding\n"));
    EXPECT_TRUE(HandleRegistration({TStartMode::Unregister, false}, QStringLiteral("/opt/qc/Tervanix")));
    EXPECT_FALSE(QFile::exists(ActivationFilePath()));
    EXPECT_TRUE(HandleRegistration({TStartMode::Unregister, false}, QString())); // nothing to remove is fine
    EXPECT_FALSE(HandleRegistration({TStartMode::Client, true}, QStringLiteral("/opt/qc/Tervanix")));
    EXPECT_FALSE(QFile::exists(ActivationFilePath()));
    EXPECT_FALSE(HandleRegistration({TStartMode::User, false}, QStringLiteral("/home/lab/QC 2/it's")));
    EXPECT_EQ(Content(), QStringLiteral("[D-BUS Service]\nName=Tervanix.QCserver\nExec='/home/lab/QC 2/it'\\''s' -Embedding\n"));
}

TEST_F(ActivationFile, NamesTheProgramItStarts) {
    for (const QString& program : {QStringLiteral("/opt/qc/Tervanix"), QStringLiteral("/home/lab/QC 2/it's")})
        EXPECT_EQ(ActivationFileProgram(ActivationFileText(program)), program);
    EXPECT_TRUE(ActivationFileProgram(QStringLiteral("[D-BUS Service]\n")).isEmpty());
}

// An installed program (its documents under <prefix>/share/tervanix) writes no per-user file: that
// file would override the package's own. It takes away one naming itself or a program that is gone.
TEST_F(ActivationFile, AnInstalledProgramLeavesActivationToItsPackage) {
    const QString root = dir_.path() + QStringLiteral("/root");
    const auto makeProgram = [](const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    };
    const QString installed = root + QStringLiteral("/usr/bin/Tervanix");
    const QString portable = root + QStringLiteral("/QC lab/Tervanix");
    makeProgram(installed);
    makeProgram(portable);
    makeProgram(root + QStringLiteral("/usr/share/tervanix/UserManual.htm"));
    makeProgram(root + QStringLiteral("/QC lab/UserManual.htm"));
    const struct {
        const char* Case;
        QString Registered; // empty: no per-user file
        bool Kept;
    } cases[] = {
        {"none", QString(), false},
        {"itself", installed, false},
        {"a program that is gone", root + QStringLiteral("/old/Tervanix"), false},
        {"a portable copy", portable, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        RemoveActivationFile();
        if (!c.Registered.isEmpty()) {
            ASSERT_TRUE(WriteActivationFile(c.Registered));
        }
        EXPECT_FALSE(HandleRegistration({TStartMode::User, false}, installed));
        EXPECT_EQ(QFile::exists(ActivationFilePath()), c.Kept);
    }
    EXPECT_FALSE(HandleRegistration({TStartMode::User, false}, portable)); // a portable copy registers itself
    EXPECT_EQ(ActivationFileProgram(Content()), portable);
}

TEST(QueueSaver, WritesShortlyAfterChangesOnceForABurst) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + QStringLiteral("/Tervanix.fif")).toStdString();
    Queue.Clear();
    TQueueSaver saver(path);
    TResu run;
    run.AnalyteName = "GLU";
    for (int i = 0; i < 100; ++i) {
        Queue.Push(run);
        saver.QueueChanged();
    }
    EXPECT_TRUE(saver.Pending());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !saver.Pending(); }, 60000));
    TFifo saved;
    saved.Load(path);
    EXPECT_EQ(saved.Count(), 100);
    Queue.Clear();
}

TEST(QueueSaver, AFailedWriteIsTriedAgainAtTheNextChange) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/not yet");
    const std::string path = (folder + QStringLiteral("/Tervanix.fif")).toStdString();
    Queue.Clear();
    TQueueSaver saver(path);
    Queue.Push(TResu{});
    saver.QueueChanged();
    saver.Flush();
    EXPECT_TRUE(saver.LastSaveFailed());
    ASSERT_TRUE(QDir().mkpath(folder));
    Queue.Push(TResu{});
    saver.QueueChanged();
    saver.Flush();
    EXPECT_FALSE(saver.LastSaveFailed());
    TFifo saved;
    saved.Load(path);
    EXPECT_EQ(saved.Count(), 2);
    Queue.Clear();
}

} // namespace
} // namespace tervanix
