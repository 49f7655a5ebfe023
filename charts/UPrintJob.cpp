#include "charts/UPrintJob.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "model/UFileStore.h"
#include "model/UTypes.h"

namespace tervanix {

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

} // namespace tervanix
