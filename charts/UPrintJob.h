// Print jobs: what a print routine draws on, and the PDF pages of a job. Every print routine draws
// on a TPrintPages, so the printer chosen in the print dialog (charts/UPrintService.h), a PDF file
// written by tervanix-cli and a test's pages all come from the same drawing code.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPen>
#include <QString>
#include <functional>
#include <string>

#include "model/UTypes.h"

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

// Ends the painter's page and begins it on the next one that `startPage` makes, with the font, pen
// and brush it had, as a printer's next page goes on.
void ContinuePainting(QPainter& painter, const std::function<void()>& startPage);

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
    QString Title; // the job's name in the printer queue, unless Document names it
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    std::function<void(TPrintPages&)> Draw;
    // What the pages are, and of which analyte or day ("QC charts - Glucose"), and the ISO date that
    // goes with it: the PDF's title and, together, the name offered for its file.
    QString Document = {};
    QString DocumentDate = {};
};

// The date in ISO form (2026-12-08), as file names carry it.
QString IsoDate(TDateTime day);
// The job with its document named: `document` and the ISO date of `day`.
TPrintJob NamedJob(TPrintJob job, const QString& document, TDateTime day);

// The name offered for the job's PDF file: the document, its date and ".pdf", with every character
// that a file name cannot hold on the usual file systems (/ \ : * ? " < > | and controls) made "-".
QString DefaultPdfFileName(const TPrintJob& job);
// The title the PDF carries, and the name of the job in the printer queue.
QString DocumentTitle(const TPrintJob& job);

// Pages From..To of a job (1-based, both included); From = 0 means every page.
struct TPageRange {
    int From = 0;
    int To = 0;
};

// The paper of a PDF where the reader's locale is known: Letter in the United States and Canada,
// A4 elsewhere.
QPageSize::PageSizeId LocalePaper(const QLocale& locale);

// Resolution and margins of the PDF files the program writes.
constexpr int PdfResolution = 300;
QMarginsF PrintMarginsMm();

// Draws the job on a painter begun on the device (a printer or a PDF writer); the painter is ended
// afterwards, also when drawing fails (the exception then travels on).
// Only the pages of `range` reach the device; a range that starts beyond the last page throws
// EQCError before anything is drawn.
void DrawJob(QPagedPaintDevice& device, QPainter& painter, const TPrintJob& job, TPageRange range = {});

// The job's pages as a PDF document in memory (A4 unless told). Throws EQCError when drawing fails.
// `marginsMm` are the margins chosen in the print dialog, else the program's.
QByteArray RenderPdf(const TPrintJob& job, const QPageSize& pageSize = QPageSize(QPageSize::A4), TPageRange range = {},
                     const QMarginsF& marginsMm = PrintMarginsMm());
// The same written to a file through the house's atomic write: a failure leaves no file behind and
// keeps a previous one. Throws EQCError("Cannot write the PDF file PATH").
void WritePdfAtomic(const std::string& path, const TPrintJob& job, const QPageSize& pageSize = QPageSize(QPageSize::A4),
                    TPageRange range = {}, const QMarginsF& marginsMm = PrintMarginsMm());

} // namespace tervanix
