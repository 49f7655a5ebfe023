// A job through a real CUPS: a private cupsd of the test's own, in a temporary folder, with a queue
// of cups-pdf's printer description whose output stays in that folder. Skipped, with the reason,
// where the machine lacks CUPS or cannot run a private cupsd.
#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

#include "charts/UPrintSpool.h"
#include "gui/PrintHarness.h"
#include "gui/GuiHarness.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

const QString Ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString Queue = QStringLiteral("TervanixLab");
constexpr int Patience = 60000; // a safety net for a busy machine, not a timing

// CUPS's administration commands live in /usr/sbin, which a user's PATH may lack.
QString Tool(const QString& name) {
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
}

QString CupsTool(const QStringList& command) {
    QProcess process;
    process.start(Tool(command.value(0)), command.mid(1));
    process.waitForFinished(Patience);
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

// cupsd on a socket of the folder, one queue that writes what the printer would get to out.ps.
class TPrivateCups {
public:
    TPrivateCups() { unavailable_ = Start(); }
    // Why the private CUPS cannot run here; empty once it runs with its queue.
    QString Start() {
        for (const QString& tool : {QStringLiteral("cupsd"), QStringLiteral("lpadmin"), QStringLiteral("lp")})
            if (Tool(tool).isEmpty())
                return (tool + QStringLiteral(" is not installed (Debian packages cups-daemon, cups-client)"));
        if (!QFile::exists(Ppd)) return (QStringLiteral("cups-pdf is not installed"));
        if (!QFile::exists(QStringLiteral("/usr/lib/cups/filter/pdftops"))) return (QStringLiteral("cups-filters is not installed"));
        // The filters run as CUPS's own user: they must reach the folder and its temporary files.
        QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup);
        for (const char* sub : {"spool", "cache", "state", "log", "tmp"}) QDir(dir_.path()).mkdir(QString::fromLatin1(sub));
        QProcess::execute(QStringLiteral("chmod"), {QStringLiteral("1777"), Path("tmp")});
        Write("cupsd.conf", QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                                .arg(Socket()));
        Write("cups-files.conf", QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                                                "TempDir %1/tmp\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                                "PageLog %1/log/page_log\nFileDevice Yes\n")
                                     .arg(dir_.path()));
        cupsd_.start(Tool(QStringLiteral("cupsd")),
                     {QStringLiteral("-f"), QStringLiteral("-c"), Path("cupsd.conf"), QStringLiteral("-s"), Path("cups-files.conf")});
        if (!QTest::qWaitFor([&] { return QFile::exists(Socket()) || cupsd_.state() == QProcess::NotRunning; }, Patience) ||
            cupsd_.state() == QProcess::NotRunning)
            return (QStringLiteral("a private cupsd cannot run here: ") + QString::fromUtf8(cupsd_.readAll()));
        previousServer_ = qgetenv("CUPS_SERVER");
        serverSet_ = true;
        qputenv("CUPS_SERVER", Socket().toLocal8Bit());
        const QString added = CupsTool({QStringLiteral("lpadmin"), QStringLiteral("-p"), Queue, QStringLiteral("-E"), QStringLiteral("-v"),
                                   QStringLiteral("file://") + Path("out.ps"), QStringLiteral("-P"), Ppd});
        if (!CupsTool({QStringLiteral("lpstat"), QStringLiteral("-p"), Queue}).contains(Queue))
            return (QStringLiteral("the private cupsd refuses a queue: ") + added);
        return {};
    }
    ~TPrivateCups() {
        if (cupsd_.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(cupsd_.processId()), SIGCONT);
        cupsd_.kill();
        cupsd_.waitForFinished(Patience);
        if (!serverSet_) return;
        if (previousServer_.isEmpty()) qunsetenv("CUPS_SERVER");
        else qputenv("CUPS_SERVER", previousServer_);
    }
    TPrivateCups(const TPrivateCups&) = delete;
    TPrivateCups& operator=(const TPrivateCups&) = delete;

    const QString& Unavailable() const { return unavailable_; }
    void Pause(bool paused) { ::kill(static_cast<pid_t>(cupsd_.processId()), paused ? SIGSTOP : SIGCONT); }
    // What the printer got from the last job, once CUPS has done with every job.
    QString Printed() {
        const bool done = QTest::qWaitFor([] { return CupsTool({QStringLiteral("lpstat"), QStringLiteral("-o")}).trimmed().isEmpty(); }, Patience);
        QFile out(Path("out.ps"));
        return done && out.open(QIODevice::ReadOnly) ? QString::fromLatin1(out.readAll()) : QString();
    }
    void Remove() { QFile::remove(Path("out.ps")); }

private:
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    QString Socket() const { return Path("cups.sock"); }
    void Write(const char* name, const QString& text) const {
        QFile file(Path(name));
        if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8());
    }
    QTemporaryDir dir_;
    QProcess cupsd_;
    QByteArray previousServer_;
    bool serverSet_ = false;
    QString unavailable_;
};

