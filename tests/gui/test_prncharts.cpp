#include <QCheckBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QLabel>
#include <gtest/gtest.h>

#include "charts/UDrawChart.h"
#include "charts/UPrnCharts.h"
#include "charts/UPrnTable.h"
#include "charts/UShowLimitsPages.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "main/UColors.h"
#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

using test::TImagePages;

TEST(ChartBands, BandsOf31PointsCoverTheRange) {
    const std::pair<TPointRange, std::vector<std::pair<int, int>>> cases[] = {
        {{5, 4}, {{5, 4}}},                     // empty range: one empty band
        {{0, 30}, {{0, 30}}},                   // 31 points: one band
        {{0, 31}, {{0, 30}, {31, 31}}},         // 32 points: 31 and 1
        {{10, 72}, {{10, 40}, {41, 71}, {72, 72}}},
    };
    for (const auto& [range, expected] : cases) {
        std::vector<std::pair<int, int>> bands;
        for (const TPointRange& b : ChartBands(range)) bands.emplace_back(b.First, b.Last);
        EXPECT_EQ(bands, expected) << range.First << ".." << range.Last;
    }
}

// One level with limits set by hand: mean 100, alert 10, action 20 on a chart from 70 to 130,
// every value on the mean except a discarded 115 at point 5, locked over every point.
class PaperChart : public ::testing::Test {
protected:
    PaperChart() {
        analyte_.MaterialId[0] = materials_.AddMaterial("Lyo", "L1").Id;
        for (int i = 0; i < 40; ++i) analyte_.AddPoint(test::MakeRun(EncodeDate(2026, 1, 1) + i, {i == 5 ? 115.0f : 100.0f}));
        analyte_.Point(5).Levels[0].Status = qsDiscarded;
        TLevelStats& c = analyte_.Current[0];
        c.Mean = 100, c.AlertHalfWidth = 10, c.ActionHalfWidth = 20, c.ChartLow = 70, c.ChartHigh = 130;
        analyte_.AllPoints[0].N = 39;
        analyte_.LimitsMode[0] = lmLocked;
        analyte_.LockFirst[0] = 0;
        analyte_.LockLast[0] = 39;
    }
    // Prints points first..last without statistics on one 96-dpi page of the given height.
    int Pages(int pageHeight, TPointRange range, bool colour = true, bool statistics = false) {
        TImagePages pages(QSize(794, pageHeight));
        const int count = PrintCharts(pages, analyte_, materials_, range, {{true, true, true}, colour, statistics});
        pages.Finish();
        images_ = pages.Images();
        EXPECT_EQ(static_cast<int>(images_.size()), count);
        return count;
    }
    struct TMetrics {
        int TitleBottom, H, W;
        TPaperChartGeometry Geometry;
        int BandHeight() const { return 9 * H + Geometry.PlotHeight; }
        int PlotTop() const { return TitleBottom + 3 * H; }
    };
    static TMetrics Metrics() {
        QImage probe(10, 10, QImage::Format_RGB32);
        probe.setDotsPerMeterX(qRound(96 / 0.0254));
        probe.setDotsPerMeterY(qRound(96 / 0.0254));
        const QFontMetrics f8(PrintFont(8), &probe), f20(PrintFont(20), &probe);
        return {5 * f20.height() / 2, f8.height(), f8.averageCharWidth(), PaperChartGeometry(794, f8.averageCharWidth())};
    }

    TListSerum materials_;
    TAnalyte analyte_{"Glucose", "mmol/L", 1, 1, false};
    std::vector<QImage> images_;
};

