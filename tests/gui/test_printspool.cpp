// Printing on the printers of the system through CUPS's commands, with a print system that
// refuses, stalls or fails in place of CUPS: what reaches the printer, what the operator is told,
// which window stays open, and that a print system that does not answer can be left.
#include <QApplication>
#include <QCalendarWidget>
#include <QFile>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

#include "charts/UDailyQC.h"
#include "charts/UPrintSpool.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

const QString Ready = QStringLiteral("printer Lab is idle.  enabled since Tue Dec  8 20:19:08 2026\n"
                                     "Lab accepting requests since Tue Dec  8 20:19:08 2026\n");

// CUPS's commands as told: each program answers its script, or never (nullopt), as a print system
// that hangs; the PDF given to lp is kept.
class TFakeCups final : public IPrintSystem {
public:
    TFakeCups() : previous_(SetPrintSystem(this)) {}
    ~TFakeCups() override { SetPrintSystem(previous_); }
    TFakeCups(const TFakeCups&) = delete;
    TFakeCups& operator=(const TFakeCups&) = delete;

    std::unique_ptr<TRunningCommand> Start(const QStringList& command,
                                           std::function<void(const TCommandResult&)> ended) override {
        Commands.push_back(command);
        QFile file(command.last());
        if (command[0] == QLatin1String("lp") && file.open(QIODevice::ReadOnly)) SentPdf = file.readAll();
        std::optional<TCommandResult> answer = Answers[command[0]];
        if (!Next.empty()) {
            answer = Next.front();
            Next.pop_front();
        }
        if (answer) ended(*answer);
        return std::make_unique<TCommand>(Cancelled);
    }
    bool Ran(const QString& program) const {
        return std::any_of(Commands.begin(), Commands.end(), [&](const QStringList& c) { return c[0] == program; });
    }

    std::map<QString, std::optional<TCommandResult>> Answers = {
        {QStringLiteral("lpstat"), TCommandResult{true, 0, Ready, {}}},
        {QStringLiteral("lp"), TCommandResult{true, 0, QStringLiteral("request id is Lab-7 (1 file(s))\n"), {}}}};
    std::deque<std::optional<TCommandResult>> Next; // the answers to the next commands, before those above
    std::vector<QStringList> Commands;
    QByteArray SentPdf;
    int Cancelled = 0;

private:
    struct TCommand final : TRunningCommand {
        explicit TCommand(int& cancelled) : cancelled_(cancelled) {}
        void Cancel() override { ++cancelled_; }
        int& cancelled_;
    };
    IPrintSystem* previous_;
};

// The print dialog's place taken by a choice made beforehand: the window's Print goes to the printer.
class TChosenPrinter final : public IPrintService {
public:
    explicit TChosenPrinter(TPrinterChoice choice) : choice_(std::move(choice)), previous_(SetPrintService(this)) {}
    ~TChosenPrinter() override { SetPrintService(previous_); }
    TChosenPrinter(const TChosenPrinter&) = delete;
    TChosenPrinter& operator=(const TChosenPrinter&) = delete;
    TPrintOutcome Print(QWidget* parent, const TPrintJob& job) override { return SendToPrinter(parent, choice_, job); }

private:
    TPrinterChoice choice_;
    IPrintService* previous_;
};

TPrinterChoice LabA4() {
    return {QStringLiteral("Lab"), QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, PrintMarginsMm()), {}, 1, true};
}

TPrintJob TwoPageJob() { return test::NumberedRowsJob(70); }

// Every word of the PDF with its place on the page, as pdftotext -bbox reads them.
QStringList PlacedWords(const QByteArray& pdf) {
    const QString html = test::PdfToolOutput(pdf, QStringLiteral("pdftotext"),
                                             {QStringLiteral("-bbox"), QStringLiteral("%file"), QStringLiteral("-")});
    return html.split(QLatin1Char('\n')).filter(QStringLiteral("<word "));
}

class PrintSpoolTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        savedProgramDir_ = ProgramDir;
        SetProgramDir(folder_.path().toStdString());
        SetClock([] { return EncodeDate(2026, 12, 8) + 0.5; });
    }
    void TearDown() override {
        SetProgramDir(savedProgramDir_);
        SetClock(nullptr);
    }
    // Print, then Cancel while CUPS is waited for: the printout goes to a PDF file named as offered.
    void ExpectPdfOnlyWhenCupsDoesNotAnswer();

    QTemporaryDir folder_;
    std::string savedProgramDir_;
    test::TScriptedMessages messages_;
    TFakeCups cups_;
};

