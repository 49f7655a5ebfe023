#include "charts/UDrawChart.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "main/UAnsi.h"
#include "main/UResources.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"

namespace tervanix {
namespace {

// Below this chart range the plot uses a fixed 2 pixels per unit.
constexpr long double DegenerateRange = 1e-5L;
constexpr long double DegenerateScale = 2;
constexpr int LegendLeft = ChartRight + 15;
constexpr int LegendTopOffset = 20;
constexpr int ScaleTickLength = PointStep / 3;
// A scale never has more than a dozen graduations; the bound only guards against a range that
// rounding turned into something the step cannot walk.
constexpr int MaxGraduations = 100;

enum class THAlign { Left, Centre, Right };

// Text with its cell filled, the way the charts always wrote: the band and the legend are redrawn
// over themselves, so the cell's background must be painted too.
void DrawTextCell(QPainter& canvas, int x, int y, THAlign align, const QString& text, const QColor& ink,
                  const QColor& paper) {
    const QFontMetrics metrics = canvas.fontMetrics();
    const int width = metrics.horizontalAdvance(text);
    const int left = align == THAlign::Left ? x : align == THAlign::Centre ? x - width / 2 : x - width;
    const QRect cell(left, y, width, metrics.height());
    canvas.fillRect(cell, paper);
    canvas.setPen(ink);
    canvas.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void DrawBlackText(QPainter& canvas, int x, int y, THAlign align, const QString& text) {
    DrawTextCell(canvas, x, y, align, text, Qt::black, Qt::white);
}

QString Text(const std::string& bytes) { return QString::fromStdString(bytes); }

bool HasValue(const TLevelResult& r) { return r.Status != qsDiscarded && r.Status != qsNoValue; }

void ResetPenAndBrush(QPainter& canvas) {
    canvas.setBrush(Qt::white);
    canvas.setPen(Qt::black);
}

} // namespace

int PlotsTop(int levelCount) { return 18 + 60 * (MaxLevels - std::clamp(levelCount, 1, MaxLevels)); }
int LevelPlotTop(int levelCount, int level) { return PlotsTop(levelCount) + PlotSpacing * level; }
int DateBandY(int levelCount) {
    return PlotsTop(levelCount) + PlotSpacing * std::clamp(levelCount, 1, MaxLevels) - 10;
}
int CommentMarksY(int levelCount) { return PlotsTop(levelCount) - 17; }
int ColumnX(int index, int first) { return ChartLeft + (index - first) * PointStep; }
QRect ChartWindowRect() { return QRect(QPoint(31, 0), QPoint(499, 449)); }

int ValueToY(long double value, const TLevelStats& limits, int top, int plotHeight) {
    const int bottom = top + plotHeight;
    const long double low = limits.ChartLow, high = limits.ChartHigh;
    if (low < value && value < high) {
        const long double k = high - low < DegenerateRange ? DegenerateScale : plotHeight / (high - low);
        // Ties go to the even pixel, the default rounding mode.
        const long double offset = std::nearbyint(k * (value - low));
        if (std::isfinite(offset))
            return bottom - static_cast<int>(std::clamp<long double>(offset, 0, plotHeight));
    }
    return value > limits.Mean ? top : bottom;
}

// The chart's step rule; the gauge has its own table on the same decade (model/UGaugeScale).
long double ScaleStep(long double range) {
    const long double u = ScaleDecade(range);
    const long double r = range / u;
    if (r < 1.2L) return 0.2L * u;
    if (r < 2.4L) return 0.4L * u;
    if (r < 3) return 0.5L * u;
    if (r < 6) return u;
    return 2 * u;
}

int ScaleDecimals(long double step) {
    int decimals = 0;
    if (step >= 1) return 0;
    for (long double q = 1; q > step; q /= 10) ++decimals;
    return decimals;
}

long double FirstGraduation(long double low, long double step) {
    const long double steps = std::trunc(low / step);
    return low >= 0 ? (steps + 1) * step : steps * step;
}

QFont ScaleLabelFont(const QFont& chartFont, const std::vector<QString>& labels, int room) {
    QFont font = chartFont;
    const auto widest = [&labels](const QFont& f) {
        const QFontMetrics metrics(f);
        int width = 0;
        for (const QString& label : labels) width = std::max(width, metrics.horizontalAdvance(label));
        return width;
    };
    // A few steps of a tenth each; below 4 points a label could not be read anyway.
    for (int step = 0; step < 30 && widest(font) > room; ++step) {
        if (font.pointSizeF() > 0) {
            if (font.pointSizeF() <= 4) break;
            font.setPointSizeF(font.pointSizeF() * 0.9);
        } else {
            if (font.pixelSize() <= 5) break;
            font.setPixelSize(font.pixelSize() - 1);
        }
    }
    return font;
}

bool ComputeValueScale(long double low, long double high, TValueScale& scale) {
    const long double range = high - low;
    // An empty, reversed or infinite range has no decade: the step would be zero or infinite and
    // the graduations would never reach the top.
    if (!(range > 0) || !std::isfinite(range) || !std::isfinite(low)) return false;
    scale.Decade = ScaleDecade(range);
    scale.Step = ScaleStep(range);
    if (!(scale.Step > 0) || !std::isfinite(scale.Step)) return false;
    scale.Decimals = ScaleDecimals(scale.Step);
    scale.FirstGraduation = FirstGraduation(low, scale.Step);
    return std::isfinite(scale.FirstGraduation);
}

std::vector<long double> ScaleGraduations(long double low, long double high) {
    std::vector<long double> values;
    TValueScale scale;
    if (!ComputeValueScale(low, high, scale)) return values;
    long double g = scale.FirstGraduation;
    do {
        values.push_back(g);
        g += scale.Step;
    } while (g <= high && static_cast<int>(values.size()) < MaxGraduations);
    return values;
}

std::string MonthLabel(int month) {
    static constexpr std::string_view Months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (month < 1 || month > 12) return "???";
    return std::string(Months.substr(3 * static_cast<std::size_t>(month - 1), 3));
}

TDateColumnLabels TDateLabeller::Next(TDateTime dt) {
    const TDateParts date = DecodeDate(dt);
    TDateColumnLabels labels;
    labels.Day = FormatInt(date.Day);
    const std::string month = MonthLabel(date.Month);
    if (month != month_) {
        labels.Month = month;
        const int yy = ((date.Year % 100) + 100) % 100;
        std::string year = {static_cast<char>('0' + yy / 10), static_cast<char>('0' + yy % 10)};
        if (year != year_) {
            labels.Year = year;
            year_ = year;
        }
        month_ = month;
    }
    return labels;
}

TChartPainter::TChartPainter(QPainter& canvas, const TAnalyte& analyte) : canvas_(canvas), analyte_(analyte) {
    ReadFontMetrics();
}

void TChartPainter::ReadFontMetrics() {
    const QFontMetrics metrics = canvas_.fontMetrics();
    lineHeight_ = metrics.height();
    charWidth_ = metrics.averageCharWidth();
}

// The window the main window asks for, within the series and at most 31 points wide.
bool TChartPainter::ClampWindow(int& first, int& last) const {
    first = std::clamp(first, 0, analyte_.Count());
    last = std::min({last, analyte_.Count() - 1, first + ChartColumns - 1});
    return first <= last;
}

int TChartPainter::YOf(int level, long double value) const {
    return ValueToY(value, analyte_.Current[static_cast<std::size_t>(level)], top_, bottom_ - top_);
}

void TChartPainter::HorizontalLine(int y, const QColor& colour) {
    canvas_.setPen(colour);
    canvas_.drawLine(ChartLeft, y, ChartRight, y);
}

void TChartPainter::DrawLevelChart(bool eraseMarked, int level, int first, int last, int top, int selectedPoint) {
    ReadFontMetrics();
    top_ = top;
    bottom_ = top + PlotHeight;
    if (level < 0 || level >= MaxLevels) return;
    const auto l = static_cast<std::size_t>(level);
    const bool hasPoints = ClampWindow(first, last);
    if (analyte_.LimitsMode[l] == lmLocked) DrawLockedBand(level, first);
    DrawGrid();
    DrawReferenceLines(level);
    if (analyte_.AllPoints[l].N + analyte_.AllPoints[l].DiscardedCount > 0 || analyte_.LimitsMode[l] == lmFixed)
        DrawValueScale(level);
    if (hasPoints) {
        DrawSeries(eraseMarked, level, first, last);
        DrawPoints(eraseMarked, level, first, last);
        DrawSelectedPoint(level, first, last, selectedPoint);
    }
    ResetPenAndBrush(canvas_);
}

void TChartPainter::DrawLockedBand(int level, int first) {
    const auto l = static_cast<std::size_t>(level);
    // Beyond the window an index only says "before" or "after" it; bounding it keeps the column
    // arithmetic of a damaged interval from overflowing.
    const auto column = [first](int index) {
        return ColumnX(std::clamp(index, first - 1, first + ChartColumns), first);
    };
    const int x1 = std::max(column(analyte_.LockFirst[l]), ChartLeft);
    const int x2 = std::min(column(analyte_.LockLast[l]), ChartRight);
    if (x1 >= x2) return;
    // Filled and outlined in the same colour: one filled rectangle, right and bottom edges excluded.
    canvas_.fillRect(QRect(QPoint(x1, top_), QPoint(x2 - 1, bottom_ - 1)), LockedBandColour);
}

// Drawn for all 31 columns, so that a short series leaves the rest of the grid empty.
void TChartPainter::DrawGrid() {
    canvas_.setPen(clSilver);
    for (int j = 0; j < ChartColumns; ++j) {
        const int x = ChartLeft + j * PointStep;
        canvas_.drawLine(x, top_, x, bottom_);
    }
}

void TChartPainter::DrawReferenceLines(int level) {
    const TLevelStats& c = analyte_.Current[static_cast<std::size_t>(level)];
    HorizontalLine(YOf(level, c.Mean), clLime);
    HorizontalLine(YOf(level, c.Mean + c.AlertHalfWidth), clYellow);
    HorizontalLine(YOf(level, c.Mean - c.AlertHalfWidth), clYellow);
    HorizontalLine(YOf(level, c.Mean + c.ActionHalfWidth), clRed);
    HorizontalLine(YOf(level, c.Mean - c.ActionHalfWidth), clRed);
    // An action line lying on an edge already frames the plot there.
    if (YOf(level, c.Mean + c.ActionHalfWidth) - 1 > top_) HorizontalLine(top_, clSilver);
    if (YOf(level, c.Mean - c.ActionHalfWidth) < bottom_ - 1) HorizontalLine(bottom_, clSilver);
}

void TChartPainter::DrawValueScale(int level) {
    if (level < 0 || level >= MaxLevels) return;
    const TLevelStats& c = analyte_.Current[static_cast<std::size_t>(level)];
    TValueScale scale;
    if (!ComputeValueScale(c.ChartLow, c.ChartHigh, scale)) return;
    const int tickLeft = ChartLeft - ScaleTickLength;
    const std::vector<long double> graduations = ScaleGraduations(c.ChartLow, c.ChartHigh);
    std::vector<QString> labels;
    for (long double g : graduations) labels.push_back(Text(FormatFixed(g, 6, scale.Decimals)));
    canvas_.save();
    canvas_.setFont(ScaleLabelFont(canvas_.font(), labels, tickLeft - charWidth_));
    for (std::size_t i = 0; i < graduations.size(); ++i) {
        const int y = YOf(level, graduations[i]);
        canvas_.setPen(Qt::black);
        canvas_.drawLine(ChartLeft, y, tickLeft, y);
        DrawBlackText(canvas_, tickLeft - charWidth_, y - lineHeight_ / 2, THAlign::Right, labels[i]);
    }
    canvas_.restore();
}

// Discarded and empty levels are stepped over: their neighbours are joined directly.
void TChartPainter::DrawSeries(bool eraseMarked, int level, int first, int last) {
    QPolygon line;
    for (int i = first; i <= last; ++i) {
        const TLevelResult& r = analyte_.Point(i).Levels[static_cast<std::size_t>(level)];
        if (HasValue(r)) line << QPoint(ColumnX(i, first), YOf(level, r.Value));
    }
    canvas_.setPen(eraseMarked ? clSilver : clNavy);
    canvas_.setBrush(Qt::NoBrush);
    if (line.size() > 1) canvas_.drawPolyline(line);
}

// Alert and action statuses look like in-control points: the limit lines tell their meaning.
void TChartPainter::DrawPoints(bool eraseMarked, int level, int first, int last) {
    for (int i = first; i <= last; ++i) {
        const TLevelResult& r = analyte_.Point(i).Levels[static_cast<std::size_t>(level)];
        if (r.Status == qsNoValue) continue;
        const QColor& colour = eraseMarked                 ? clSilver
                               : r.Status == qsDiscarded ? clBlue
                                                         : clNavy;
        canvas_.setPen(colour);
        canvas_.setBrush(colour);
        canvas_.drawEllipse(QPoint(ColumnX(i, first), YOf(level, r.Value)), PointRadius, PointRadius);
    }
    ResetPenAndBrush(canvas_);
}

void TChartPainter::DrawSelectedPoint(int level, int first, int last, int selectedPoint) {
    if (selectedPoint < first || selectedPoint > last) return;
    const TLevelResult& r = analyte_.Point(selectedPoint).Levels[static_cast<std::size_t>(level)];
    if (r.Status == qsNoValue) return;
    canvas_.setPen(clRed);
    canvas_.setBrush(clRed);
    canvas_.drawEllipse(QPoint(ColumnX(selectedPoint, first), YOf(level, r.Value)), SelectedPointRadius,
                        SelectedPointRadius);
    canvas_.setBrush(Qt::white);
}

// The statistics of the whole series, not of the limits in use.
TLevelLegend LevelLegend(const TAnalyte& analyte, int level) {
    const auto l = static_cast<std::size_t>(level);
    const TLevelStats& all = analyte.AllPoints[l];
    TLevelLegend legend;
    legend.Mode = Text(LimitsModeName(analyte.LimitsMode[l]));
    if (all.N > 0)
        legend.Mean = Text("m = " + FormatFixed(all.Mean, 8, analyte.Decimals + 1) + " ") + FromAnsi(analyte.UnitName.str());
    if (all.Status == 0) legend.CV = Text("CV = " + FormatFixed(all.CV, 6, 1) + " %");
    // Without this line a level whose values overflow would look like one with too few points;
    // short, for the narrow legend, and read under the limits mode.
    if (all.NotComputable || analyte.Current[l].NotComputable) legend.CV = QStringLiteral("Not computable");
    legend.N = Text("N = " + FormatInt(all.N));
    legend.CommonCV = analyte.LimitsMode[l] != lmFixed && analyte.HasOption(aoCommonCV);
    return legend;
}

void TChartPainter::DrawLevelLegend(int level) {
    if (level < 0 || level >= MaxLevels) return;
    const TLevelLegend legend = LevelLegend(analyte_, level);
    // On a larger desktop font the legend is made smaller as far as the paint box's edge needs,
    // so that no unit or figure is cut.
    const QFont chartFont = canvas_.font();
    canvas_.setFont(ScaleLabelFont(chartFont, {legend.Mode, legend.Mean, legend.CV, legend.N, QStringLiteral("Common CV")},
                                   PaintBoxWidth - LegendLeft));
    int y = top_ + LegendTopOffset;
    DrawTextCell(canvas_, LegendLeft, y, THAlign::Left, legend.Mode, Qt::white, clGreen);
    y += 3 * lineHeight_ / 2;
    for (const QString& line : {legend.Mean, legend.CV}) {
        if (line.isEmpty()) continue;
        DrawBlackText(canvas_, LegendLeft, y, THAlign::Left, line);
        y += lineHeight_;
    }
    DrawBlackText(canvas_, LegendLeft, y, THAlign::Left, legend.N);
    y += 3 * lineHeight_ / 2;
    if (legend.CommonCV) {
        QFont font = canvas_.font();
        font.setUnderline(true);
        canvas_.setFont(font);
        DrawBlackText(canvas_, LegendLeft, y, THAlign::Left, QStringLiteral("Common CV"));
    }
    canvas_.setFont(chartFont);
    ResetPenAndBrush(canvas_);
}

// Only the day numbers carry the highlight of the date interval.
void TChartPainter::DrawDateBand(int first, int last, int y, int intervalFrom, int intervalTo) {
    if (!ClampWindow(first, last)) return;
    // Two day numbers side by side keep a gap between them, whatever the desktop's font.
    const QFont chartFont = canvas_.font();
    const QFont dayFont = ScaleLabelFont(chartFont, {QStringLiteral("30")}, PointStep - 3);
    TDateLabeller labeller;
    for (int i = first; i <= last; ++i) {
        const int x = ColumnX(i, first);
        const TDateColumnLabels labels = labeller.Next(analyte_.Point(i).DateTime);
        const bool highlighted = intervalFrom <= i && i <= intervalTo;
        canvas_.setFont(dayFont);
        DrawTextCell(canvas_, x, y, THAlign::Centre, Text(labels.Day), highlighted ? Qt::white : Qt::black,
                     highlighted ? clBlue : QColor(Qt::white));
        canvas_.setFont(chartFont);
        if (!labels.Month.empty()) DrawBlackText(canvas_, x, y + lineHeight_, THAlign::Centre, Text(labels.Month));
        if (!labels.Year.empty()) DrawBlackText(canvas_, x, y + 2 * lineHeight_, THAlign::Centre, Text(labels.Year));
    }
    ResetPenAndBrush(canvas_);
}

// A comment id of 0 is a comment like any other; -1 means none.
void TChartPainter::DrawCommentMarks(int y, int first, int last) {
    if (!ClampWindow(first, last)) return;
    const QPixmap mark = ResourceBitmap(QStringLiteral("COMMENT"));
    for (int i = first; i <= last; ++i)
        if (analyte_.Point(i).CommentId > -1) canvas_.drawPixmap(ColumnX(i, first) - 4, y, mark);
}

namespace {

void DrawAllPlots(TChartPainter& painter, const TAnalyte& analyte, const TChartView& view, bool withLegends) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    for (int level = 0; level < levels; ++level) {
        painter.DrawLevelChart(view.EraseMarks[static_cast<std::size_t>(level)], level, view.First, view.Last,
                               LevelPlotTop(levels, level), view.SelectedPoint);
        if (withLegends) painter.DrawLevelLegend(level);
    }
    painter.DrawDateBand(view.First, view.Last, DateBandY(levels), view.IntervalFrom, view.IntervalTo);
    painter.DrawCommentMarks(CommentMarksY(levels), view.First, view.Last);
}

void PaintCharts(QPainter& canvas, QRect area, QRect cleared, const TAnalyte& analyte, const TChartView& view,
                 bool withLegends) {
    canvas.save();
    canvas.translate(area.topLeft());
    canvas.fillRect(cleared, Qt::white);
    canvas.setBackground(Qt::white);
    ResetPenAndBrush(canvas);
    TChartPainter painter(canvas, analyte);
    DrawAllPlots(painter, analyte, view, withLegends);
    canvas.restore();
}

} // namespace

void PaintAnalyteCharts(QPainter& canvas, QRect area, const TAnalyte& analyte, const TChartView& view) {
    PaintCharts(canvas, area, QRect(QPoint(0, 0), area.size()), analyte, view, true);
}

void RedrawChartWindow(QPainter& canvas, QRect area, const TAnalyte& analyte, const TChartView& view) {
    PaintCharts(canvas, area, ChartWindowRect(), analyte, view, false);
}

} // namespace tervanix

