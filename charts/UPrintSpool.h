// Printing on the printers of the system. A job goes to the printer as the PDF that "Print to File"
// writes (the same pages on paper and in the file, whatever the printer's resolution), handed to
// CUPS through its commands (lpstat, lp) run beside the program: a print system that does not
// answer never freezes the program, a progress box lets the operator stop waiting, and every
// refusal is said with the printer's name and CUPS's reason.
#pragma once

#include <QPageLayout>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "charts/UPrintService.h"

class QPrintDialog;
class QWidget;

namespace tervanix {

// What a command of the print system answered.
struct TCommandResult {
    bool Started = true; // false: the command could not be run (CUPS's commands are not installed)
    int ExitCode = 0;
    QString Output;
    QString Errors;
};

// A command of the print system while it runs; Cancel() ends it and nothing is reported after.
class TRunningCommand {
public:
    virtual ~TRunningCommand() = default;
    virtual void Cancel() = 0;
};

// How the program runs the print system's commands; tests install one that refuses, stalls or fails.
class IPrintSystem {
public:
    virtual ~IPrintSystem() = default;
    // Starts command[0] with the other items as arguments, in the C locale. `ended` is called on the
    // GUI thread when the command has ended (possibly before Start returns), never after Cancel().
    virtual std::unique_ptr<TRunningCommand> Start(const QStringList& command,
                                                   std::function<void(const TCommandResult&)> ended) = 0;
};

IPrintSystem& PrintSystem();
// Installs a print system (not owned; nullptr restores CUPS's commands) and returns the previous one.
IPrintSystem* SetPrintSystem(IPrintSystem* system);

// A printer queue as CUPS reports it.
struct TQueueState {
    bool Accepting = true;
    bool Stopped = false;
    QString Reason; // why it is stopped or refuses jobs, as the administrator or the printer said
};

struct TPrinterList {
    std::map<QString, TQueueState> Queues;
    QString Default; // the system's default printer, empty when none is set
};

// The printers of `lpstat -d -p -a` (or any part of it), read in the C locale.
TPrinterList ParsePrinterList(const QString& lpstatOutput);
// "Printer X is stopped: reason" and the like; empty for a printer ready to print.
QString PrinterStateText(const QString& printer, const TQueueState& state);

// Runs the command while a progress box saying `waiting` (shown when the answer is slow) offers
// Cancel. nullopt when the operator cancelled; the command is then ended.
std::optional<TCommandResult> RunPrintCommand(QWidget* parent, const QString& waiting, const QStringList& command);

// The printers of the system; nullopt when the operator stopped waiting for a print system that
// does not answer. A machine without CUPS has none.
std::optional<TPrinterList> AskPrinters(QWidget* parent);

// What the print dialog chose on a printer of the system.
struct TPrinterChoice {
    QString Printer;
    QPageLayout Layout;
    TPageRange Range;
    int Copies = 1;
    bool Collate = true;
    QString Sides = QStringLiteral("one-sided"); // CUPS's sides: one-sided, two-sided-long-edge, ...
};

// CUPS's name of the dialog's duplex choice.
QString CupsSides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation);

// Sends the job to the printer: the queue is checked first (one that refuses jobs is said, and
// nothing is sent), the pages are laid out as the PDF file of the same choice, and CUPS's answer to
// the job is read (a printer that is gone is said then). Printed only when CUPS took the job; the printer is then remembered.
TPrintOutcome SendToPrinter(QWidget* parent, const TPrinterChoice& choice, const TPrintJob& job);

// The printer the job was last sent to, kept beside the data file (BasePath + ".printer").
QString LastPrinter();
void RememberPrinter(const QString& printer);
// The printer the print dialog offers first: the last one used while it exists, else the system's
// default; empty when neither is known.
QString PreferredPrinter(const QString& last, const TPrinterList& printers);
// Shows under the dialog's printer the state of a stopped printer or one that refuses jobs.
void ShowPrinterStates(QPrintDialog& dialog, const TPrinterList& printers);

} // namespace tervanix