TEST(ParsePrinterList, ReadsDefaultStoppedAndRefusingQueuesWithTheirReasons) {
    const TPrinterList printers = ParsePrinterList(QStringLiteral(
        "system default destination: Front\n"
        "printer Front is idle.  enabled since Tue Dec  8 20:19:08 2026\n"
        "\tOut of service\n" // a message of a printer that prints: no reason to refuse
        "printer Back disabled since Tue Dec  8 20:19:08 2026 -\n"
        "\tPaper jam\n"
        "printer Side now printing Side-3.  enabled since Tue Dec  8 20:19:08 2026\n"
        "Front not accepting requests since Tue Dec  8 20:19:08 2026 -\n"
        "\tOut of service\n"
        "Back accepting requests since Tue Dec  8 20:19:08 2026\n"));
    EXPECT_EQ(printers.Default, QStringLiteral("Front"));
    struct TCase {
        const char* Name;
        bool Accepting, Stopped;
        const char* State;
    };
    const TCase cases[] = {
        {"Front", false, false, "Printer Front does not accept jobs: Out of service"},
        {"Back", true, true, "Printer Back is stopped: Paper jam"},
        {"Side", true, false, ""},
    };
    ASSERT_EQ(printers.Queues.size(), 3u);
    for (const TCase& c : cases) {
        const TQueueState& queue = printers.Queues.at(QString::fromLatin1(c.Name));
        EXPECT_EQ(queue.Accepting, c.Accepting) << c.Name;
        EXPECT_EQ(queue.Stopped, c.Stopped) << c.Name;
        EXPECT_EQ(PrinterStateText(QString::fromLatin1(c.Name), queue), QString::fromLatin1(c.State));
    }
    EXPECT_TRUE(ParsePrinterList(QStringLiteral("no system default destination\n")).Default.isEmpty());
}

TEST(PreferredPrinter, TheLastUsedWhileItExistsElseTheSystemsDefault) {
    TPrinterList printers;
    printers.Queues = {{QStringLiteral("Annex"), {}}, {QStringLiteral("Front"), {}}, {QStringLiteral("Lab"), {}}};
    printers.Default = QStringLiteral("Front");
    const std::pair<const char*, const char*> cases[] = {{"Lab", "Lab"}, {"", "Front"}, {"Deleted", "Front"}};
    for (const auto& [last, preferred] : cases)
        EXPECT_EQ(PreferredPrinter(QString::fromLatin1(last), printers), QString::fromLatin1(preferred)) << last;
    printers.Default.clear();
    EXPECT_TRUE(PreferredPrinter({}, printers).isEmpty()); // Qt's choice stands
}

TEST(CupsSides, TheDialogsDuplexChoiceTurnsTheSheetOnTheEdgeThePagesNeed) {
    struct TCase {
        QPrinter::DuplexMode Duplex;
        QPageLayout::Orientation Orientation;
        const char* Sides;
    };
    const TCase cases[] = {{QPrinter::DuplexNone, QPageLayout::Portrait, "one-sided"},
                           {QPrinter::DuplexLongSide, QPageLayout::Landscape, "two-sided-long-edge"},
                           {QPrinter::DuplexShortSide, QPageLayout::Portrait, "two-sided-short-edge"},
                           {QPrinter::DuplexAuto, QPageLayout::Portrait, "two-sided-long-edge"},
                           {QPrinter::DuplexAuto, QPageLayout::Landscape, "two-sided-short-edge"}};
    for (const TCase& c : cases) EXPECT_EQ(CupsSides(c.Duplex, c.Orientation), QString::fromLatin1(c.Sides)) << c.Sides;
}

