#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "charts/UDrawChart.h"
#include "main/UResources.h"
#include "model/UDateTime.h"
#include "support/AnalyteBuilders.h"

// Colours read in failure messages.
static void PrintTo(const QColor& colour, std::ostream* os) { *os << colour.name().toStdString(); }

namespace tervanix {
namespace {

using test::MakeRun;

// Limits chosen for round rows: 2 pixels per unit, mean at the plot's middle.
void SetLimits(TAnalyte& a, int level, long double mean, long double alert, long double action, long double low,
               long double high) {
    TLevelStats& c = a.Current[static_cast<std::size_t>(level)];
    c.Mean = mean;
    c.AlertHalfWidth = alert;
    c.ActionHalfWidth = action;
    c.ChartLow = low;
    c.ChartHigh = high;
}

// An analyte whose level plots all use mean 100, alert 10, action 20 on the range 70..130.
std::unique_ptr<TAnalyte> MakeAnalyte(int levels, std::initializer_list<std::initializer_list<std::optional<float>>> runs) {
    auto a = std::make_unique<TAnalyte>("GLU", "mmol/L", 2, levels, false);
    double day = EncodeDate(2024, 3, 1);
    for (const auto& run : runs) a->AddPoint(MakeRun(day++, run));
    a->RecomputeAll();
    for (int level = 0; level < levels; ++level) SetLimits(*a, level, 100, 10, 20, 70, 130);
    return a;
}

TChartView WholeSeries(const TAnalyte& a) {
    TChartView view;
    view.Last = a.Count() - 1;
    return view;
}

QFont ChartFont() { return QFont(QStringLiteral("MS Sans Serif"), 8); }

QImage Render(const TAnalyte& a, const TChartView& view) {
    QImage image(PaintBoxWidth, PaintBoxHeight, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    QPainter canvas(&image);
    canvas.setFont(ChartFont());
    PaintAnalyteCharts(canvas, image.rect(), a, view);
    return image;
}

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// A column right of every point of a short series, between two grid lines.
constexpr int FreeX = ChartRight - 5;

TEST(DrawChart, ReferenceLinesAndFrameLieOnTheirRows) {
    auto a = MakeAnalyte(3, {{100, 100, 100}});
    SetLimits(*a, 2, 100, 10, 15, 85, 115); // action lines on the edges: no frame line
    const QImage image = Render(*a, WholeSeries(*a));
    for (int level = 0; level < 2; ++level) {
        const int top = LevelPlotTop(3, level);
        EXPECT_EQ(At(image, FreeX, top), clSilver) << level;
        EXPECT_EQ(At(image, FreeX, top + 20), clRed) << level;
        EXPECT_EQ(At(image, FreeX, top + 40), clYellow) << level;
        EXPECT_EQ(At(image, FreeX, top + 60), clLime) << level;
        EXPECT_EQ(At(image, FreeX, top + 80), clYellow) << level;
        EXPECT_EQ(At(image, FreeX, top + 100), clRed) << level;
        EXPECT_EQ(At(image, FreeX, top + PlotHeight), clSilver) << level;
        EXPECT_EQ(At(image, FreeX, top + 30), QColor(Qt::white)) << level;
        EXPECT_EQ(At(image, ChartLeft + 30 * PointStep, top + 30), clSilver) << "grid";
    }
    const int top = LevelPlotTop(3, 2);
    EXPECT_EQ(At(image, FreeX, top), clRed);
    EXPECT_EQ(At(image, FreeX, top + PlotHeight), clRed);
}

TEST(DrawChart, ValueToYRoundsTiesToEvenAndHoldsValuesOnTheEdges) {
    TLevelStats s;
    s.Mean = 60;
    s.ChartLow = 0;
    s.ChartHigh = 120; // one pixel per unit
    EXPECT_EQ(ValueToY(0.5L, s, 10), 130);
    EXPECT_EQ(ValueToY(1.5L, s, 10), 128);
    EXPECT_EQ(ValueToY(2.5L, s, 10), 128);
    EXPECT_EQ(ValueToY(120, s, 10), 10);    // on the top, above the mean
    EXPECT_EQ(ValueToY(1000, s, 10), 10);
    EXPECT_EQ(ValueToY(0, s, 10), 130);     // on the low edge, not above the mean
    EXPECT_EQ(ValueToY(-5, s, 10), 130);
    EXPECT_EQ(ValueToY(std::numeric_limits<long double>::quiet_NaN(), s, 10), 130);
    s.Mean = 200; // above the range but below the mean: bottom edge
    EXPECT_EQ(ValueToY(150, s, 10), 130);

    // Below 1e-5 of range the plot uses 2 pixels per unit from the bottom edge.
    s.Mean = 10;
    s.ChartLow = 10;
    s.ChartHigh = 10.000004L;
    EXPECT_EQ(ValueToY(10.000002L, s, 0), PlotHeight);
    EXPECT_EQ(ValueToY(11, s, 0), 0);
    s.ChartLow = -std::numeric_limits<long double>::infinity();
    s.ChartHigh = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(ValueToY(5, s, 0), PlotHeight);
}

TEST(DrawChart, OutOfRangeValuesAreDrawnOnTheEdges) {
    auto a = MakeAnalyte(1, {{1000}, {100}, {-1000}});
    const QImage image = Render(*a, WholeSeries(*a));
    const int top = LevelPlotTop(1, 0);
    EXPECT_EQ(At(image, ColumnX(0, 0), top), clNavy);
    EXPECT_EQ(At(image, ColumnX(1, 0), top + 60), clNavy);
    EXPECT_EQ(At(image, ColumnX(2, 0), top + PlotHeight), clNavy);
}

TEST(DrawChart, ScaleStepDecimalsAndFirstGraduation) {
    struct Case {
        long double range, decade, step;
        int decimals;
    };
    for (const Case& c : {Case{0.37L, 0.1L, 0.1L, 1}, Case{25, 10, 5, 0}, Case{10, 1, 2, 0}, Case{1, 1, 0.2L, 1},
                          Case{0.05L, 0.01L, 0.01L, 2}, Case{0.2L, 0.1L, 0.04L, 2}, Case{0.004L, 0.001L, 0.001L, 3},
                          Case{130, 100, 40, 0}, Case{2.9L, 1, 0.5L, 1}}) {
        EXPECT_NEAR(static_cast<double>(ScaleDecade(c.range)), static_cast<double>(c.decade), 1e-12) << c.range;
        EXPECT_NEAR(static_cast<double>(ScaleStep(c.range)), static_cast<double>(c.step), 1e-12) << c.range;
        EXPECT_EQ(ScaleDecimals(ScaleStep(c.range)), c.decimals) << c.range;
    }
    EXPECT_EQ(FirstGraduation(2.0L, 0.5L), 2.5L);  // on a non-negative low: skipped
    EXPECT_EQ(FirstGraduation(-2.0L, 0.5L), -2.0L); // on a negative low: drawn
    EXPECT_EQ(FirstGraduation(-2.2L, 0.5L), -2.0L);

    const std::vector<long double> g = ScaleGraduations(70, 130); // step 20
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g.front(), 80);
    EXPECT_EQ(g.back(), 120);
}

TEST(DrawChart, UngraduatableRangesDrawNoScaleAndDoNotHang) {
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    for (auto [low, high] : {std::pair{5.0L, 5.0L}, {5.0L, 4.0L}, {0.0L, inf}, {-inf, inf}, {nan, 1.0L}})
        EXPECT_TRUE(ScaleGraduations(low, high).empty()) << static_cast<double>(low);
    const auto tiny = ScaleGraduations(1, 1.0000001L);
    EXPECT_TRUE(!tiny.empty() && tiny.size() <= 7u);

    auto a = MakeAnalyte(1, {{100}});
    SetLimits(*a, 0, 100, 10, 20, 100, 100);
    Render(*a, WholeSeries(*a)); // returns
}

TEST(DrawChart, ScaleTicksAtTheirGraduationsOnlyForLevelsWithValuesOrFixedLimits) {
    auto a = MakeAnalyte(2, {{100, std::nullopt}});
    const QImage image = Render(*a, WholeSeries(*a));
    const int top0 = LevelPlotTop(2, 0), top1 = LevelPlotTop(2, 1);
    EXPECT_EQ(At(image, ChartLeft - 3, top0 + 100), QColor(Qt::black)); // 80
    EXPECT_EQ(At(image, ChartLeft - 3, top0 + 20), QColor(Qt::black));  // 120
    EXPECT_EQ(At(image, ChartLeft - 3, top0 + 30), QColor(Qt::white));
    EXPECT_EQ(At(image, ChartLeft - 3, top1 + 100), QColor(Qt::white)); // no value on level 2
    a->LimitsMode[1] = lmFixed;
    EXPECT_EQ(At(Render(*a, WholeSeries(*a)), ChartLeft - 3, top1 + 100), QColor(Qt::black));
}

TEST(DrawChart, DiscardedPointsAreBlueAndSkippedByTheLine) {
    auto a = MakeAnalyte(2, {{100, 90}, {130, std::nullopt}, {100, 90}});
    a->Point(1).Levels[0].Status = qsDiscarded;
    TChartView view = WholeSeries(*a);
    const QImage image = Render(*a, view);
    const int top0 = LevelPlotTop(2, 0), top1 = LevelPlotTop(2, 1);
    EXPECT_EQ(At(image, ColumnX(1, 0), top0 + 1), clBlue);
    EXPECT_EQ(At(image, ColumnX(1, 0), top0 + 60), clNavy); // the line joins 0 and 2
    EXPECT_EQ(At(image, ColumnX(1, 0), top1 + 80), clNavy); // joined over the empty level
    EXPECT_EQ(At(image, ColumnX(0, 0), top0 + 60), clNavy);

    view.EraseMarks[0] = true;
    const QImage erased = Render(*a, view);
    EXPECT_EQ(At(erased, ColumnX(1, 0), top0 + 1), clSilver);
    EXPECT_EQ(At(erased, ColumnX(1, 0), top0 + 60), clSilver);
    EXPECT_EQ(At(erased, ColumnX(0, 0), top0 + 60), clSilver);
    EXPECT_EQ(At(erased, ColumnX(0, 0), top1 + 80), clNavy); // other level unmarked
}

TEST(DrawChart, SelectedPointOnEveryLevelThatHasAValue) {
    auto a = MakeAnalyte(2, {{100, 100}, {110, std::nullopt}});
    TChartView view = WholeSeries(*a);
    view.SelectedPoint = 1;
    const QImage image = Render(*a, view);
    const int x = ColumnX(1, 0), top0 = LevelPlotTop(2, 0), top1 = LevelPlotTop(2, 1);
    EXPECT_EQ(At(image, x, top0 + 40), clRed);
    EXPECT_EQ(At(image, x + SelectedPointRadius - 1, top0 + 40), clRed);
    EXPECT_EQ(At(image, x + 2, top1 + 58), QColor(Qt::white)); // no value, no selection mark
    view.SelectedPoint = 0;
    const QImage first = Render(*a, view);
    EXPECT_EQ(At(first, ColumnX(0, 0), top0 + 60), clRed);
    EXPECT_EQ(At(first, ColumnX(0, 0), top1 + 60), clRed);
}

TEST(DrawChart, LockedBandOnlyWhereTheIntervalMeetsTheWindow) {
    auto a = MakeAnalyte(1, {{100}, {100}, {100}, {100}, {100}, {100}});
    a->LimitsMode[0] = lmLocked;
    a->LockFirst[0] = 1;
    a->LockLast[0] = 4;
    TChartView view = WholeSeries(*a);
    const int y = LevelPlotTop(1, 0) + 30;
    const QImage image = Render(*a, view);
    EXPECT_EQ(At(image, ColumnX(1, 0) + 3, y), LockedBandColour);
    EXPECT_EQ(At(image, ColumnX(4, 0) - 1, y), LockedBandColour);
    EXPECT_EQ(At(image, ColumnX(1, 0) - 3, y), QColor(Qt::white));
    EXPECT_EQ(At(image, ColumnX(4, 0) + 3, y), QColor(Qt::white));
    view.First = 5; // interval wholly left of the window
    EXPECT_EQ(At(Render(*a, view), ChartLeft + 3, y), QColor(Qt::white));
}

TEST(DrawChart, LockedIntervalFarOutsideTheSeriesCoversTheWholeWindow) {
    auto a = MakeAnalyte(1, {{100}, {100}});
    a->LimitsMode[0] = lmLocked;
    a->LockFirst[0] = std::numeric_limits<std::int32_t>::min();
    a->LockLast[0] = std::numeric_limits<std::int32_t>::max();
    const QImage image = Render(*a, WholeSeries(*a));
    const int y = LevelPlotTop(1, 0) + 30;
    EXPECT_EQ(At(image, ChartLeft + 3, y), LockedBandColour);
    EXPECT_EQ(At(image, ChartRight - 3, y), LockedBandColour);
    EXPECT_EQ(At(image, ChartRight + 3, y), QColor(Qt::white));
}

// One line of a legend as the laboratory reads it; the space below it in half lines.
struct TLegendLine {
    QString Text;
    int HalfLinesBelow = 2;
    bool Caption = false;
    bool Underlined = false;
};

// The legend of a plot whose top is `top`, drawn line by line from its expected texts.
QImage ExpectedLegend(int top, const std::vector<TLegendLine>& lines) {
    QImage image(PaintBoxWidth, PaintBoxHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    int y = top + 20;
    const int h = QFontMetrics(ChartFont()).height();
    std::vector<QString> texts;
    for (const TLegendLine& line : lines) texts.push_back(line.Text);
    // Made smaller where the widest line would run past the paint box's edge.
    const QFont fitted = ScaleLabelFont(ChartFont(), texts, PaintBoxWidth - ChartRight - 15);
    for (const TLegendLine& line : lines) {
        QFont font = fitted;
        font.setUnderline(line.Underlined);
        canvas.setFont(font);
        const QRect cell(ChartRight + 15, y, canvas.fontMetrics().horizontalAdvance(line.Text), canvas.fontMetrics().height());
        canvas.fillRect(cell, line.Caption ? clGreen : clWhite);
        canvas.setPen(line.Caption ? Qt::white : Qt::black);
        canvas.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, line.Text);
        y += line.HalfLinesBelow * h / 2;
    }
    return image;
}

bool SameLegend(const QImage& drawn, int top, const std::vector<TLegendLine>& lines) {
    const QRect legend(ChartRight + 5, top, PaintBoxWidth - ChartRight - 5, PlotHeight);
    return drawn.copy(legend) == ExpectedLegend(top, lines).copy(legend);
}

TEST(DrawChart, LegendShowsTheWholeSeriesStatisticsUnderTheLimitsMode) {
    auto a = MakeAnalyte(1, {{100}});
    a->Options |= aoCommonCV;
    TLevelStats& all = a->AllPoints[0];
    all.N = 12;
    all.Mean = 5.4321L;
    all.CV = 3.26f;
    all.Status = 0;
    const int top = LevelPlotTop(1, 0);
    EXPECT_TRUE(SameLegend(Render(*a, WholeSeries(*a)), top,
                           {{"Mobile limits", 3, true}, {"m = 5.432 mmol/L"}, {"CV = 3.3 %"}, {"N = 12", 3},
                            {"Common CV", 2, false, true}}));

    a->LimitsMode[0] = lmFixed; // fixed limits do not use the common CV
    EXPECT_TRUE(SameLegend(Render(*a, WholeSeries(*a)), top,
                           {{"Fixed limits", 3, true}, {"m = 5.432 mmol/L"}, {"CV = 3.3 %"}, {"N = 12", 3}}));

    a->LimitsMode[0] = lmLocked;
    all.N = 1;
    all.Status = qsNoValue; // no CV from a single value
    EXPECT_TRUE(SameLegend(Render(*a, WholeSeries(*a)), top,
                           {{"Locked limits", 3, true}, {"m = 5.432 mmol/L"}, {"N = 1", 3}, {"Common CV", 2, false, true}}));

    TAnalyte empty("NA", "mmol/L", 2, 1, false);
    empty.RecomputeAll();
    EXPECT_TRUE(SameLegend(Render(empty, TChartView{}), top, {{"Mobile limits", 3, true}, {"N = 0", 3}}));
}

TEST(DrawChart, DateLabelsMonthOnChangeYearOnlyWithAChangedMonth) {
    TDateLabeller labeller;
    auto next = [&](int y, int m, int d) { return labeller.Next(EncodeDate(y, m, d) + 0.75); };
    TDateColumnLabels l = next(1999, 12, 30);
    EXPECT_EQ(l.Day, "30");
    EXPECT_EQ(l.Month, "Dec");
    EXPECT_EQ(l.Year, "99");
    l = next(1999, 12, 31);
    EXPECT_TRUE(l.Month.empty() && l.Year.empty());
    l = next(2000, 1, 3);
    EXPECT_EQ(l.Day, "3");
    EXPECT_EQ(l.Month, "Jan");
    EXPECT_EQ(l.Year, "00");
    l = next(2001, 1, 4); // same month text a year later: neither label
    EXPECT_TRUE(l.Month.empty() && l.Year.empty());
    l = next(2001, 2, 1); // the year was not written yet for 2001, so it comes with February
    EXPECT_EQ(l.Month, "Feb");
    EXPECT_EQ(l.Year, "01");
    l = next(2001, 3, 1);
    EXPECT_EQ(l.Month, "Mar");
    EXPECT_TRUE(l.Year.empty());
    EXPECT_EQ(MonthLabel(9), "Sep");
}

// Whether anything is written in the text row `row` (0 day, 1 month, 2 year) under column `index`.
bool BandRowInked(const QImage& image, int levels, int index, int row) {
    const int h = QFontMetrics(ChartFont(), &image).height();
    const int x = ColumnX(index, 0), y = DateBandY(levels) + row * h;
    for (int dy = 2; dy < h - 2; ++dy)
        for (int dx = -5; dx <= 5; ++dx)
            if (At(image, x + dx, y + dy) != QColor(Qt::white)) return true;
    return false;
}

TEST(DrawChart, DateBandWritesMonthAndYearUnderTheirColumns) {
    auto a = std::make_unique<TAnalyte>("GLU", "mmol/L", 2, 2, false);
    for (double day : {EncodeDate(1999, 12, 31), EncodeDate(2000, 1, 1), EncodeDate(2000, 1, 2)})
        a->AddPoint(MakeRun(day, {100, 100}));
    a->RecomputeAll();
    const QImage image = Render(*a, WholeSeries(*a));
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(BandRowInked(image, 2, 0, row)) << row;
        EXPECT_TRUE(BandRowInked(image, 2, 1, row)) << row;
        EXPECT_EQ(BandRowInked(image, 2, 2, row), row == 0) << row;
    }
}

TEST(DrawChart, DateIntervalHighlightsDaysAndCommentMarksIncludeIdZero) {
    auto a = MakeAnalyte(1, {{100}, {100}, {100}});
    a->Point(0).CommentId = 0;
    TChartView view = WholeSeries(*a);
    view.IntervalFrom = 1;
    view.IntervalTo = 1;
    const QImage image = Render(*a, view);
    const int band = DateBandY(1);
    EXPECT_EQ(At(image, ColumnX(1, 0), band), clBlue);
    EXPECT_EQ(At(image, ColumnX(2, 0), band), QColor(Qt::white));

    const QImage mark = ResourceBitmap(QStringLiteral("COMMENT")).toImage();
    const int markY = CommentMarksY(1);
    bool same = true;
    for (int y = 0; y < mark.height(); ++y)
        for (int x = 0; x < mark.width(); ++x)
            same = same && At(image, ColumnX(0, 0) - 4 + x, markY + y) == mark.pixelColor(x, y);
    EXPECT_TRUE(same);
    EXPECT_EQ(At(image, ColumnX(1, 0), markY + 5), QColor(Qt::white));
}

TEST(DrawChart, EmptyAnalyteAndOversizedWindowsStayInTheSeries) {
    TAnalyte empty("NA", "mmol/L", 2, 1, false);
    empty.RecomputeAll();
    const QImage image = Render(empty, TChartView{});
    const int top = LevelPlotTop(1, 0);
    EXPECT_EQ(At(image, FreeX, top + 60), clLime);
    EXPECT_EQ(At(image, ChartLeft - 3, top + 60), QColor(Qt::white)); // mobile: no scale

    auto a = MakeAnalyte(1, {{100}, {100}});
    TChartView view;
    view.First = -5;
    view.Last = 500;
    view.SelectedPoint = 400;
    view.IntervalFrom = 0;
    view.IntervalTo = 1000;
    EXPECT_EQ(At(Render(*a, view), ColumnX(1, 0), top + 60), clNavy);
    view.First = view.Last = std::numeric_limits<int>::max(); // nothing of the series: plots only
    const QImage beyond = Render(*a, view);
    EXPECT_EQ(At(beyond, ColumnX(1, 0), top + 60), clLime);
    EXPECT_EQ(At(beyond, ColumnX(0, 0), DateBandY(1) + 5), QColor(Qt::white));
}

TEST(DrawChart, RedrawOfTheWindowLeavesTheLegendsAlone) {
    auto a = MakeAnalyte(1, {{100}, {110}});
    QImage image(PaintBoxWidth, PaintBoxHeight, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    {
        QPainter canvas(&image);
        RedrawChartWindow(canvas, image.rect(), *a, WholeSeries(*a));
    }
    EXPECT_EQ(At(image, ChartRight + 20, LevelPlotTop(1, 0) + 25), QColor(Qt::darkGray));
    EXPECT_EQ(At(image, ColumnX(1, 0), LevelPlotTop(1, 0) + 40), clNavy);
    EXPECT_EQ(At(image, 100, 2), QColor(Qt::white));
}

} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

// At the window font the labels keep it; on a larger desktop font they are made smaller until the
// widest fits left of the ticks, never cut to "2.8" for "12.8".
TEST(ValueScale, LabelsFitLeftOfTheTicksAtEveryFontSize) {
    const std::vector<QString> labels{QStringLiteral("12.8"), QStringLiteral("11.8"), QStringLiteral("10.8")};
    constexpr int Room = 27; // the chart's: 40 - 5 for the tick - a character's gap at 8 points
    for (const double points : {8.0, 10.0, 12.0, 16.0}) {
        SCOPED_TRACE(points);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPointSizeF(points);
        const QFont fitted = ScaleLabelFont(font, labels, Room);
        for (const QString& label : labels) EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(label), Room);
        if (QFontMetrics(font).horizontalAdvance(labels[0]) <= Room) {
            EXPECT_EQ(fitted.pointSizeF(), points); // nothing to make room for
        }
    }
}

} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

