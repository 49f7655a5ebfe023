#include "charts/UPrnChartsPages.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "charts/UDrawChart.h"
#include "charts/UPrnTable.h"
#include "charts/UShowLimitsPages.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "model/UAnalyte.h"
#include "model/UClock.h"
#include "model/UFormat.h"
#include "model/ULists.h"

namespace tervanix {
namespace {

constexpr int BandPoints = 31;
constexpr int ChartFontSize = 8;
constexpr int StatisticsRowsPerPage = 50;

bool HasValue(const TLevelResult& r) { return r.Status != qsDiscarded && r.Status != qsNoValue; }

// The pens of one printout: the colours of the screen charts, or black with dotted limit lines.
struct TChartInks {
    bool Colour;
    QColor Grid() const { return Colour ? clSilver : clBlack; }
    QColor Mean() const { return Colour ? clLime : clBlack; }
    QColor Alert() const { return Colour ? clYellow : clBlack; }
    QColor Action() const { return Colour ? clRed : clBlack; }
    QColor Series() const { return Colour ? clNavy : clBlack; }
    QColor Discarded() const { return Colour ? clRed : clBtnFace; }
    Qt::PenStyle LimitStyle() const { return Colour ? Qt::SolidLine : Qt::DotLine; }
};

// One printout of charts: the canvas, the font's metrics and the paper geometry.
class TChartsPrinter {
public:
    TChartsPrinter(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials,
                   const TChartPrintOptions& options)
        : pages_(pages), canvas_(pages.Canvas()), analyte_(analyte), materials_(materials), options_(options),
          inks_{options.Colour} {}

    int Print(TPointRange range);

private:
    int PrintLevelChart(int level, TPointRange band, int y);
    int PrintDateBand(TPointRange band, int y);
    void PrintStatisticsTable(TPointRange range, int y, int rowHeight);
    void PrintFooter(int page);
    void SetFont(bool bold);
    void DrawLockedBand(int level, TPointRange band, int top, int bottom);
    void HorizontalLine(int y, const QColor& colour, Qt::PenStyle style = Qt::SolidLine);
    void DrawValueScale(int level, int top);
    void DrawSeries(int level, TPointRange band, int top);
    void DrawPoints(int level, TPointRange band, int top);
    int YOf(int level, long double value, int top) const {
        return ValueToY(value, analyte_.Current[static_cast<std::size_t>(level)], top, geometry_.PlotHeight);
    }
    void CentredText(int x, int y, const QString& text);
    bool LevelPrinted(int level) const {
        return level < analyte_.LevelCount && options_.Levels[static_cast<std::size_t>(level)];
    }