// What CUPS answers decides what the operator hears and whether the job counts as printed.
TEST_F(PrintSpoolTest, TheQueueIsCheckedBeforeAndCupsAnswerReadAfter) {
    struct TCase {
        const char* What;
        std::optional<TCommandResult> Lpstat, Lp;
        TPrintOutcome Outcome;
        bool Sent;
        QString Message;
    };
    const TCommandResult sent{true, 0, QStringLiteral("request id is Lab-7 (1 file(s))\n"), {}};
    const TCommandResult unknown{true, 1, {}, QStringLiteral("lpstat: Invalid destination name in list \"Lab\".\n")};
    const TCase cases[] = {
        {"deleted", unknown, TCommandResult{true, 1, {}, QStringLiteral("/usr/bin/lp: Error - The printer or class does not exist.\n")},
         TPrintOutcome::Failed, true, QStringLiteral("The printer Lab did not take the job: The printer or class does not exist.\rNothing was printed.")},
        {"found on the network", unknown, sent, TPrintOutcome::Printed, true, {}},
        {"rejecting",
         TCommandResult{true, 0, QStringLiteral("printer Lab is idle.  enabled\nLab not accepting requests since X -\n\tToner\n"), {}},
         sent, TPrintOutcome::Failed, false, QStringLiteral("The printer Lab does not accept jobs: Toner\rNothing was printed.")},
        {"refused", TCommandResult{true, 0, Ready, {}},
         TCommandResult{true, 1, {}, QStringLiteral("lp: Error - The printer or class does not exist.\n")}, TPrintOutcome::Failed,
         true, QStringLiteral("The printer Lab did not take the job: The printer or class does not exist.\rNothing was printed.")},
        {"no CUPS", TCommandResult{false, -1, {}, {}}, sent, TPrintOutcome::Failed, false,
         QStringLiteral("The print system cannot be reached: CUPS's commands (lp, lpstat) are not installed.\rNothing was printed.")},
        {"stopped", TCommandResult{true, 0, QStringLiteral("printer Lab disabled since X -\n\tPaper jam\nLab accepting requests\n"), {}},
         sent, TPrintOutcome::Printed, true, QStringLiteral("The job waits in the queue of the printer Lab, which is stopped: Paper jam")},
        {"taken", TCommandResult{true, 0, Ready, {}}, sent, TPrintOutcome::Printed, true, {}},
    };
    for (const TCase& c : cases) {
        TFakeCups cups;
        cups.Answers = {{QStringLiteral("lpstat"), c.Lpstat}, {QStringLiteral("lp"), c.Lp}};
        const std::size_t before = messages_.Recorded().size();
        EXPECT_EQ(SendToPrinter(nullptr, LabA4(), TwoPageJob()), c.Outcome) << c.What;
        EXPECT_EQ(cups.Ran(QStringLiteral("lp")), c.Sent) << c.What;
        EXPECT_EQ(messages_.Recorded().size() > before ? messages_.Last().Text : QString(), c.Message) << c.What;
        EXPECT_EQ(LastPrinter(), c.Outcome == TPrintOutcome::Printed ? QStringLiteral("Lab") : QString()) << c.What;
        QFile::remove(QString::fromStdString(BasePath + ".printer"));
    }
}

// Paper, orientation, margins inside the printable area and the range chosen: the printer gets the
// very pages the PDF file of the same choice has, whatever the printer's resolution.
TEST_F(PrintSpoolTest, ThePrinterGetsThePagesOfThePdfFileOfTheSameChoice) {
    const QMarginsF chosen(10, 10, 10, 10), printable(25, 25, 25, 25);
    TPrinterChoice choice = {QStringLiteral("Lab"),
                             QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, chosen, QPageLayout::Millimeter, printable),
                             {2, 2}, 3, false, QStringLiteral("two-sided-short-edge")};
    ASSERT_EQ(SendToPrinter(nullptr, choice, TwoPageJob()), TPrintOutcome::Printed);
    TPrintJob landscape = TwoPageJob();
    landscape.Orientation = QPageLayout::Landscape;
    const QByteArray file = RenderPdf(landscape, QPageSize(QPageSize::Letter), {2, 2}, printable);
    ASSERT_EQ(test::PdfPages(file).size(), 1);
    EXPECT_EQ(PlacedWords(cups_.SentPdf), PlacedWords(file));
    const QStringList lp = cups_.Commands.back();
    const QString options = lp.mid(0, lp.size() - 1).join(QLatin1Char(' '));
    EXPECT_EQ(options, QStringLiteral("lp -d Lab -t QC data - Glucose -n 3 -o collate=false -o sides=two-sided-short-edge -o media=Letter"));
    EXPECT_FALSE(QFile::exists(lp.last())); // the job's file goes once CUPS has it
}