// On a larger desktop font the legends stay inside the paint box and two day numbers side by side
// keep a gap between them: nothing reads "m = 11.96 mmo" or "2930".
TEST(ChartTexts, LegendsAndDayNumbersFitAtEveryFontSize) {
    auto a = std::make_unique<TAnalyte>("GLU", "mmol/L", 2, 1, true); // with the common CV line
    for (int day = 0; day < 31; ++day) a->AddPoint(MakeRun(EncodeDate(2026, 10, 10) + day, {11.96f + day % 2}));
    a->RecomputeAll();
    const int bandY = DateBandY(1);
    for (const int points : {8, 12, 16}) {
        SCOPED_TRACE(points);
        QImage image(PaintBoxWidth + 100, PaintBoxHeight, QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        {
            QPainter canvas(&image);
            canvas.setFont(QFont(QStringLiteral("Liberation Sans"), points));
            PaintAnalyteCharts(canvas, QRect(0, 0, PaintBoxWidth, PaintBoxHeight), *a, WholeSeries(*a));
        }
        for (int y = 0; y < PaintBoxHeight; ++y)
            for (int x = PaintBoxWidth; x < image.width(); ++x) ASSERT_EQ(At(image, x, y), QColor(Qt::darkGray)) << x << "," << y;
        for (int column = 0; column + 1 < ChartColumns; ++column) {
            const int between = ColumnX(column, 0) + PointStep / 2;
            for (int y = bandY; y < bandY + QFontMetrics(QFont(QStringLiteral("Liberation Sans"), 8)).height(); ++y)
                ASSERT_EQ(At(image, between, y), QColor(Qt::white)) << column << "," << y;
        }
    }
}

} // namespace
} // namespace tervanix
