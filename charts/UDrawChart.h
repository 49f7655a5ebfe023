// Levey-Jennings charts of one analyte on the main window's paint box: one plot per QC level,
// stacked, with its statistics legend, one date band under the last plot and the comment marks
// above the first. The renderer only reads the analyte; what is visible and highlighted is the
// main window's and arrives in a TChartView.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "main/UColors.h"
#include "model/UAnalyte.h"
#include "model/UGaugeScale.h"

class QPainter;

namespace tervanix {

// Geometry of the screen charts, in pixels of the paint box.
constexpr int ChartLeft = 40;                       // x of the first point column
constexpr int PointStep = 15;                       // distance between two point columns
constexpr int ChartColumns = 31;                    // points in a full chart window
constexpr int ChartRight = ChartLeft + 30 * PointStep; // x of the 31st column (490)
constexpr int PlotHeight = 120;
constexpr int PlotSpacing = 135;                    // from one plot's top to the next one's
constexpr int PointRadius = 3;
constexpr int SelectedPointRadius = PointRadius + 1;
constexpr int PaintBoxWidth = 600;
constexpr int PaintBoxHeight = 454;

// Colours of the charts: the standard named colours (grid and frame clSilver, mean clLime, alert
// lines clYellow, action lines and the selected point clRed, series clNavy, discarded points and
// highlighted days clBlue, limits-mode caption clGreen) and this one of their own.
inline const QColor LockedBandColour{176, 255, 255}; // light cyan under the locked interval

// What the main window owns and shows: the chart window first..last (at most 31 points, last < first
// when the analyte has none), the selected point, the highlighted date interval, the erase marks.
struct TChartView {
    int First = 0;
    int Last = -1;
    int SelectedPoint = -1;
    int IntervalFrom = -1;
    int IntervalTo = -1;
    std::array<bool, MaxLevels> EraseMarks{};
};

// Layout of the stacked plots for an analyte of levelCount levels (1..3).
int PlotsTop(int levelCount);              // top of the first plot: 138, 78 or 18
int LevelPlotTop(int levelCount, int level);
int DateBandY(int levelCount);             // top of the date band; clicks below it are on the band
int CommentMarksY(int levelCount);
int ColumnX(int index, int first);         // x of point `index` in the window starting at `first`
// The part of the paint box that depends on the chart window (the legends lie to its right).
QRect ChartWindowRect();

// y of a value on a plot whose upper edge is `top`, with the chart range of `limits`. Values outside
// the open range are held on the edge on their side of the mean.
int ValueToY(long double value, const TLevelStats& limits, int top, int plotHeight = PlotHeight);

// Graduations of the value scale for the chart range low..high.
struct TValueScale {
    long double Decade = 0;
    long double Step = 0;
    int Decimals = 0;
    long double FirstGraduation = 0;
};
long double ScaleStep(long double range);
int ScaleDecimals(long double step);
long double FirstGraduation(long double low, long double step);
// False for a range that cannot be graduated (empty, reversed or not finite).
bool ComputeValueScale(long double low, long double high, TValueScale& scale);
// The values that get a tick and a label: the first one always, then every step up to high.
std::vector<long double> ScaleGraduations(long double low, long double high);

// The font of the value scale's labels: the chart's own, made smaller only as far as the widest
// label needs to fit in the `room` pixels left of the ticks, so that no digit is cut off on a large
// desktop font ("2.8" read for "12.8").
QFont ScaleLabelFont(const QFont& chartFont, const std::vector<QString>& labels, int room);

// Day, month and year labels of the date band, column after column. The month is written on the first
// column and whenever its text changes; the year only with a month, and only when it changed.
struct TDateColumnLabels {
    std::string Day;
    std::string Month; // empty: not written
    std::string Year;  // empty: not written
};
std::string MonthLabel(int month); // English three letters whatever the system language
class TDateLabeller {
public:
    TDateColumnLabels Next(TDateTime dt);

private:
    std::string month_;
    std::string year_;
};

// Draws on a canvas given by the caller (paint box or image). Keeps, like the screen charts always
// did, the last plot's top and bottom and the font's metrics for the legend and the date band.
class TChartPainter {
public:
    TChartPainter(QPainter& canvas, const TAnalyte& analyte);

    void DrawLevelChart(bool eraseMarked, int level, int first, int last, int top, int selectedPoint);
    void DrawLevelLegend(int level);
    void DrawDateBand(int first, int last, int y, int intervalFrom, int intervalTo);
    void DrawCommentMarks(int y, int first, int last);
    void DrawValueScale(int level);

private:
    void ReadFontMetrics();
    bool ClampWindow(int& first, int& last) const;
    int YOf(int level, long double value) const;
    void DrawLockedBand(int level, int first);
    void DrawGrid();
    void DrawReferenceLines(int level);
    void DrawSeries(bool eraseMarked, int level, int first, int last);
    void DrawPoints(bool eraseMarked, int level, int first, int last);
    void DrawSelectedPoint(int level, int first, int last, int selectedPoint);
    void HorizontalLine(int y, const QColor& colour);

    QPainter& canvas_;
    const TAnalyte& analyte_;
    int top_ = 0;
    int bottom_ = PlotHeight;
    int lineHeight_ = 13;
    int charWidth_ = 5;
};

class TListSerum;

// The whole chart area of the paint box `area` (filled white first): every level's plot and legend,
// the date band and the comment marks.
void PaintAnalyteCharts(QPainter& canvas, QRect area, const TAnalyte& analyte, const TChartView& view);
// The legend beside one level's plot: the limits mode and the statistics of the whole series.
// Mean and CV are empty where the legend leaves them out.
struct TLevelLegend {
    QString Mode;
    QString Mean;
    QString CV;
    QString N;
    bool CommonCV = false;
};
TLevelLegend LevelLegend(const TAnalyte& analyte, int level);

// What the charts show, in words, for screen readers: analyte, points and dates in view, each
// level's material and legend, erase marks, date interval and selected point.
QString ChartDescription(const TAnalyte& analyte, const TChartView& view, const TListSerum& materials);
// After scrolling or selecting a point: clears ChartWindowRect() and redraws the plots without their
// legends, the date band and the comment marks. `area` is the paint box as for PaintAnalyteCharts.
void RedrawChartWindow(QPainter& canvas, QRect area, const TAnalyte& analyte, const TChartView& view);

} // namespace tervanix