TPrintJob TwoPages() { return test::NumberedRowsJob(70); }

TPrinterChoice Choice(QPageSize::PageSizeId paper, TPageRange range, int copies) {
    return {Queue, QPageLayout(QPageSize(paper), QPageLayout::Portrait, PrintMarginsMm()), range, copies, true};
}

// The printer the print dialog offers first and the state shown under it ("printer|state"); the
// dialog is then cancelled.
QString OfferedPrinter() {
    QString offered;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog || !offered.isEmpty()) return;
        const auto* state = dialog->findChild<QLabel*>(QStringLiteral("printerState"));
        offered = dialog->findChild<QComboBox*>(QStringLiteral("printers"))->currentText() + QLatin1Char('|') +
                  (state && !state->isHidden() ? state->text() : QString());
        dialog->reject();
    });
    look.start(20);
    TDialogPrintService service;
    service.Print(nullptr, TwoPages());
    return offered;
}

TEST(RealCups, JobsReachThePrinterWithPaperRangeAndCopiesAndRefusalsAreSaid) {
    TPrivateCups cups;
    if (!cups.Unavailable().isEmpty()) GTEST_SKIP() << cups.Unavailable().toStdString();
    QTemporaryDir folder;
    const std::string savedProgramDir = ProgramDir;
    SetProgramDir(folder.path().toStdString());
    test::TScriptedMessages messages;

    struct TCase {
        QPageSize::PageSizeId Paper;
        TPageRange Range;
        int Copies;
        int Pages; // every copy of every page, collated copies being made by CUPS
        const char* PageSize;
    };
    const TCase cases[] = {{QPageSize::A4, {}, 1, 2, "PageSize[595 842]"}, {QPageSize::Letter, {2, 2}, 3, 3, "PageSize[612 792]"}};
    for (const TCase& c : cases) {
        cups.Remove();
        ASSERT_EQ(SendToPrinter(nullptr, Choice(c.Paper, c.Range, c.Copies), TwoPages()), TPrintOutcome::Printed);
        const QString printed = cups.Printed();
        EXPECT_EQ(printed.count(QStringLiteral("\n%%Page: ")), c.Pages) << c.PageSize;
        EXPECT_TRUE(printed.contains(QString::fromLatin1(c.PageSize))) << c.PageSize;
    }
    EXPECT_EQ(LastPrinter(), Queue);
    EXPECT_TRUE(messages.Recorded().empty());

    if (QPrinterInfo::availablePrinterNames().contains(Queue)) {
        // The print dialog offers the printer last printed on before the system's default, and says
        // that it is stopped.
        CupsTool({QStringLiteral("lpadmin"), QStringLiteral("-p"), QStringLiteral("Annex"), QStringLiteral("-E"),
                  QStringLiteral("-v"), QStringLiteral("file:///dev/null"), QStringLiteral("-P"), Ppd});
        CupsTool({QStringLiteral("lpadmin"), QStringLiteral("-d"), QStringLiteral("Annex")});
        CupsTool({QStringLiteral("cupsdisable"), QStringLiteral("-r"), QStringLiteral("Paper jam"), Queue});
        EXPECT_EQ(OfferedPrinter(), QStringLiteral("TervanixLab|Printer TervanixLab is stopped: Paper jam"));
        QFile::remove(QString::fromStdString(BasePath + ".printer"));
        EXPECT_EQ(OfferedPrinter(), QStringLiteral("Annex|"));
        CupsTool({QStringLiteral("cupsenable"), Queue});
    } else {
        ADD_FAILURE() << "Qt's print support does not see the private CUPS: it was bound to another CUPS server earlier "
                         "in this process; run this test alone";
    }

    CupsTool({QStringLiteral("cupsreject"), QStringLiteral("-r"), QStringLiteral("Toner low"), Queue});
    EXPECT_EQ(SendToPrinter(nullptr, Choice(QPageSize::A4, {}, 1), TwoPages()), TPrintOutcome::Failed);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("The printer TervanixLab does not accept jobs: Toner low\rNothing was printed."));

    // A print system that does not answer is left with Cancel.
    cups.Pause(true);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] { test::CancelPrintWait(); });
    poll.start(20);
    EXPECT_EQ(SendToPrinter(nullptr, Choice(QPageSize::A4, {}, 1), TwoPages()), TPrintOutcome::Cancelled);
    poll.stop();
    cups.Pause(false);

    CupsTool({QStringLiteral("lpadmin"), QStringLiteral("-x"), Queue});
    EXPECT_EQ(SendToPrinter(nullptr, Choice(QPageSize::A4, {}, 1), TwoPages()), TPrintOutcome::Failed);
    EXPECT_EQ(messages.Last().Text.toStdString(),
              "The printer TervanixLab did not take the job: The printer or class does not exist.\rNothing was printed.");
    SetProgramDir(savedProgramDir);
}

} // namespace
} // namespace tervanix
