#include "charts/UPrintService.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopedValueRollback>

#include "charts/UPrintSpool.h"
#include "main/UMessages.h"

namespace tervanix {
namespace {

IPrintService* installed = nullptr;

// The pages chosen in the dialog; every page unless a range was chosen.
TPageRange ChosenPages(const QPrinter& printer) {
    if (printer.printRange() != QPrinter::PageRange || printer.fromPage() <= 0) return {};
    return {printer.fromPage(), printer.toPage()};
}

TPrintOutcome PrintToPdfFile(const QPrinter& printer, TPrintJob job) {
    const QString path = printer.outputFileName();
    if (path.isEmpty()) {
        ShowError(QStringLiteral("No file name was given for the PDF file."));
        return TPrintOutcome::Failed;
    }
    job.Orientation = printer.pageLayout().orientation();
    try {
        WritePdfAtomic(QFile::encodeName(path).toStdString(), job, printer.pageLayout().pageSize(), ChosenPages(printer),
                       printer.pageLayout().margins(QPageLayout::Millimeter));
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
        return TPrintOutcome::Failed;
    }
    return TPrintOutcome::Printed;
}

// While the print system does not answer, Qt's print dialog would freeze the program asking it for
// its printers: the printout can still be written to a PDF file.
TPrintOutcome PrintToPdfOnly(QWidget* parent, const TPrintJob& job) {
    ShowWarning(QStringLiteral("The print system does not answer: no printer can be reached now.\r"
                               "The printout can be written to a PDF file."));
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Print to File (PDF)"),
                                     QDir::home().filePath(DefaultPdfFileName(job)), QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty()) return TPrintOutcome::Cancelled;
    try {
        WritePdfAtomic(QFile::encodeName(path).toStdString(), job, QPageSize(LocalePaper(QLocale())));
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
        return TPrintOutcome::Failed;
    }
    return TPrintOutcome::Printed;
}

// Qt's print dialog asks CUPS again, on the GUI thread, when Print is pressed in it: CUPS is asked
// beside the program first, so that a print system that stopped answering while the dialog was open
// meets the progress box and its Cancel instead of freezing the program.
class TCheckedPrintDialog final : public QPrintDialog {
public:
    using QPrintDialog::QPrintDialog;
    void accept() override {
        // Print pressed again before the progress box is up waits for the first answer.
        if (asking_) return;
        std::optional<TPrinterList> printers;
        {
            const QScopedValueRollback asking(asking_, true);
            printers = AskPrinters(this);
        }
        if (printers) return QPrintDialog::accept();
        printSystemLost_ = true;
        reject();
    }
    bool PrintSystemLost() const { return printSystemLost_; }

private:
    bool asking_ = false;
    bool printSystemLost_ = false;
};

TPrinterChoice ChoiceOf(const QPrinter& printer) {
    return {printer.printerName(), printer.pageLayout(), ChosenPages(printer), printer.copyCount(), printer.collateCopies(),
            CupsSides(printer.duplex(), printer.pageLayout().orientation())};
}

} // namespace

void PreparePrinter(QPrinter& printer, const TPrintJob& job) {
    // The dialog offers the document's name as the PDF file's name: give it one a file can have.
    QString name = DefaultPdfFileName(job);
    name.chop(4);
    printer.setDocName(name);
    // Without a system printer the paper is the PDF's: that of the country.
    if (QPrinterInfo::defaultPrinter().isNull()) printer.setPageSize(QPageSize(LocalePaper(QLocale())));
    printer.setPageOrientation(job.Orientation);
}

TPrintOutcome TDialogPrintService::Print(QWidget* parent, const TPrintJob& job) {
    // A Print pressed again while the print system is asked waits for the first job.
    static bool printing = false;
    if (printing) return TPrintOutcome::Cancelled;
    const QScopedValueRollback busy(printing, true);
    const std::optional<TPrinterList> printers = AskPrinters(parent);
    if (!printers) return PrintToPdfOnly(parent, job);
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, job);
    if (const QString preferred = PreferredPrinter(LastPrinter(), *printers); !preferred.isEmpty())
        printer.setPrinterName(preferred);
    printer.setPageMargins(PrintMarginsMm(), QPageLayout::Millimeter);
    TCheckedPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintPageRange);
    ShowPrinterStates(dialog, *printers);
    if (dialog.exec() != QDialog::Accepted)
        return dialog.PrintSystemLost() ? PrintToPdfOnly(parent, job) : TPrintOutcome::Cancelled;
    if (printer.outputFormat() == QPrinter::PdfFormat) return PrintToPdfFile(printer, job);
    return SendToPrinter(parent, ChoiceOf(printer), job);
}

IPrintService& PrintService() {
    static TDialogPrintService dialog;
    return installed ? *installed : dialog;
}

IPrintService* SetPrintService(IPrintService* service) {
    IPrintService* previous = installed;
    installed = service;
    return previous;
}

TPrintOutcome PrintJob(QWidget* parent, const TPrintJob& job) { return PrintService().Print(parent, job); }

} // namespace tervanix
