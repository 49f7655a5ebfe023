// Test helpers for printing: pages drawn on images (for pixels), a print service that keeps the
// jobs as PDF documents instead of opening the print dialog, and the text of a PDF as pdftotext
// reads it (what a reader searches and selects).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "charts/UPrintService.h"

namespace tervanix::test {

// Pages of the given size in pixels at the given resolution, white, each an image.
class TImagePages final : public TPrintPages {
public:
    explicit TImagePages(QSize size = QSize(794, 1123), int dotsPerInch = 96);
    ~TImagePages() override;
    QPainter& Canvas() override { return painter_; }
    void NewPage() override;
    // Ends the painting; the images are then complete.
    void Finish();
    const std::vector<QImage>& Images() const { return images_; }

private:
    void StartPage();
    QSize size_;
    int dotsPerInch_;
    std::vector<QImage> images_;
    QPainter painter_;
};

// Installed for its lifetime: every job is rendered to a PDF (A4) and kept; answers as told.
class TPdfPrintService final : public IPrintService {
public:
    TPdfPrintService();
    ~TPdfPrintService() override;
    TPdfPrintService(const TPdfPrintService&) = delete;
    TPdfPrintService& operator=(const TPdfPrintService&) = delete;

    TPrintOutcome Print(QWidget* parent, const TPrintJob& job) override;
    // The next jobs are cancelled in the dialog (nothing drawn).
    void CancelJobs(bool cancel) { cancel_ = cancel; }
    int JobCount() const { return static_cast<int>(pdfs_.size()); }
    const QByteArray& LastPdf() const { return pdfs_.back(); }
    const QString& LastTitle() const { return lastTitle_; }

private:
    IPrintService* previous_;
    bool cancel_ = false;
    std::vector<QByteArray> pdfs_;
    QString lastTitle_;
};

// A table of numbered rows ("row 1", ...) titled "Rows", the document "QC data - Glucose" of
// 2026-12-08: 35 rows fill about one A4 page.
TPrintJob NumberedRowsJob(int rows);
// Presses Cancel on the progress box shown while the print system is waited for; false when none is up.
bool CancelPrintWait();

// What a poppler tool prints about the PDF; "%file" among the arguments stands for the PDF's file.
QString PdfToolOutput(const QByteArray& pdf, const QString& tool, QStringList arguments);
// The text of each page of the PDF, in reading order (pdftotext -layout).
QStringList PdfPages(const QByteArray& pdf);
QString PdfText(const QByteArray& pdf);
// The lines of a page with their runs of blanks reduced to one.
QStringList PageLines(const QString& page);

} // namespace tervanix::test
