#include "charts/UPrintJob.h"

#include <QBuffer>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "main/UMessages.h"
#include "model/UFileStore.h"
#include "model/UTypes.h"

namespace tervanix {
namespace {

IPrintService* installed = nullptr;

// Draws the job on a painter begun on the device; a failure ends the painter before it travels on.
void DrawJob(QPagedPaintDevice& device, QPainter& painter, const TPrintJob& job) {
    TDevicePages pages(device, painter);
    try {
        if (job.Draw) job.Draw(pages);
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}

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

TPrintOutcome PrintToPdfFile(const QPrinter& printer, TPrintJob job) {
    const QString path = printer.outputFileName();
    if (path.isEmpty()) {
        ShowError(QStringLiteral("No file name was given for the PDF file."));
        return TPrintOutcome::Failed;
    }
    job.Orientation = printer.pageLayout().orientation();
    try {
        WritePdfAtomic(QFile::encodeName(path).toStdString(), job, printer.pageLayout().pageSize());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
        return TPrintOutcome::Failed;
    }
    return TPrintOutcome::Printed;
}

} // namespace

int TPrintPages::PageWidth() { return Canvas().device()->width(); }
int TPrintPages::PageHeight() { return Canvas().device()->height(); }

void TDevicePages::NewPage() {
    if (!device_.newPage()) throw EQCError("The printer refused a new page: printing was stopped.");
}

QPen PrinterPen(const QPaintDevice& device, const QColor& colour, Qt::PenStyle style) {
    const int width = std::max(1, static_cast<int>(std::lround(device.logicalDpiX() / 216.0)));
    QPen pen(colour, width, style);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QMarginsF PrintMarginsMm() { return QMarginsF(10, 10, 10, 10); }

QByteArray RenderPdf(const TPrintJob& job, const QPageSize& pageSize) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(QPageLayout(pageSize, job.Orientation, PrintMarginsMm(), QPageLayout::Millimeter));
        writer.setTitle(job.Title);
        writer.setCreator(QStringLiteral("Tervanix"));
        QPainter painter;
        if (!painter.begin(&writer)) throw EQCError("The PDF document cannot be started.");
        DrawJob(writer, painter, job);
    }
    return bytes;
}

void WritePdfAtomic(const std::string& path, const TPrintJob& job, const QPageSize& pageSize) {
    const QByteArray pdf = RenderPdf(job, pageSize);
    WriteFileAtomic(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                    "Cannot write the PDF file " + path);
}

TPrintOutcome TDialogPrintService::Print(QWidget* parent, const TPrintJob& job) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(job.Title);
    printer.setPageOrientation(job.Orientation);
    printer.setPageMargins(PrintMarginsMm(), QPageLayout::Millimeter);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
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