// A band moves to the next page only when the space left is smaller than the band just printed
// plus 2h; the statistics grid when less than (levels + 1) rows and 2h are left.
TEST_F(PaperChart, PageBreaksBeforeBandsAndStatistics) {
    const TMetrics m = Metrics();
    const int twoBands = m.TitleBottom + 2 * m.BandHeight() + 2 * m.H;
    EXPECT_EQ(Pages(twoBands, {0, 31}), 1);
    EXPECT_EQ(Pages(twoBands - 1, {0, 31}), 2);
    EXPECT_EQ(Pages(twoBands - 1, {0, 30}), 1); // no band follows: no break

    const int afterBand = m.TitleBottom + m.BandHeight();
    int fits = afterBand;
    // One level: 2 rows of 1/50 page, and two lines for the line under the grid that says what the
    // limits rest on.
    while (fits - afterBand < 2 * (fits / 50) + 4 * m.H) ++fits;
    EXPECT_EQ(Pages(fits, {0, 30}, true, true), 1);
    EXPECT_EQ(Pages(fits - 1, {0, 30}, true, true), 2);
}

// Colour printing draws the screen's colours; black and white draws dotted black limit lines and
// light grey discarded points; the locked band is light cyan in both.
TEST_F(PaperChart, ColourAndBlackAndWhite) {
    const TMetrics m = Metrics();
    const int top = m.PlotTop(), plot = m.Geometry.PlotHeight;
    const int alertY = ValueToY(110, analyte_.Current[0], top, plot);
    const int x10 = m.Geometry.ColumnX(10), x11 = m.Geometry.ColumnX(11);
    const QPoint discarded(m.Geometry.ColumnX(5), ValueToY(115, analyte_.Current[0], top, plot));
    const QPoint band(x10 + 3, top + 3);
    for (bool colour : {true, false}) {
        SCOPED_TRACE(colour ? "colour" : "black and white");
        Pages(1123, {0, 30}, colour);
        const QImage& page = images_[0];
        int black = 0, yellow = 0, other = 0;
        for (int x = x10 + 2; x < x11 - 1; ++x) {
            const QColor c = page.pixelColor(x, alertY);
            (c == clBlack ? black : c == clYellow ? yellow : other)++;
        }
        if (colour) EXPECT_EQ(yellow, x11 - x10 - 3);
        else EXPECT_TRUE(black > 0 && other > 0 && yellow == 0) << black << " " << other;
        EXPECT_EQ(page.pixelColor(discarded), colour ? clRed : clBtnFace);
        EXPECT_EQ(page.pixelColor(band), LockedBandColour);
    }
}

TEST_F(PaperChart, StatisticsRowsAreThoseOfThePrintedRange) {
    TAnalyte three("Calcium", "mmol/L", 2, 3, false);
    for (int i = 0; i < 6; ++i) three.AddPoint(test::MakeRun(100 + i, {2.0f + i * 0.1f, 1.0f, i < 3 ? std::optional(3.0f + i) : std::nullopt}));
    three.Point(1).Levels[0].Status = qsDiscarded;
    const auto rows = ChartStatisticsRows(three, materials_, {1, 4}, {true, true, false});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::array<QString, 4>{"Statistics", "m (mmol/L)", "C.V. (%)", "N"}));
    TLevelStats s;
    three.ComputeStats(0, 1, 4, s);
    ASSERT_EQ(s.N, 3); // the discarded value does not count
    EXPECT_EQ(rows[1], (std::array<QString, 4>{"Unknown", "2.300", "4.3", "3"}));
    // Values without spread have no CV.
    EXPECT_EQ(rows[2], (std::array<QString, 4>{"Unknown", "1.000", "", "4"}));
}

// Values of an older file, beyond what entry accepts today, overflow the CV: the chart and the
// printouts say so instead of showing the blanks of a level with too few points.
TEST_F(PaperChart, LimitsThatOverflowAreNotComputableOnChartAndPrintouts) {
    TAnalyte a("Glucose", "mmol/L", 1, 1, false);
    a.AddPoint(test::MakeRun(90, {3.4e38f}));
    a.AddPoint(test::MakeRun(91, {-3.4e38f}));
    for (int i = 0; i < 4; ++i) a.AddPoint(test::MakeRun(100 + i, {3.0f}));
    a.RecomputeAll();
    ASSERT_TRUE(a.Current[0].NotComputable);
    EXPECT_EQ(LevelLegend(a, 0).CV, "Not computable");
    EXPECT_EQ(ChartStatisticsRows(a, materials_, {0, 5}, {true, false, false})[1][2], "not computable");
    const auto table = LimitsTableTexts(a, materials_);
    EXPECT_EQ(table[4][1], "not computable"); // warning limits
    EXPECT_EQ(table[5][1], "not computable"); // action limits
    // Too few points stay blank.
    a.DeletePoint(1);
    a.DeletePoint(0);
    a.RecomputeAll();
    EXPECT_FALSE(a.Current[0].NotComputable);
    EXPECT_EQ(LevelLegend(a, 0).CV, "");
}

class PrnChartsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Analytes.FreeAll();
        Settings = DefaultSettings();
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 1, 2, false));
        a.MaterialId = {materials_.AddMaterial("Lyo", "L1").Id, materials_.AddMaterial("Patho", "").Id, -1};
        for (int i = 0; i < 40; ++i) a.AddPoint(test::MakeRun(EncodeDate(2026, 1, 1) + i, {100.0f + i % 3, 200.0f}));
        a.RecomputeAll();
        analyte_ = &a;
    }
    void TearDown() override {
        Analytes.FreeAll();
        Settings = DefaultSettings();
    }
    TListSerum materials_;
    TAnalyte* analyte_ = nullptr;
    test::TScriptedMessages boxes_;
    test::TPdfPrintService printer_;
};

TEST_F(PrnChartsDialog, ActivationCountAndColourSetting) {
    TWinPrnCharts dialog;
    Settings.PrintInColour = 1;
    dialog.Prepare(*analyte_, materials_);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Print QC charts for Glucose"));
    EXPECT_EQ(dialog.PanelNbPoints()->text(), QStringLiteral("40"));
    EXPECT_TRUE(dialog.CBColor()->isChecked());
    EXPECT_TRUE(dialog.CBStat()->isChecked());
    EXPECT_EQ(dialog.LevelBox(1)->text(), QStringLiteral("Patho"));
    EXPECT_TRUE(dialog.LevelBox(1)->isEnabled());
    EXPECT_TRUE(dialog.LevelBox(2)->isHidden());
    // Reversed dates give the same count; a last date takes every point of its day.
    dialog.DatePicker1()->setDate(QDate(2026, 1, 31));
    dialog.DatePicker2()->setDate(QDate(2026, 1, 1));
    EXPECT_EQ(dialog.PanelNbPoints()->text(), QStringLiteral("31"));
    dialog.CBColor()->click();
    EXPECT_EQ(Settings.PrintInColour, 0);

    analyte_->SetLevelCount(1);
    dialog.Prepare(*analyte_, materials_);
    EXPECT_FALSE(dialog.LevelBox(0)->isEnabled());
    EXPECT_TRUE(dialog.LevelBox(0)->isChecked());
    EXPECT_TRUE(dialog.LevelBox(1)->isHidden());
}

TEST_F(PrnChartsDialog, PrintsClosesAndRefusesWithoutLevels) {
    TWinPrnCharts dialog;
    dialog.Prepare(*analyte_, materials_);
    dialog.LevelBox(0)->setChecked(false);
    printer_.CancelJobs(true);
    dialog.BtPrintClick();
    EXPECT_EQ(dialog.result(), 0); // a cancelled print dialog keeps this one open
    printer_.CancelJobs(false);
    dialog.BtPrintClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(printer_.JobCount(), 1);
    EXPECT_EQ(printer_.LastTitle(), QStringLiteral("Printing QC charts"));
    const QString text = test::PdfText(printer_.LastPdf());
    EXPECT_FALSE(text.contains(QStringLiteral("Lyo (L1)")));
    EXPECT_TRUE(text.contains(QStringLiteral("Patho ()")));

    dialog.Prepare(*analyte_, materials_);
    dialog.LevelBox(0)->setChecked(false);
    dialog.LevelBox(1)->setChecked(false);
    dialog.setResult(0);
    dialog.BtPrintClick();
    EXPECT_EQ(boxes_.Last().Text, QStringLiteral("Nothing to print"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(printer_.JobCount(), 1);
}

} // namespace
} // namespace tervanix