    TPrintPages& pages_;
    QPainter& canvas_;
    const TAnalyte& analyte_;
    const TListSerum& materials_;
    const TChartPrintOptions& options_;
    TChartInks inks_;
    TPaperChartGeometry geometry_;
    int h_ = 0;
    int w_ = 0;
};

void TChartsPrinter::SetFont(bool bold) {
    QFont font = PrintFont(ChartFontSize);
    font.setBold(bold);
    canvas_.setFont(font);
}

int TChartsPrinter::Print(TPointRange range) {
    const int pageHeight = pages_.PageHeight();
    const int rowHeight = pageHeight / StatisticsRowsPerPage;
    int y = PrintBoxedTitle(pages_, FromAnsi(analyte_.Name.str()) + QStringLiteral(" QC charts"));
    SetFont(false);
    const QFontMetrics metrics = canvas_.fontMetrics();
    h_ = metrics.height();
    w_ = metrics.averageCharWidth();
    geometry_ = PaperChartGeometry(pages_.PageWidth(), w_);
    int page = 1;
    const auto newPage = [&] {
        PrintFooter(page);
        pages_.NewPage();
        y = 0;
        ++page;
    };
    const std::vector<TPointRange> bands = ChartBands(range);
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const int bandTop = y;
        for (int level = 0; level < MaxLevels; ++level)
            if (LevelPrinted(level)) y = PrintLevelChart(level, bands[b], y);
        y = PrintDateBand(bands[b], y) + 2 * h_;
        // The next band is expected as high as this one.
        if (b + 1 < bands.size() && pageHeight - y < (y - bandTop) + 2 * h_) newPage();
    }
    if (options_.Statistics) {
        // All levels count here, checked or not, as the grid's space was always reckoned; the
        // line under the grid that says what the limits rest on takes two lines more.
        if (pageHeight - y < (analyte_.LevelCount + 1) * rowHeight + 4 * h_) newPage();
        PrintStatisticsTable(range, y, rowHeight);
    }
    PrintFooter(page);
    return page;
}

int TChartsPrinter::PrintLevelChart(int level, TPointRange band, int y) {
    const auto l = static_cast<std::size_t>(level);
    const TMaterial& material = materials_.FindById(analyte_.MaterialId[l]);
    y += h_;
    SetFont(true);
    const QString title = FromAnsi(material.Name.str()) + QStringLiteral(" (") + FromAnsi(material.Lot.str()) + QStringLiteral(")");
    const QRect titleRect(0, y, std::min(canvas_.fontMetrics().horizontalAdvance(title), pages_.PageWidth()),
                          canvas_.fontMetrics().height());
    canvas_.fillRect(titleRect, clSilver);
    canvas_.setPen(Qt::black);
    DrawLeftText(canvas_, titleRect, title);
    SetFont(false);
    y += 2 * h_;
    const int top = y, bottom = top + geometry_.PlotHeight;
    if (analyte_.LimitsMode[l] == lmLocked) DrawLockedBand(level, band, top, bottom);
    canvas_.setPen(PrinterPen(*canvas_.device(), inks_.Grid()));
    for (int j = 0; j < BandPoints; ++j) canvas_.drawLine(geometry_.ColumnX(j), top, geometry_.ColumnX(j), bottom);
    const TLevelStats& c = analyte_.Current[l];
    HorizontalLine(top, inks_.Grid());
    HorizontalLine(bottom, inks_.Grid());
    HorizontalLine(YOf(level, c.Mean, top), inks_.Mean());
    for (long double sign : {1.0L, -1.0L}) HorizontalLine(YOf(level, c.Mean + sign * c.AlertHalfWidth, top), inks_.Alert(), inks_.LimitStyle());
    for (long double sign : {1.0L, -1.0L}) HorizontalLine(YOf(level, c.Mean + sign * c.ActionHalfWidth, top), inks_.Action(), inks_.LimitStyle());
    if (analyte_.AllPoints[l].N + analyte_.AllPoints[l].DiscardedCount > 0 || analyte_.LimitsMode[l] == lmFixed)
        DrawValueScale(level, top);
    if (band.Count() > 0) {
        DrawSeries(level, band, top);
        DrawPoints(level, band, top);
    }
    canvas_.setBrush(Qt::white);
    canvas_.setPen(PrinterPen(*canvas_.device()));
    return bottom;
}

void TChartsPrinter::DrawLockedBand(int level, TPointRange band, int top, int bottom) {
    const auto l = static_cast<std::size_t>(level);
    // Beyond the band an index only says "before" or "after" it; bounding it keeps the column
    // arithmetic of a damaged interval from overflowing.
    const auto column = [&](int index) { return geometry_.ColumnX(std::clamp(index - band.First, -1, BandPoints)); };
    const int x1 = analyte_.LockFirst[l] > band.First ? column(analyte_.LockFirst[l]) : geometry_.Left;
    const int x2 = column(std::min(analyte_.LockLast[l], band.Last));
    if (x1 >= x2) return;
    canvas_.setPen(PrinterPen(*canvas_.device(), clWhite));
    canvas_.setBrush(LockedBandColour);
    DrawBox(canvas_, x1, top, x2, bottom);
    canvas_.setBrush(Qt::white);
}

void TChartsPrinter::HorizontalLine(int y, const QColor& colour, Qt::PenStyle style) {
    canvas_.setPen(PrinterPen(*canvas_.device(), colour, style));
    canvas_.drawLine(geometry_.Left, y, geometry_.Right, y);
}

void TChartsPrinter::DrawValueScale(int level, int top) {
    const TLevelStats& c = analyte_.Current[static_cast<std::size_t>(level)];
    TValueScale scale;
    if (!ComputeValueScale(c.ChartLow, c.ChartHigh, scale)) return;
    const QFontMetrics metrics = canvas_.fontMetrics();
    for (long double g : ScaleGraduations(c.ChartLow, c.ChartHigh)) {
        const int y = YOf(level, g, top);
        canvas_.setPen(PrinterPen(*canvas_.device()));
        canvas_.drawLine(geometry_.Left, y, geometry_.Left - w_, y);
        const QString label = FromAnsi(FormatFixed(g, 6, scale.Decimals));
        const int width = metrics.horizontalAdvance(label);
        canvas_.drawText(QRect(geometry_.Left - 2 * w_ - width, y - h_ / 2, width, h_),
                         Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, label);
    }
}

// Discarded and empty levels are stepped over: their neighbours are joined directly.
void TChartsPrinter::DrawSeries(int level, TPointRange band, int top) {
    QPolygon line;
    for (int i = band.First; i <= band.Last; ++i) {
        const TLevelResult& r = analyte_.Point(i).Levels[static_cast<std::size_t>(level)];
        if (HasValue(r)) line << QPoint(geometry_.ColumnX(i - band.First), YOf(level, r.Value, top));
    }
    canvas_.setPen(PrinterPen(*canvas_.device(), inks_.Series()));
    canvas_.setBrush(Qt::NoBrush);
    if (line.size() > 1) canvas_.drawPolyline(line);
}

void TChartsPrinter::DrawPoints(int level, TPointRange band, int top) {
    for (int i = band.First; i <= band.Last; ++i) {
        const TLevelResult& r = analyte_.Point(i).Levels[static_cast<std::size_t>(level)];
        if (r.Status == qsNoValue) continue;
        const QColor colour = r.Status == qsDiscarded ? inks_.Discarded() : inks_.Series();
        canvas_.setPen(Qt::NoPen);
        canvas_.setBrush(colour);
        canvas_.drawEllipse(QPoint(geometry_.ColumnX(i - band.First), YOf(level, r.Value, top)), w_, w_);
    }
}

void TChartsPrinter::CentredText(int x, int y, const QString& text) {
    const int width = canvas_.fontMetrics().horizontalAdvance(text);
    canvas_.drawText(QRect(x - width / 2, y, width, h_), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     text);
}

int TChartsPrinter::PrintDateBand(TPointRange band, int y) {
    canvas_.setPen(Qt::black);
    y += h_;
    TDateLabeller labeller;
    for (int i = band.First; i <= band.Last; ++i) {
        const int x = geometry_.ColumnX(i - band.First);
        const TDateColumnLabels labels = labeller.Next(analyte_.Point(i).DateTime);
        CentredText(x, y, FromAnsi(labels.Day));
        if (!labels.Month.empty()) CentredText(x, y + h_, FromAnsi(labels.Month));
        if (!labels.Year.empty()) CentredText(x, y + 2 * h_, FromAnsi(labels.Year));
    }
    return y + 3 * h_;
}

void TChartsPrinter::PrintStatisticsTable(TPointRange range, int y, int rowHeight) {
    const int cw = pages_.PageWidth() / 8;
    const auto rows = ChartStatisticsRows(analyte_, materials_, range, options_.Levels);
    canvas_.setPen(PrinterPen(*canvas_.device()));
    for (std::size_t n = 0; n < rows.size(); ++n) {
        for (int c = 0; c < 4; ++c) {
            const int x1 = cw * (c + 2), x2 = cw * (c + 3);
            const int y1 = y + static_cast<int>(n) * rowHeight, y2 = y1 + rowHeight;
            canvas_.setBrush(n == 0 || c == 0 ? clSilver : clWhite);
            DrawBox(canvas_, x1, y1, x2, y2);
            DrawCentredText(canvas_, x1, y1, x2, y2, rows[n][static_cast<std::size_t>(c)]);
        }
    }
    canvas_.setBrush(Qt::white);
    const int below = y + static_cast<int>(rows.size()) * rowHeight + h_ / 2;
    DrawLeftText(canvas_, QRect(2 * cw, below, pages_.PageWidth() - 2 * cw, h_), LimitsBasisText(analyte_));
}

void TChartsPrinter::PrintFooter(int page) {
    SetFont(false);
    PrintFooterLine(pages_, QStringLiteral("- Page %1 - %2 QC - Printed on %3 -")
                                .arg(page)
                                .arg(FromAnsi(analyte_.Name.str()), FromAnsi(FormatDate(Today()))));
}

} // namespace