namespace tervanix {

namespace {

// "QC1 Lyphocheck 1: Locked limits, m = 3.00 mmol/L, CV = 2.9 %, N = 44": what the legend shows,
// with the level's material, so that N and the CV can be read without seeing the chart.
QString DescribeLevel(const TAnalyte& analyte, int level, const TListSerum& materials) {
    const TMaterial& material = materials.FindById(analyte.MaterialId[static_cast<std::size_t>(level)]);
    const TLevelLegend legend = LevelLegend(analyte, level);
    QStringList parts{legend.Mode};
    for (const QString& line : {legend.Mean, legend.CV, legend.N})
        if (!line.isEmpty()) parts << line.simplified();
    if (legend.CommonCV) parts << QStringLiteral("Common CV");
    QString text = QStringLiteral("QC%1 ").arg(level + 1);
    if (!material.Name.empty()) text += FromAnsi(material.Name.str()) + QStringLiteral(": ");
    return text + parts.join(QStringLiteral(", "));
}

} // namespace

QString ChartDescription(const TAnalyte& analyte, const TChartView& view, const TListSerum& materials) {
    const auto date = [&analyte](int index) { return FromAnsi(FormatDate(analyte.Point(index).DateTime)); };
    QString text = FromAnsi(analyte.Name.str()) + QStringLiteral(": ");
    if (view.Last < view.First) return text + QStringLiteral("no QC point");
    text += QStringLiteral("points %1 to %2 of %3, %4 to %5")
                .arg(view.First + 1)
                .arg(view.Last + 1)
                .arg(analyte.Count())
                .arg(date(view.First), date(view.Last));
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        text += QStringLiteral("; ") + DescribeLevel(analyte, level, materials);
        if (view.EraseMarks[static_cast<std::size_t>(level)]) text += QStringLiteral(", to be erased");
    }
    if (view.IntervalFrom >= 0 && view.IntervalTo < analyte.Count())
        text +=
            QStringLiteral("; date interval %1 to %2").arg(date(view.IntervalFrom), date(view.IntervalTo));
    if (view.SelectedPoint >= 0 && view.SelectedPoint < analyte.Count())
        text += QStringLiteral("; selected point of %1").arg(date(view.SelectedPoint));
    return text;
}

} // namespace tervanix