// The window that printed stays open for another try after a refusal or a cancelled wait, and
// closes once CUPS has taken the job; the program answers while CUPS does not.
TEST_F(PrintSpoolTest, DailyQCStaysOpenUntilCupsTakesTheJobAndAHangingPrintSystemCanBeLeft) {
    TAnalyte& glucose = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 1, false));
    TResu run = test::MakeRun(EncodeDate(2026, 12, 8) + 0.4, {});
    run.Levels[0] = TLevelResult{5.5f, qsInControl, {}};
    glucose.AddPoint(run);
    const TChosenPrinter printer(LabA4());
    TWinDailyQC window;
    test::ShowActive(&window);

    cups_.Answers[QStringLiteral("lp")] = std::nullopt; // CUPS takes the job and never answers
    bool progressSeen = false;
    std::function<void()> cancelWhenUp = [&] {
        if (!(progressSeen = test::CancelPrintWait())) QTimer::singleShot(20, cancelWhenUp);
    };
    QTimer::singleShot(0, cancelWhenUp);
    test::Click(window.BtPrn());
    EXPECT_TRUE(progressSeen);
    EXPECT_EQ(cups_.Cancelled, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(messages_.Recorded().empty());

    cups_.Answers[QStringLiteral("lp")] = TCommandResult{true, 1, {}, QStringLiteral("lp: Destination \"Lab\" is not accepting jobs.\n")};
    test::Click(window.BtPrn());
    ASSERT_FALSE(messages_.Recorded().empty());
    EXPECT_EQ(messages_.Last().Text,
              QStringLiteral("The printer Lab did not take the job: Destination \"Lab\" is not accepting jobs.\rNothing was printed."));
    EXPECT_TRUE(window.isVisible());

    cups_.Answers[QStringLiteral("lp")] = TCommandResult{true, 0, {}, {}};
    test::Click(window.BtPrn());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(test::PdfText(cups_.SentPdf).contains(QStringLiteral("Cumulative daily QC")));
    EXPECT_EQ(LastPrinter(), QStringLiteral("Lab"));
    Analytes.FreeAll();
}

// While CUPS does not answer, Qt's print dialog would freeze the program: the operator who stops
// waiting may still write the printout to a PDF file.
TEST_F(PrintSpoolTest, APrintSystemThatDoesNotAnswerStillLetsThePrintoutBeWrittenToAPdfFile) {
    cups_.Answers[QStringLiteral("lpstat")] = std::nullopt;
    ExpectPdfOnlyWhenCupsDoesNotAnswer();
}

// The print dialog was opened while CUPS answered; CUPS stopped answering before Print was pressed.
TEST_F(PrintSpoolTest, APrintSystemThatStopsAnsweringWhileTheDialogIsOpenIsMetWithCancel) {
    cups_.Next = {TCommandResult{true, 0, Ready, {}}};
    cups_.Answers[QStringLiteral("lpstat")] = std::nullopt;
    ExpectPdfOnlyWhenCupsDoesNotAnswer();
}

void PrintSpoolTest::ExpectPdfOnlyWhenCupsDoesNotAnswer() {
    QTimer operatorHand;
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            files->setDirectory(folder_.path());
            static_cast<QDialog*>(files)->accept();
        }
        // Print is pressed after this tick: the hand goes on while Print waits for CUPS.
        if (auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()))
            QTimer::singleShot(0, print, [print] { print->accept(); });
        test::CancelPrintWait();
    });
    operatorHand.start(20);
    TDialogPrintService dialog;
    EXPECT_EQ(dialog.Print(nullptr, TwoPageJob()), TPrintOutcome::Printed);
    ASSERT_FALSE(messages_.Recorded().empty());
    EXPECT_EQ(messages_.Last().Text, QStringLiteral("The print system does not answer: no printer can be reached now.\r"
                                                    "The printout can be written to a PDF file."));
    QFile file(folder_.filePath(QStringLiteral("QC data - Glucose 2026-12-08.pdf"))); // the name offered
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(test::PdfPages(file.readAll()).size(), 2);
    EXPECT_EQ(cups_.Cancelled, 1);
}

} // namespace
} // namespace tervanix
