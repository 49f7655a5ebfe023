#include "charts/UPrintSpool.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryFile>
#include <algorithm>
#include <utility>

#include "main/UMessages.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// A progress box that would flash for a prompt answer only comes up when the answer is slow.
constexpr int ProgressDelayMs = 400;

// CUPS's answers are read in the C locale, whatever the desktop's language.
class TProcessCommand final : public TRunningCommand {
public:
    TProcessCommand(const QStringList& command, std::function<void(const TCommandResult&)> ended) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        process_.setProcessEnvironment(environment);
        QObject::connect(&process_, &QProcess::finished, [this, ended](int code, QProcess::ExitStatus status) {
            ended({true, status == QProcess::NormalExit ? code : -1, QString::fromUtf8(process_.readAllStandardOutput()),
                   QString::fromUtf8(process_.readAllStandardError())});
        });
        QObject::connect(&process_, &QProcess::errorOccurred, [ended](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) ended({false, -1, {}, {}});
        });
        process_.start(command.value(0), command.mid(1));
    }
    ~TProcessCommand() override { Cancel(); }
    TProcessCommand(const TProcessCommand&) = delete;
    TProcessCommand& operator=(const TProcessCommand&) = delete;

    void Cancel() override {
        QObject::disconnect(&process_, nullptr, nullptr, nullptr);
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(); // a killed process ends at once; reaping it keeps no zombie
    }

private:
    QProcess process_;
};

class TCupsCommands final : public IPrintSystem {
public:
    std::unique_ptr<TRunningCommand> Start(const QStringList& command,
                                           std::function<void(const TCommandResult&)> ended) override {
        return std::make_unique<TProcessCommand>(command, std::move(ended));
    }
};

IPrintSystem* installedSystem = nullptr;

// A refusal of the print system, said to the operator as it is.
struct EPrintRefused {
    QString Message;
};

QString WithReason(const QString& text, const QString& reason) {
    return reason.isEmpty() ? text + QLatin1Char('.') : text + QStringLiteral(": ") + reason;
}

// CUPS's own words: "/usr/bin/lp: Error - The printer or class does not exist." -> "The printer or
// class does not exist."
QString CupsReason(const TCommandResult& answer) {
    QString reason = answer.Errors.trimmed();
    const qsizetype afterCommand = reason.indexOf(QStringLiteral(": "));
    if (afterCommand > 0 && !reason.left(afterCommand).contains(QLatin1Char(' '))) reason = reason.mid(afterCommand + 2);
    if (reason.startsWith(QStringLiteral("Error - "))) reason = reason.mid(8);
    return reason.isEmpty() ? QStringLiteral("the print system answered with code %1").arg(answer.ExitCode) : reason;
}

void RequireCommands(const TCommandResult& answer) {
    if (!answer.Started)
        throw EPrintRefused{QStringLiteral("The print system cannot be reached: CUPS's commands (lp, lpstat) are not "
                                           "installed.\rNothing was printed.")};
}

// The queue before anything is sent: one that refuses jobs gets none. A printer CUPS found on the
// network has no queue before its first job, and lpstat does not know it: lp then decides. nullopt
// when the operator stopped waiting.
std::optional<TQueueState> CheckQueue(QWidget* parent, const QString& printer) {
    const std::optional<TCommandResult> answer =
        RunPrintCommand(parent, QStringLiteral("Asking the printer %1 for its state…").arg(printer),
                        {QStringLiteral("lpstat"), QStringLiteral("-p"), printer, QStringLiteral("-a"), printer});
    if (!answer) return std::nullopt;
    RequireCommands(*answer);
    const TPrinterList printers = ParsePrinterList(answer->Output);
    const auto queue = printers.Queues.find(printer);
    if (queue == printers.Queues.end()) return TQueueState{};
    if (!queue->second.Accepting)
        throw EPrintRefused{WithReason(QStringLiteral("The printer %1 does not accept jobs").arg(printer), queue->second.Reason) +
                            QStringLiteral("\rNothing was printed.")};
    return queue->second;
}

