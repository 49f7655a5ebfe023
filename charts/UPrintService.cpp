#include "charts/UPrintService.h"

#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "main/UMessages.h"

namespace tervanix {
namespace {

IPrintService* installed = nullptr;

TPrintOutcome PrintOnPrinter(QPrinter& printer, const TPrintJob& job) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowError(QStringLiteral("The printer %1 cannot print.").arg(printer.printerName()));
        return TPrintOutcome::Failed;
    }
    try {
        DrawJob(printer, painter, job);
    } catch (const std::exception& e) {
        // Nothing half-printed goes to the printer: the spooled pages are thrown away.
        printer.abort();
        ShowError(QString::fromLocal8Bit(e.what()));
        return TPrintOutcome::Failed;
    }
    if (printer.printerState() == QPrinter::Error) {
        ShowError(QStringLiteral("The printer %1 reported an error.").arg(printer.printerName()));
        return TPrintOutcome::Failed;
    }
    return TPrintOutcome::Printed;
}

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
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, job);
    printer.setPageMargins(PrintMarginsMm(), QPageLayout::Millimeter);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted) return TPrintOutcome::Cancelled;
    if (printer.outputFormat() == QPrinter::PdfFormat) return PrintToPdfFile(printer, job);
    return PrintOnPrinter(printer, job);
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
