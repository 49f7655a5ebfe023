#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "charts/UPrnTable.h"
#include "gui/GuiHarness.h"
#include "gui/PrintHarness.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UTypes.h"

namespace tervanix {
namespace {

using test::PageLines;
using test::PdfPages;
using test::TImagePages;

// The print date of the footers and the locale of their date, for one test.
class PrintTableTest : public ::testing::Test {
protected:
    void SetUp() override { SetClock([] { return EncodeDate(2026, 12, 8) + 0.5; }); }
    void TearDown() override { SetClock({}); }
    test::TLocaleScope locale_{'.'};
};

// Body rows labelled "r1".."rN" in column 1 under the headings "Date", "Row", "Value".
std::vector<TTableCell> NumberedRows(int rows) {
    std::vector<TTableCell> cells = {{"Date", csShaded}, {"Row", csShaded}, {"Value", csShaded}};
    for (int i = 1; i <= rows; ++i)
        cells.insert(cells.end(), {{QStringLiteral("d%1").arg(i), csPlain}, {QStringLiteral("r%1").arg(i), csPlain},
                                   {QString::number(i * 1.5, 'f', 2), csPlain}});
    return cells;
}

// The page count of the footers as the engine's formula gives it from the two capacities.
int FormulaPageCount(int firstTop, int rowHeight, int bottomLimit, int rows) {
    const int a = (bottomLimit - firstTop) / rowHeight + 1;
    const int b = (bottomLimit - rowHeight) / rowHeight + 1;
    return a >= rows + 1 ? 1 : (rows - a) / (b - 1) + 2;
}

TEST(PlanTablePages, SplitsRowsAsTheCapacityFormulaCounts) {
    struct TCase {
        int FirstTop, RowHeight, BottomLimit, Rows;
        std::vector<int> Expected;
    };
    const TCase cases[] = {
        {105, 26, 1045, 0, {0}},          // no body row: one page, title and footer only
        {105, 26, 1045, 35, {35}},        // A = 37: fits with the heading row
        {105, 26, 1045, 36, {36}},        // the last row may cross the bottom limit
        {105, 26, 1045, 37, {36, 1}},     // first page A-1 = 36, the rest on a page of its own
        {105, 26, 1045, 200, {36, 39, 39, 39, 39, 8}}, // later pages B-1 = 39 rows
        {0, 50, 120, 5, {2, 1, 1, 1}},    // tiny pages still progress by at least one row
        {900, 50, 120, 3, {1, 1, 1}},     // a title lower than the bottom limit still prints a row
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.FirstTop << "/" << c.RowHeight << "/" << c.BottomLimit << "/" << c.Rows);
        const std::vector<int> plan = PlanTablePages(c.FirstTop, c.RowHeight, c.BottomLimit, c.Rows);
        EXPECT_EQ(plan, c.Expected);
        if (c.FirstTop < c.BottomLimit && c.RowHeight * 2 < c.BottomLimit) {
            EXPECT_EQ(static_cast<int>(plan.size()), FormulaPageCount(c.FirstTop, c.RowHeight, c.BottomLimit, c.Rows));
        }
    }
}

// When the space of a page is an exact multiple of the row height the page holds one row less
// than the formula's capacity; the footers count the pages actually printed.
TEST(PlanTablePages, ExactMultipleOfTheRowHeightCountsThePrintedPages) {
    // A = (100 - 0) / 20 + 1 = 6 says 5 body rows fit, but the page ends after row 4.
    EXPECT_EQ(PlanTablePages(0, 20, 100, 5), (std::vector<int>{4, 1}));
    EXPECT_EQ(FormulaPageCount(0, 20, 100, 5), 1);
}

TEST(FitColumnWidths, WidensForTextsWhereThePageLeavesRoomAndNeverBeyondIt) {
    struct TCase {
        std::vector<int> Nominal, Needed;
        int Available;
        std::vector<int> Expected;
    };
    const TCase cases[] = {
        {{50, 60}, {10, 20}, 200, {50, 60}},         // texts fit: the nominal widths
        {{50, 60}, {80, 20}, 200, {80, 60}},         // a wide text widens its column
        {{50, 60}, {200, 20}, 200, {140, 60}},       // up to the room the page leaves
        {{50, 60, 40}, {90, 90, 0}, 190, {70, 80, 40}}, // the room shared evenly
        {{50, 60, 40}, {55, 200, 0}, 200, {55, 105, 40}}, // a share not used goes to the others
        {{100, 100}, {0, 0}, 150, {75, 75}},         // too wide even nominal: narrowed in proportion
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(FitColumnWidths(c.Nominal, c.Needed, c.Available), c.Expected);
    }
}

TEST(StatusCellStyle, MarksAlertsActionsAndDiscardedValues) {
    const std::pair<std::uint8_t, TCellStyle> cases[] = {
        {qsInControl, csPlain},     {qsHighAlert, csArrowUp},    {qsHighAction, csArrowUp2},
        {qsLowAlert, csArrowDown},  {qsLowAction, csArrowDown2}, {qsDiscarded, csCrossed},
        {qsNoValue, csPlain},       {200, csPlain},
    };
    for (const auto& [status, style] : cases) EXPECT_EQ(StatusCellStyle(status), style) << int(status);
}

// Page count, footer and the heading row of every page, on several paper sizes: the rows found on
// each page of the PDF follow the split planned with the metrics of the PDF's own device.
TEST_F(PrintTableTest, PagesFootersAndRowSplitOnSeveralPaperSizes) {
    const QPageSize::PageSizeId papers[] = {QPageSize::A4, QPageSize::A5, QPageSize::Letter};
    for (QPageSize::PageSizeId paper : papers) {
        for (int rows : {0, 3, 120}) {
            SCOPED_TRACE(testing::Message() << QPageSize::name(paper).toStdString() << " " << rows);
            std::vector<int> plan;
            TPrintJob job{QStringLiteral("Table"), QPageLayout::Portrait, [&](TPrintPages& pages) {
                              const int titleHeight = QFontMetrics(PrintFont(20), pages.Canvas().device()).height();
                              const int rowHeight = 2 * QFontMetrics(PrintFont(8), pages.Canvas().device()).height();
                              plan = PlanTablePages(5 * titleHeight / 2, rowHeight, pages.PageHeight() - 3 * rowHeight, rows);
                              EXPECT_EQ(PrintTable(pages, QStringLiteral("QC data for Glucose"), {}, NumberedRows(rows),
                                                   false, {11, 11, 12}, 3),
                                        static_cast<int>(plan.size()));
                          }};
            const QStringList pages = PdfPages(RenderPdf(job, QPageSize(paper)));
            ASSERT_EQ(pages.size(), static_cast<qsizetype>(plan.size()));
            int next = 1;
            for (qsizetype p = 0; p < pages.size(); ++p) {
                const QStringList lines = PageLines(pages[p]);
                EXPECT_EQ(lines.back(), QStringLiteral("- Page %1/%2 - QC data for Glucose - Printed on 08/12/2026 -")
                                            .arg(p + 1)
                                            .arg(pages.size()));
                EXPECT_EQ(lines.contains(QStringLiteral("Date Row Value")), rows > 0);
                EXPECT_EQ(pages[p].contains(QStringLiteral("QC data for Glucose  ")) ||
                              lines.contains(QStringLiteral("QC data for Glucose")),
                          p == 0);
                int found = 0;
                for (const QString& line : lines)
                    if (line == QStringLiteral("d%1 r%1 %2").arg(next).arg(next * 1.5, 0, 'f', 2)) ++found, ++next;
                EXPECT_EQ(found, plan[static_cast<std::size_t>(p)]);
            }
            EXPECT_EQ(next, rows + 1);
        }
    }
}

TEST_F(PrintTableTest, EmptyTitlePrintsNoTitleBoxAndAnEmptyFooterTitle) {
    TImagePages pages;
    EXPECT_EQ(PrintTable(pages, QString(), {}, NumberedRows(1), false, {11, 11, 12}, 3), 1);
    pages.Finish();
    // The heading row starts at y = 0: its top line is on the first pixel row.
    const QImage& page = pages.Images()[0];
    EXPECT_EQ(page.pixelColor(page.width() / 2, 0), QColor(Qt::black));
    TPrintJob job{QString(), QPageLayout::Portrait,
                  [](TPrintPages& p) { PrintTable(p, QString(), {}, NumberedRows(1), false, {11, 11, 12}, 3); }};
    EXPECT_TRUE(PdfPages(RenderPdf(job))[0].contains(QStringLiteral("- Page 1/1 - - Printed on 08/12/2026 -")));
}

// Geometry of a table printed without title on 96-dpi image pages: rows start at y = 0.
struct TProbe {
    int RowHeight = 0;
    std::vector<int> Left; // left edge of each column
    // The pixel just inside the left edge of a column, on the line between row r and row r + 1.
    QColor Between(const QImage& page, int column, int row) const {
        return page.pixelColor(Left[static_cast<std::size_t>(column)] + 3, (row + 1) * RowHeight);
    }
    QColor Inside(const QImage& page, int column, int row) const {
        return page.pixelColor(Left[static_cast<std::size_t>(column)] + 3, row * RowHeight + 3);
    }
};

TProbe ProbeFor(TImagePages& pages, const std::vector<int>& widths) {
    const QFontMetrics metrics(PrintFont(8), pages.Canvas().device());
    TProbe probe;
    probe.RowHeight = 2 * metrics.height();
    int total = 0;
    for (int w : widths) total += w * 4 * TableCharacterWidth(metrics) / 3;
    int x = (pages.PageWidth() - total) / 2;
    for (int w : widths) {
        probe.Left.push_back(x);
        x += w * 4 * TableCharacterWidth(metrics) / 3;
    }
    return probe;
}

// Three rows of one date with different times print one tall date cell; equal times are merged
// only inside a run of dates; equal times under different dates stay apart.
TEST_F(PrintTableTest, RepeatedDatesAndTimesMergeIntoTallCells) {
    const std::vector<TTableCell> cells = {
        {"Date", csShaded}, {"Time", csShaded}, {"QC1", csShaded}, // heading row
        {"01/03", csPlain}, {"08:00", csPlain}, {"1", csPlain},    // row 1
        {"01/03", csPlain}, {"09:00", csPlain}, {"2", csPlain},    // row 2
        {"01/03", csPlain}, {"09:00", csPlain}, {"3", csPlain},    // row 3: time merged with row 2
        {"02/03", csPlain}, {"09:00", csPlain}, {"4", csPlain},    // row 4: same time, new date
    };
    const std::vector<int> widths = {11, 11, 12};
    TImagePages pages;
    const TProbe probe = ProbeFor(pages, widths);
    PrintTable(pages, QString(), {}, cells, false, widths, 3);
    pages.Finish();
    const QImage& page = pages.Images()[0];
    const QColor black(Qt::black), white(Qt::white);
    EXPECT_EQ(probe.Between(page, 0, 0), black); // under the heading row
    EXPECT_EQ(probe.Between(page, 0, 1), white); // rows 1-3 share the date cell
    EXPECT_EQ(probe.Between(page, 0, 2), white);
    EXPECT_EQ(probe.Between(page, 0, 3), black); // the date changes
    EXPECT_EQ(probe.Between(page, 1, 1), black); // 08:00 / 09:00
    EXPECT_EQ(probe.Between(page, 1, 2), white); // 09:00 / 09:00 on the same date
    EXPECT_EQ(probe.Between(page, 1, 3), black); // 09:00 / 09:00 across two dates
    for (int row = 0; row < 4; ++row) EXPECT_EQ(probe.Between(page, 2, row), black) << row;
    EXPECT_EQ(probe.Inside(page, 0, 0), QColor(192, 192, 192)); // shaded heading
    EXPECT_EQ(probe.Inside(page, 0, 1), white);
}

// A run of equal dates that crosses a page break is closed on the first page and reopened on the
// next one, so each page shows the date.
TEST_F(PrintTableTest, MergedRunIsClosedAtThePageBreak) {
    std::vector<TTableCell> cells = {{"Date", csShaded}, {"Value", csShaded}};
    for (int i = 1; i <= 40; ++i) cells.insert(cells.end(), {{"07/03/2026", csPlain}, {QString::number(i), csPlain}});
    TPrintJob job{QStringLiteral("T"), QPageLayout::Portrait,
                  [&](TPrintPages& p) { EXPECT_EQ(PrintTable(p, QStringLiteral("T"), {}, cells, false, {11, 12}, 2), 2); }};
    const QStringList pages = PdfPages(RenderPdf(job, QPageSize(QPageSize::A5)));
    ASSERT_EQ(pages.size(), 2);
    for (const QString& page : pages) EXPECT_EQ(page.count(QStringLiteral("07/03/2026")), 1);
}

// Arrows beside the value in the right fifth, diagonals over a crossed cell, italic heading lines
// and the archive stamp, as a reader of the PDF finds them.
TEST_F(PrintTableTest, MarkedCellsHeadingLinesAndArchiveStamp) {
    const std::vector<TTableCell> cells = {{"QC1", csShaded}, {"QC2", csShaded},      {"10.5", csArrowUp2},
                                           {"7.25", csCrossed}, {"3.1", csArrowDown}, {"", csPlain}};
    TPrintJob job{QStringLiteral("T"), QPageLayout::Portrait, [&](TPrintPages& p) {
                      PrintTable(p, QStringLiteral("Cumulative"), {QString(), QStringLiteral("QC1 : Lyphochek")}, cells,
                                 true, {12, 12}, 2);
                  }};
    const QStringList lines = PageLines(PdfPages(RenderPdf(job))[0]);
    EXPECT_TRUE(lines.contains(QStringLiteral("10.5 \u2191\u2191 7.25"))) << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("3.1 \u2193"))) << lines.join('|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("QC1 : Lyphochek")));
    EXPECT_TRUE(lines.filter(QStringLiteral("Archive document - Keep it")).size() == 1);

    TImagePages pages;
    const TProbe probe = ProbeFor(pages, {12, 12});
    PrintTable(pages, QString(), {}, cells, false, {12, 12}, 2);
    pages.Finish();
    const QImage& page = pages.Images()[0];
    // The crossed cell of row 1, column 1: a diagonal passes a third of the way across it.
    const int x = probe.Left[1] + (probe.Left[1] - probe.Left[0]) / 3;
    const int yDiagonal = probe.RowHeight + probe.RowHeight / 3;
    bool crossed = false;
    for (int dy = -2; dy <= 2; ++dy) crossed = crossed || page.pixelColor(x, yDiagonal + dy) == QColor(Qt::black);
    EXPECT_TRUE(crossed);
}

} // namespace
} // namespace tervanix

namespace tervanix {
namespace {

// A job that fails while drawing leaves neither a file nor a temporary one, and keeps the
// previous file.
TEST(WritePdfAtomic, AFailedJobLeavesThePreviousFile) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("report.pdf")).toStdString();
    const TPrintJob good{QStringLiteral("T"), QPageLayout::Portrait,
                         [](TPrintPages& p) { PrintTable(p, QStringLiteral("T"), {}, {}, false, {}, 1); }};
    WritePdfAtomic(path, good);
    const QByteArray before = [&] {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_TRUE(before.startsWith("%PDF"));
    const TPrintJob failing{QStringLiteral("T"), QPageLayout::Portrait, [](TPrintPages& p) {
                                p.NewPage();
                                throw EQCError("The printer refused a new page: printing was stopped.");
                            }};
    EXPECT_THROW(WritePdfAtomic(path, failing), EQCError);
    QFile after(QString::fromStdString(path));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.pdf")});
}

} // namespace
} // namespace tervanix