// The pages as the PDF file of the same paper, orientation, margins and range: laid out in the
// PDF's resolution, not the printer's, so the printer's resolution changes nothing on paper. The
// printer's layout keeps the margins at least as wide as the edges it cannot print on.
QByteArray PrinterPdf(const TPrinterChoice& choice, TPrintJob job) {
    job.Orientation = choice.Layout.orientation();
    return RenderPdf(job, choice.Layout.pageSize(), choice.Range, choice.Layout.margins(QPageLayout::Millimeter));
}

// The range is already in the PDF; paper goes with the job so that the printer takes the right
// tray instead of fitting the pages on its default paper.
QStringList LpCommand(const TPrinterChoice& choice, const QString& title, const QString& file) {
    QStringList command = {QStringLiteral("lp"),
                           QStringLiteral("-d"),
                           choice.Printer,
                           QStringLiteral("-t"),
                           title,
                           QStringLiteral("-n"),
                           QString::number(std::max(choice.Copies, 1)),
                           QStringLiteral("-o"),
                           choice.Collate ? QStringLiteral("collate=true") : QStringLiteral("collate=false"),
                           QStringLiteral("-o"),
                           QStringLiteral("sides=") + choice.Sides};
    const QPageSize paper = choice.Layout.pageSize();
    if (paper.id() != QPageSize::Custom) command << QStringLiteral("-o") << QStringLiteral("media=") + paper.key();
    return command << file;
}

// Sends the PDF; false when the operator stopped waiting.
bool Submit(QWidget* parent, const TPrinterChoice& choice, const TPrintJob& job, const QByteArray& pdf) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tervanix-print-XXXXXX.pdf"));
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        throw EPrintRefused{QStringLiteral("The job for the printer %1 cannot be prepared: the temporary folder %2 cannot be "
                                           "written.\rNothing was printed.")
                                .arg(choice.Printer, QDir::toNativeSeparators(QDir::tempPath()))};
    file.close();
    const std::optional<TCommandResult> answer =
        RunPrintCommand(parent, QStringLiteral("Sending the job to the printer %1…").arg(choice.Printer),
                        LpCommand(choice, DocumentTitle(job), file.fileName()));
    if (!answer) return false;
    RequireCommands(*answer);
    if (answer->ExitCode != 0)
        throw EPrintRefused{QStringLiteral("The printer %1 did not take the job: %2\rNothing was printed.")
                                .arg(choice.Printer, CupsReason(*answer))};
    return true;
}

} // namespace

IPrintSystem& PrintSystem() {
    static TCupsCommands cups;
    return installedSystem ? *installedSystem : cups;
}

IPrintSystem* SetPrintSystem(IPrintSystem* system) { return std::exchange(installedSystem, system); }

// lpstat's lines: "system default destination: X", "printer X is idle.  enabled since ...",
// "printer X disabled since ... -", "X accepting requests since ...", "X not accepting requests
// since ... -"; the reason of a stopped or refusing printer follows on a line that begins with a tab.
TPrinterList ParsePrinterList(const QString& lpstatOutput) {
    const QString defaultLine = QStringLiteral("system default destination: ");
    TPrinterList printers;
    QString* reason = nullptr;
    for (const QString& line : lpstatOutput.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('\t'))) {
            if (reason && reason->isEmpty()) *reason = line.trimmed();
            continue;
        }
        reason = nullptr;
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (line.startsWith(defaultLine)) {
            printers.Default = line.mid(defaultLine.size()).trimmed();
        } else if (words.size() >= 3 && ((words[1] == QLatin1String("accepting") && words[2] == QLatin1String("requests")) ||
                                         (words[1] == QLatin1String("not") && words[2] == QLatin1String("accepting")))) {
            TQueueState& queue = printers.Queues[words[0]];
            queue.Accepting = words[1] == QLatin1String("accepting");
            if (!queue.Accepting) reason = &queue.Reason;
        } else if (words.size() >= 3 && words[0] == QLatin1String("printer")) {
            TQueueState& queue = printers.Queues[words[1]];
            queue.Stopped = words[2] == QLatin1String("disabled");
            if (queue.Stopped) reason = &queue.Reason;
        }
    }
    return printers;
}

QString PrinterStateText(const QString& printer, const TQueueState& state) {
    QStringList lines;
    if (state.Stopped) lines << WithReason(QStringLiteral("Printer %1 is stopped").arg(printer), state.Reason);
    if (!state.Accepting)
        lines << WithReason(QStringLiteral("Printer %1 does not accept jobs").arg(printer), state.Stopped ? QString() : state.Reason);
    return lines.join(QLatin1Char('\n'));
}

