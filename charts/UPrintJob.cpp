#include "charts/UPrintJob.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "model/UDateTime.h"
#include "model/UFileStore.h"
#include "model/UTypes.h"

namespace tervanix {

namespace {

// A page recorded with the metrics of the device it will be played on, so that it is laid out as
// the device would have it.
class TPageRecord final : public QPicture {
public:
    explicit TPageRecord(const QPaintDevice& model)
        : metrics_{{PdmWidth, model.width()},
                   {PdmHeight, model.height()},
                   {PdmWidthMM, model.widthMM()},
                   {PdmHeightMM, model.heightMM()},
                   {PdmNumColors, model.colorCount()},
                   {PdmDepth, model.depth()},
                   {PdmDpiX, model.logicalDpiX()},
                   {PdmDpiY, model.logicalDpiY()},
                   {PdmPhysicalDpiX, model.physicalDpiX()},
                   {PdmPhysicalDpiY, model.physicalDpiY()}} {}

protected:
    int metric(PaintDeviceMetric m) const override {
        for (const auto& [which, value] : metrics_)
            if (which == m) return value;
        return QPicture::metric(m);
    }

private:
    std::vector<std::pair<PaintDeviceMetric, int>> metrics_;
};

// The pages of a job kept as pictures, so that a range of them can be played on the device.
class TRecordedPages final : public TPrintPages {
public:
    explicit TRecordedPages(const QPaintDevice& model) : model_(model) { StartPage(); }
    QPainter& Canvas() override { return painter_; }
    void NewPage() override {
        ContinuePainting(painter_, [this] { StartPage(); });
    }
    std::vector<std::unique_ptr<TPageRecord>> Finish() {
        painter_.end();
        return std::move(pages_);
    }

private:
    void StartPage() {
        pages_.push_back(std::make_unique<TPageRecord>(model_));
        painter_.begin(pages_.back().get());
    }
    const QPaintDevice& model_;
    std::vector<std::unique_ptr<TPageRecord>> pages_;
    QPainter painter_;
};

void PlayPages(QPagedPaintDevice& device, QPainter& painter, const TPrintJob& job, TPageRange range) {
    TRecordedPages recorded(device);
    if (job.Draw) job.Draw(recorded);
    const std::vector<std::unique_ptr<TPageRecord>> pages = recorded.Finish();
    const int count = static_cast<int>(pages.size());
    if (range.From > count)
        throw EQCError("The document has " + std::to_string(count) + (count == 1 ? " page" : " pages") + ": page " +
                       std::to_string(range.From) + " does not exist. Nothing was printed.");
    const int last = range.To >= range.From ? std::min(range.To, count) : count;
    for (int page = range.From; page <= last; ++page) {
        if (page > range.From && !device.newPage())
            throw EQCError("The printer refused a new page: printing was stopped.");
        // A picture plays at the default resolution of pictures: bring it back to the device's.
        const QPicture plain;
        painter.save();
        painter.scale(static_cast<double>(plain.logicalDpiX()) / device.logicalDpiX(),
                      static_cast<double>(plain.logicalDpiY()) / device.logicalDpiY());
        painter.drawPicture(0, 0, *pages[static_cast<std::size_t>(page - 1)]);
        painter.restore();
    }
}

} // namespace

void ContinuePainting(QPainter& painter, const std::function<void()>& startPage) {
    const QFont font = painter.font();
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();
    painter.end();
    startPage();
    painter.setFont(font);
    painter.setPen(pen);
    painter.setBrush(brush);
}

void DrawJob(QPagedPaintDevice& device, QPainter& painter, const TPrintJob& job, TPageRange range) {
    try {
        if (range.From > 0) {
            PlayPages(device, painter, job, range);
        } else {
            TDevicePages pages(device, painter);
            if (job.Draw) job.Draw(pages);
        }
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}

QString IsoDate(TDateTime day) {
    const TDateParts d = DecodeDate(day);
    return QStringLiteral("%1-%2-%3").arg(d.Year, 4, 10, QLatin1Char('0')).arg(d.Month, 2, 10, QLatin1Char('0')).arg(d.Day, 2, 10, QLatin1Char('0'));
}

TPrintJob NamedJob(TPrintJob job, const QString& document, TDateTime day) {
    job.Document = document;
    job.DocumentDate = IsoDate(day);
    return job;
}

QString DocumentTitle(const TPrintJob& job) { return job.Document.isEmpty() ? job.Title : job.Document; }

QString DefaultPdfFileName(const TPrintJob& job) {
    QString name = DocumentTitle(job);
    if (!job.DocumentDate.isEmpty()) name += QLatin1Char(' ') + job.DocumentDate;
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('-');
    return name.trimmed() + QStringLiteral(".pdf");
}

QPageSize::PageSizeId LocalePaper(const QLocale& locale) {
    const QLocale::Territory t = locale.territory();
    return t == QLocale::UnitedStates || t == QLocale::Canada ? QPageSize::Letter : QPageSize::A4;
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

QByteArray RenderPdf(const TPrintJob& job, const QPageSize& pageSize, TPageRange range, const QMarginsF& marginsMm) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(QPageLayout(pageSize, job.Orientation, marginsMm, QPageLayout::Millimeter));
        writer.setTitle(DocumentTitle(job));
        writer.setCreator(QStringLiteral("Tervanix"));
        QPainter painter;
        if (!painter.begin(&writer)) throw EQCError("The PDF document cannot be started.");
        DrawJob(writer, painter, job, range);
    }
    return bytes;
}

void WritePdfAtomic(const std::string& path, const TPrintJob& job, const QPageSize& pageSize, TPageRange range,
                    const QMarginsF& marginsMm) {
    const QByteArray pdf = RenderPdf(job, pageSize, range, marginsMm);
    WriteFileAtomic(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                    "Cannot write the PDF file " + path);
}

} // namespace tervanix
