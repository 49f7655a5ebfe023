#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <gtest/gtest.h>

#include "charts/UPrnData.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"
#include "support/AnalyteBuilders.h"

namespace tervanix {
namespace {

class PrnData : public ::testing::Test {
protected:
    PrnData() {
        analyte_.MaterialId[0] = materials_.AddMaterial("Lyo", "").Id;
        const double day = EncodeDate(2026, 5, 4);
        for (double t : {0.25, 0.75}) {
            TResu run = test::MakeRun(day, {5.0f}, "", "OP");
            run.DateTime = day + t;
            analyte_.AddPoint(run);
        }
        analyte_.AddPoint(test::MakeRun(day + 3, {5.5f}, "Late"));
        analyte_.Point(2).Levels[0].Status = qsLowAction;
    }
    test::TLocaleScope locale_{'.'};
    TListSerum materials_;
    TAnalyte analyte_{"Urea", "mmol/L", 1, 1, false};
};

// A one-level analyte prints five columns; a material without lot has no "(lot ...)".
TEST_F(PrnData, OneLevelTableAndHeadingLine) {
    EXPECT_EQ(DataTableHeadingLines(analyte_, materials_), QStringList{QStringLiteral("QC1 : Lyo")});
    EXPECT_EQ(DataTableWidths(1), (std::vector<int>{11, 11, 12, 8, 22}));
    const std::vector<TTableCell> cells = DataTableCells(analyte_, {1, 2}, false);
    ASSERT_EQ(cells.size(), 15u);
    const QStringList texts = [&] {
        QStringList t;
        for (const TTableCell& c : cells) t << c.Text;
        return t;
    }();
    EXPECT_EQ(texts.mid(0, 5), (QStringList{"Date", "Time", "QC1", "Operator", "Comment"}));
    EXPECT_EQ(texts.mid(5, 5), (QStringList{"04/05/2026", "18:00:00", "5.0", "OP", ""}));
    EXPECT_EQ(texts.mid(10, 5), (QStringList{"07/05/2026", "12:00:00", "5.5", "", "Late"}));
    EXPECT_EQ(cells[12].Style, csArrowDown2);
}

TEST_F(PrnData, DateRangeIsSwappedAndTakesWholeDays) {
    const double day = EncodeDate(2026, 5, 4);
    const std::tuple<double, double, int, int> cases[] = {
        {day, day, 0, 1}, {day + 3, day, 0, 2}, {day + 1, day + 2, 2, 1}, {day + 0.9, day + 3.1, 0, 2}};
    for (const auto& [d1, d2, first, last] : cases) {
        const TPointRange r = PointsInDateRange(analyte_, d1, d2);
        EXPECT_EQ(std::make_pair(r.First, r.Last), std::make_pair(first, last)) << d1 - day << " " << d2 - day;
    }
}

TEST_F(PrnData, DialogCountsPrintsAndStaysOpenWhenNothingIsPrinted) {
    test::TScriptedMessages boxes;
    test::TPdfPrintService printer;
    TWinPrnData dialog;
    dialog.Prepare(analyte_, materials_);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Print QC data for Urea"));
    EXPECT_EQ(dialog.PanelNbLines()->text(), QStringLiteral("3"));
    EXPECT_TRUE(dialog.CBPrnStats()->isChecked());

    dialog.DatePicker1()->setDate(QDate(2026, 5, 6));
    dialog.DatePicker2()->setDate(QDate(2026, 5, 5));
    EXPECT_EQ(dialog.PanelNbLines()->text(), QStringLiteral("0"));
    dialog.BtPrintClick();
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Nothing to print"));
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(printer.JobCount(), 0);

    dialog.DatePicker2()->setDate(QDate(2026, 5, 4)); // reversed: 4 to 6 May
    EXPECT_EQ(dialog.PanelNbLines()->text(), QStringLiteral("2"));
    dialog.BtPrintClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(printer.JobCount(), 1);
    EXPECT_EQ(printer.LastTitle(), QStringLiteral("Printing QC data"));
    const QStringList lines = test::PageLines(test::PdfPages(printer.LastPdf())[0]);
    EXPECT_TRUE(lines.contains(QStringLiteral("QC1 : Lyo")));
    // The two runs of 4 May share one date cell.
    EXPECT_EQ(lines.filter(QStringLiteral("04/05/2026")).size(), 1);
    EXPECT_TRUE(lines.contains(QStringLiteral("18:00:00 5.0 OP")));
    EXPECT_TRUE(lines.contains(QStringLiteral("N 2"))); // statistics of the printed runs only
}

} // namespace
} // namespace tervanix