std::optional<TCommandResult> RunPrintCommand(QWidget* parent, const QString& waiting, const QStringList& command) {
    std::optional<TCommandResult> result;
    QEventLoop loop;
    QProgressDialog progress(waiting, QStringLiteral("Cancel"), 0, 0, parent);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(ProgressDelayMs);
    progress.setValue(0);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    const std::unique_ptr<TRunningCommand> running = PrintSystem().Start(command, [&](const TCommandResult& answer) {
        result = answer;
        loop.quit();
    });
    if (!result) loop.exec();
    if (!result) running->Cancel();
    return result;
}

std::optional<TPrinterList> AskPrinters(QWidget* parent) {
    const std::optional<TCommandResult> answer =
        RunPrintCommand(parent, QStringLiteral("Looking for the printers…"),
                        {QStringLiteral("lpstat"), QStringLiteral("-d"), QStringLiteral("-p"), QStringLiteral("-a")});
    if (!answer) return std::nullopt;
    return ParsePrinterList(answer->Output);
}

// Printing on both sides turns the sheet on its long edge, or for landscape pages on its short one.
QString CupsSides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation) {
    switch (duplex) {
    case QPrinter::DuplexLongSide: return QStringLiteral("two-sided-long-edge");
    case QPrinter::DuplexShortSide: return QStringLiteral("two-sided-short-edge");
    case QPrinter::DuplexAuto:
        return orientation == QPageLayout::Landscape ? QStringLiteral("two-sided-short-edge") : QStringLiteral("two-sided-long-edge");
    default: return QStringLiteral("one-sided");
    }
}

TPrintOutcome SendToPrinter(QWidget* parent, const TPrinterChoice& choice, const TPrintJob& job) {
    try {
        const std::optional<TQueueState> queue = CheckQueue(parent, choice.Printer);
        if (!queue) return TPrintOutcome::Cancelled;
        if (!Submit(parent, choice, job, PrinterPdf(choice, job))) return TPrintOutcome::Cancelled;
        RememberPrinter(choice.Printer);
        // A stopped printer keeps the job in its queue until it is started again.
        if (queue->Stopped)
            ShowInformation(WithReason(QStringLiteral("The job waits in the queue of the printer %1, which is stopped")
                                           .arg(choice.Printer),
                                       queue->Reason));
        return TPrintOutcome::Printed;
    } catch (const EPrintRefused& refused) {
        ShowError(refused.Message);
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    return TPrintOutcome::Failed;
}

namespace {
std::string LastPrinterFile() { return BasePath + ".printer"; }
} // namespace

QString LastPrinter() {
    const std::optional<std::string> text = ReadWholeFile(LastPrinterFile(), 4096);
    return text ? QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())).trimmed() : QString();
}

void RememberPrinter(const QString& printer) {
    if (printer == LastPrinter()) return;
    try {
        WriteFileAtomic(LastPrinterFile(), (printer + QLatin1Char('\n')).toStdString(), "Cannot save the printer");
    } catch (const EQCError&) {
        // Only the preselection of the next print is lost.
    }
}

QString PreferredPrinter(const QString& last, const TPrinterList& printers) {
    if (printers.Queues.count(last)) return last;
    if (printers.Queues.count(printers.Default)) return printers.Default;
    return {};
}

void ShowPrinterStates(QPrintDialog& dialog, const TPrinterList& printers) {
    auto* choice = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
    auto* layout = qobject_cast<QBoxLayout*>(dialog.layout());
    if (!choice || !layout) return;
    auto* state = new QLabel(&dialog);
    state->setObjectName(QStringLiteral("printerState"));
    state->setWordWrap(true);
    layout->insertWidget(std::max(0, layout->count() - 1), state);
    const auto show = [state, printers](const QString& printer) {
        const auto queue = printers.Queues.find(printer);
        state->setText(queue == printers.Queues.end() ? QString() : PrinterStateText(printer, queue->second));
        state->setVisible(!state->text().isEmpty());
    };
    QObject::connect(choice, &QComboBox::currentTextChanged, state, show);
    show(choice->currentText());
}

} // namespace tervanix