TPaperChartGeometry PaperChartGeometry(int pageWidth, int charWidth) {
    TPaperChartGeometry g;
    g.Left = 10 * charWidth;
    g.Right = pageWidth * 96 / 100;
    g.PlotHeight = g.Right / 5;
    return g;
}

std::vector<TPointRange> ChartBands(TPointRange range) {
    std::vector<TPointRange> bands;
    int l = range.First;
    do {
        const int r = std::min(l + BandPoints - 1, range.Last);
        bands.push_back({l, r});
        l = r + 1;
    } while (l <= range.Last);
    return bands;
}

std::vector<std::array<QString, 4>> ChartStatisticsRows(const TAnalyte& analyte, const TListSerum& materials,
                                                        TPointRange range, const TLevelChoice& levels) {
    std::vector<std::array<QString, 4>> rows;
    rows.push_back({QStringLiteral("Statistics"), QStringLiteral("m (") + FromAnsi(analyte.UnitName.str()) + QStringLiteral(")"),
                    QStringLiteral("C.V. (%)"), QStringLiteral("N")});
    for (int level = 0; level < std::min(analyte.LevelCount, MaxLevels); ++level) {
        if (!levels[static_cast<std::size_t>(level)]) continue;
        TLevelStats s;
        analyte.ComputeStats(level, range.First, range.Last, s);
        rows.push_back({FromAnsi(materials.FindById(analyte.MaterialId[static_cast<std::size_t>(level)]).Name.str()),
                        s.N <= 0 ? QString() : FromAnsi(FormatFixed(s.Mean, 8, analyte.Decimals + 1)),
                        FromAnsi(CVText(s, 8)), FromAnsi(FormatInt(s.N))});
    }
    return rows;
}

int PrintCharts(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                const TChartPrintOptions& options) {
    TChartsPrinter printer(pages, analyte, materials, options);
    return printer.Print(range);
}

TPrintJob ChartsJob(const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                    const TChartPrintOptions& options) {
    TPrintJob job;
    job.Title = QStringLiteral("Printing QC charts");
    job.Draw = [&analyte, &materials, range, options](TPrintPages& pages) {
        PrintCharts(pages, analyte, materials, range, options);
    };
    return NamedJob(std::move(job), QStringLiteral("QC charts - ") + FromAnsi(analyte.Name.str()), Today());
}

} // namespace tervanix
