// Print jobs: what a print routine draws on, and the PDF pages of a job. Every print routine draws
// on a TPrintPages, so the printer chosen in the print dialog (charts/UPrintService.h), a PDF file
// written by tervanix-cli and a test's pages all come from the same drawing code.
#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QPageSize>
#include <QPen>
#include <QString>
#include <functional>
#include <string>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace tervanix {

// The pages of one print job as a canvas in device pixels. The page size is the printable area.
class TPrintPages {
public:
    virtual ~TPrintPages() = default;
    virtual QPainter& Canvas() = 0;
    // Starts the next page; throws EQCError when the device refuses it (the job is then abandoned).
    virtual void NewPage() = 0;
    int PageWidth();
    int PageHeight();
};

// Pages of a printer or a PDF writer, drawn by a painter already begun on it.
class TDevicePages final : public TPrintPages {
public:
    TDevicePages(QPagedPaintDevice& device, QPainter& canvas) : device_(device), canvas_(canvas) {}
    QPainter& Canvas() override { return canvas_; }
    void NewPage() override;

private:
    QPagedPaintDevice& device_;
    QPainter& canvas_;
};

// A pen of one printer line: a hair of about a third of a point whatever the device's resolution,
// so that lines stay visible on a 1200-dpi printer.
QPen PrinterPen(const QPaintDevice& device, const QColor& colour = Qt::black, Qt::PenStyle style = Qt::SolidLine);

struct TPrintJob {
    QString Title; // the job's name in the printer queue and the PDF's title
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    std::function<void(TPrintPages&)> Draw;
};

// Resolution and margins of the PDF files the program writes.
constexpr int PdfResolution = 300;
QMarginsF PrintMarginsMm();

// Draws the job on a painter begun on the device (a printer or a PDF writer); the painter is ended
// afterwards, also when drawing fails (the exception then travels on).
void DrawJob(QPagedPaintDevice& device, QPainter& painter, const TPrintJob& job);

// The job's pages as a PDF document in memory (A4 unless told). Throws EQCError when drawing fails.
QByteArray RenderPdf(const TPrintJob& job, const QPageSize& pageSize = QPageSize(QPageSize::A4));
// The same written to a file through the house's atomic write: a failure leaves no file behind and
// keeps a previous one. Throws EQCError("Cannot write the PDF file PATH").
void WritePdfAtomic(const std::string& path, const TPrintJob& job, const QPageSize& pageSize = QPageSize(QPageSize::A4));

} // namespace tervanix
