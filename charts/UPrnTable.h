// The page engine of every printed table (data table, limits table, cumulative daily QC, archive
// prints): a boxed title, an optional archive stamp, heading lines in italics, then the table with
// its heading row repeated on every page, grey and marked cells, equal texts of the first two
// columns merged into tall cells, and a footer with page number, page count and print date.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "charts/UPrintJob.h"

class QFont;
class QFontMetrics;

namespace tervanix {

// How a cell is drawn (one byte; code 6 is not used).
enum TCellStyle : std::uint8_t {
    csPlain = 0,      // white
    csShaded = 1,     // silver: column headings, row labels, statistics
    csArrowUp = 2,    // one up arrow in the right fifth, beside the value
    csArrowUp2 = 3,   // two up arrows
    csArrowDown = 4,  // one down arrow
    csArrowDown2 = 5, // two down arrows
    csCrossed = 7,    // both diagonals across the cell
};

// The style of a value cell from its level status: alerts one arrow, actions two, a discarded
// value crossed; in control and no value plain (a level without value has an empty cell).
TCellStyle StatusCellStyle(std::uint8_t status);

struct TTableCell {
    QString Text;
    TCellStyle Style = csPlain;
};

// The text of the stamp that marks the prints of archives.
inline const QString ArchiveStampText = QStringLiteral("  Archive document - Keep it  ");

// Prints the table on as many pages as needed, starting on the current page. `cells` holds the
// table row by row: row 0 the column headings, then the body rows; `widths` the width of each
// column in characters. The caller opens and closes the job; the canvas font ends as 8-point Arial.
// Returns the number of pages printed.
int PrintTable(TPrintPages& pages, const QString& title, const QStringList& headingLines,
               const std::vector<TTableCell>& cells, bool archiveStamp, const std::vector<int>& widths,
               int columnCount);

// The split of the body rows on the pages: how many body rows each page receives when the first
// row (the heading row) of the first page starts at firstTop and that of every other page at one
// row height. A page ends after the row that reaches the bottom limit. One entry per page.
std::vector<int> PlanTablePages(int firstTop, int rowHeight, int bottomLimit, int bodyRows);

// One character of the widths in characters: the mean advance of the lower-case letters and the
// blank in the font used.
int TableCharacterWidth(const QFontMetrics& metrics);
// The widths of the columns in pixels. Each column gets at least its nominal width and, where the
// page leaves room, the width its widest text needs; columns that would not fit even at their
// nominal widths are narrowed in proportion, so that the table never leaves the printable width.
std::vector<int> FitColumnWidths(const std::vector<int>& nominal, const std::vector<int>& needed, int available);

// Arial of the given size (Liberation Sans, metric-compatible, where Arial is not installed).
QFont PrintFont(int pointSize);

// Text centred on one line in the rectangle (x1, y1)-(x2, y2), right and bottom edges excluded; a
// text wider than the rectangle is shortened with "…" so that it never covers the next cell.
void DrawCentredText(QPainter& canvas, int x1, int y1, int x2, int y2, const QString& text);
// Text on one line from the top left of the rectangle, shortened with "…" at its right edge.
void DrawLeftText(QPainter& canvas, const QRect& rect, const QString& text);
// The blank kept between a cell's border and its text, in the canvas font.
int CellPadding(const QFontMetrics& metrics);
// A rectangle from (x1, y1) to (x2, y2), right and bottom edges excluded, outlined with the pen
// and filled with the brush.
void DrawBox(QPainter& canvas, int x1, int y1, int x2, int y2);
// The boxed title of a printout at the top of the page: "  " + title + "  " in 20-point Arial on
// silver. Returns the y below it.
int PrintBoxedTitle(TPrintPages& pages, const QString& title);
// A footer line centred at the foot of the page, in the canvas font, on white.
void PrintFooterLine(TPrintPages& pages, const QString& text);

} // namespace tervanix
