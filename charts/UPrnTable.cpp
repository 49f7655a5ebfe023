#include "charts/UPrnTable.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <numeric>

#include "main/UAnsi.h"
#include "main/UColors.h"
#include "model/UClock.h"
#include "model/UFormat.h"

namespace tervanix {
namespace {

constexpr int TableFontSize = 8;
constexpr int StampFontSize = 12;
constexpr int TitleFontSize = 20;

const QString ArrowUp = QStringLiteral("\u2191");
const QString ArrowDown = QStringLiteral("\u2193");

// One call of PrintTable: the canvas, the converted geometry and where the printing stands.
class TTablePrinter {
public:
    TTablePrinter(TPrintPages& pages, const QString& title, const std::vector<TTableCell>& cells, int columnCount)
        : pages_(pages), canvas_(pages.Canvas()), title_(title), cells_(cells), columns_(columnCount),
          rows_(columnCount > 0 ? static_cast<int>(cells.size()) / columnCount - 1 : -1) {}

    int Print(const QStringList& headingLines, bool archiveStamp, const std::vector<int>& widths);

private:
    void PrintArchiveStamp();
    void SetColumns(const std::vector<int>& widths);
    void PrintHeadingLines(const QStringList& lines);
    void PrintRows();
    void PrintRow(int row);
    void DrawCell(int x, int top, int bottom, int row, int column);
    void PrintFooter();
    const TTableCell& Cell(int row, int column) const {
        return cells_[static_cast<std::size_t>(row * columns_ + column)];
    }
    bool SameText(int row, int column) const { return Cell(row, column).Text == Cell(row + 1, column).Text; }

    TPrintPages& pages_;
    QPainter& canvas_;
    const QString& title_;
    const std::vector<TTableCell>& cells_;
    const int columns_;
    const int rows_; // body rows; the heading row is row 0
    std::vector<int> widths_;
    int left_ = 0;
    int rowHeight_ = 0;
    int bottomLimit_ = 0;
    int y_ = 0;
    int page_ = 1;
    int pageCount_ = 1;
    int mergeTop0_ = 0;
    int mergeTop1_ = 0;
};

// What a cell needs to show its text whole: the text and its padding, and beside a value its arrows
// in the right fifth of the cell.
int NeededWidth(const QFontMetrics& metrics, const TTableCell& cell, const std::function<int(const QString&)>& textWidth) {
    if (cell.Text.isEmpty()) return 0;
    const int text = textWidth(cell.Text) + 2 * CellPadding(metrics);
    const bool arrows = cell.Style >= csArrowUp && cell.Style <= csArrowDown2;
    return arrows ? text + 2 * metrics.horizontalAdvance(ArrowUp + ArrowUp) : text;
}

void SetFontStyle(QPainter& canvas, int pointSize, bool italic) {
    QFont font = PrintFont(pointSize);
    font.setItalic(italic);
    canvas.setFont(font);
}

int TTablePrinter::Print(const QStringList& headingLines, bool archiveStamp, const std::vector<int>& widths) {
    canvas_.setPen(PrinterPen(*canvas_.device()));
    y_ = title_.isEmpty() ? 0 : PrintBoxedTitle(pages_, title_);
    if (archiveStamp) PrintArchiveStamp();
    SetColumns(widths);
    PrintHeadingLines(headingLines);
    SetFontStyle(canvas_, TableFontSize, false);
    bottomLimit_ = pages_.PageHeight() - 3 * rowHeight_;
    pageCount_ = static_cast<int>(PlanTablePages(y_, rowHeight_, bottomLimit_, std::max(rows_, 0)).size());
    mergeTop0_ = mergeTop1_ = y_;
    PrintRows();
    PrintFooter();
    return page_;
}

void TTablePrinter::PrintArchiveStamp() {
    SetFontStyle(canvas_, StampFontSize, false);
    canvas_.setBrush(clSilver);
    const QFontMetrics metrics = canvas_.fontMetrics();
    const int cx = metrics.horizontalAdvance(ArchiveStampText), cy = metrics.height();
    const int width = pages_.PageWidth();
    DrawBox(canvas_, width - cx - 1, y_ - 1, width + 1, y_ + 3 * cy / 2 + 1);
    DrawCentredText(canvas_, width - cx, y_, width, y_ + 3 * cy / 2, ArchiveStampText);
}

// Widths in characters become pixels of the 8-point font, widened for the texts of the table where
// the page leaves room; the table is centred on the page.
void TTablePrinter::SetColumns(const std::vector<int>& widths) {
    SetFontStyle(canvas_, TableFontSize, false);
    const QFontMetrics metrics = canvas_.fontMetrics();
    const int w = TableCharacterWidth(metrics);
    const auto columns = static_cast<std::size_t>(std::max(columns_, 0));
    std::vector<int> nominal(columns, 0), needed(columns, 0);
    for (std::size_t c = 0; c < columns && c < widths.size(); ++c) nominal[c] = std::max(widths[c], 0) * 4 * w / 3;
    // Dates, times and operators repeat down a long table: each text is measured once.
    QHash<QString, int> textWidths;
    const auto textWidth = [&](const QString& text) {
        auto known = textWidths.find(text);
        if (known == textWidths.end()) known = textWidths.insert(text, metrics.horizontalAdvance(text));
        return *known;
    };
    for (std::size_t i = 0; columns > 0 && i < cells_.size(); ++i)
        needed[i % columns] = std::max(needed[i % columns], NeededWidth(metrics, cells_[i], textWidth));
    widths_ = FitColumnWidths(nominal, needed, pages_.PageWidth());
    rowHeight_ = 2 * metrics.height();
    left_ = (pages_.PageWidth() - std::accumulate(widths_.begin(), widths_.end(), 0)) / 2;
}

void TTablePrinter::PrintHeadingLines(const QStringList& lines) {
    if (lines.isEmpty()) return;
    canvas_.setBrush(Qt::white);
    SetFontStyle(canvas_, TableFontSize, true);
    const int h = canvas_.fontMetrics().height();
    for (const QString& line : lines) {
        DrawLeftText(canvas_, QRect(left_ / 2, y_, pages_.PageWidth() - left_ / 2, h), line);
        y_ += 3 * h / 2;
    }
    y_ += h;
    SetFontStyle(canvas_, TableFontSize, false);
}

void TTablePrinter::PrintRows() {
    bool headingDue = true;
    for (int i = 1; i <= rows_; ++i) {
        if (headingDue) PrintRow(0);
        headingDue = false;
        PrintRow(i);
        if (y_ >= bottomLimit_ && i < rows_) {
            PrintFooter();
            pages_.NewPage();
            ++page_;
            headingDue = true;
            y_ = mergeTop0_ = mergeTop1_ = rowHeight_;
        }
    }
}

// Equal texts in column 0 on consecutive rows become one tall cell, closed at the last row of the
// run, of the table or of the page; column 1 merges likewise, but only inside a run of column 0.
void TTablePrinter::PrintRow(int row) {
    const int bottom = y_ + rowHeight_ + 1;
    const bool breakFollows = !(y_ + rowHeight_ < bottomLimit_);
    const bool hold0 = row != 0 && row != rows_ && !breakFollows && SameText(row, 0);
    int x = left_;
    if (!hold0) {
        DrawCell(x, mergeTop0_, bottom, row, 0);
        mergeTop0_ = y_ + rowHeight_;
    }
    if (columns_ > 1) {
        x += widths_[0];
        if (!hold0 || !SameText(row, 1)) {
            DrawCell(x, mergeTop1_, bottom, row, 1);
            mergeTop1_ = y_ + rowHeight_;
        }
    }
    for (int c = 2; c < columns_; ++c) {
        x += widths_[static_cast<std::size_t>(c - 1)];
        DrawCell(x, y_, bottom, row, c);
    }
    y_ += rowHeight_;
}

void TTablePrinter::DrawCell(int x, int top, int bottom, int row, int column) {
    const TTableCell& cell = Cell(row, column);
    const int width = widths_[static_cast<std::size_t>(column)];
    const int right = x + width + 1;
    canvas_.setBrush(cell.Style == csShaded ? clSilver : clWhite);
    DrawBox(canvas_, x, top, right, bottom);
    DrawCentredText(canvas_, x, top, right, bottom, cell.Text);
    switch (cell.Style) {
    case csArrowUp: DrawCentredText(canvas_, x + width * 4 / 5, top, right, bottom, ArrowUp); break;
    case csArrowUp2: DrawCentredText(canvas_, x + width * 4 / 5, top, right, bottom, ArrowUp + ArrowUp); break;
    case csArrowDown: DrawCentredText(canvas_, x + width * 4 / 5, top, right, bottom, ArrowDown); break;
    case csArrowDown2: DrawCentredText(canvas_, x + width * 4 / 5, top, right, bottom, ArrowDown + ArrowDown); break;
    case csCrossed:
        canvas_.drawLine(x, top, right - 1, bottom - 1);
        canvas_.drawLine(x, bottom - 1, right - 1, top);
        break;
    default: break;
    }
}

void TTablePrinter::PrintFooter() {
    PrintFooterLine(pages_, QStringLiteral("- Page %1/%2 - %3 - Printed on %4 -")
                                .arg(page_)
                                .arg(pageCount_)
                                .arg(title_, FromAnsi(FormatDate(Today()))));
}

} // namespace

TCellStyle StatusCellStyle(std::uint8_t status) {
    switch (status) {
    case qsHighAlert: return csArrowUp;
    case qsHighAction: return csArrowUp2;
    case qsLowAlert: return csArrowDown;
    case qsLowAction: return csArrowDown2;
    case qsDiscarded: return csCrossed;
    default: return csPlain;
    }
}

// The page count of the footers follows the same rule as the page breaks, so that "Page 2/1"
// cannot happen when the space of a page is an exact multiple of the row height.
std::vector<int> PlanTablePages(int firstTop, int rowHeight, int bottomLimit, int bodyRows) {
    std::vector<int> pages;
    int rowsOnPage = 0;
    int y = firstTop;
    bool headingDue = true;
    for (int i = 1; i <= bodyRows; ++i) {
        if (headingDue) y += rowHeight;
        headingDue = false;
        y += rowHeight;
        ++rowsOnPage;
        if (y >= bottomLimit && i < bodyRows) {
            pages.push_back(rowsOnPage);
            rowsOnPage = 0;
            y = rowHeight;
            headingDue = true;
        }
    }
    pages.push_back(rowsOnPage);
    return pages;
}

QFont PrintFont(int pointSize) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

std::vector<int> FitColumnWidths(const std::vector<int>& nominal, const std::vector<int>& needed, int available) {
    std::vector<int> widths = nominal;
    const int nominalSum = std::accumulate(nominal.begin(), nominal.end(), 0);
    if (nominalSum > available) {
        for (int& w : widths) w = static_cast<int>(static_cast<long long>(w) * std::max(available, 0) / nominalSum);
        return widths;
    }
    // The room left goes to the columns whose texts want it, in even shares, a share that a column
    // does not use going to the others.
    int room = available - nominalSum;
    for (bool gave = true; room > 0 && gave;) {
        gave = false;
        std::vector<std::size_t> wanting;
        for (std::size_t c = 0; c < widths.size(); ++c)
            if (c < needed.size() && needed[c] > widths[c]) wanting.push_back(c);
        if (wanting.empty()) break;
        const int share = std::max(1, room / static_cast<int>(wanting.size()));
        for (std::size_t c : wanting) {
            const int more = std::min({share, needed[c] - widths[c], room});
            widths[c] += more;
            room -= more;
            gave = gave || more > 0;
        }
    }
    return widths;
}

// The average the font declares is no guide: Liberation Sans declares a third more than the Arial
// the widths in characters were chosen for.
int TableCharacterWidth(const QFontMetrics& metrics) {
    const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyz ");
    return std::max(1, metrics.horizontalAdvance(sample) / static_cast<int>(sample.size()));
}

int CellPadding(const QFontMetrics& metrics) { return std::max(1, metrics.height() / 6); }

void DrawCentredText(QPainter& canvas, int x1, int y1, int x2, int y2, const QString& text) {
    if (text.isEmpty()) return;
    const QFontMetrics metrics = canvas.fontMetrics();
    // Most cells are far wider than their text: only a text that may not fit is measured.
    const bool surelyFits = static_cast<long long>(text.size()) * metrics.maxWidth() <= x2 - x1;
    const QString shown = surelyFits || metrics.horizontalAdvance(text) <= x2 - x1
                              ? text
                              : metrics.elidedText(text, Qt::ElideRight, std::max(0, x2 - x1 - 2 * CellPadding(metrics)));
    canvas.drawText(QRect(x1, y1, x2 - x1, y2 - y1), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, shown);
}

void DrawLeftText(QPainter& canvas, const QRect& rect, const QString& text) {
    const QFontMetrics metrics = canvas.fontMetrics();
    const QString shown = metrics.horizontalAdvance(text) <= rect.width()
                              ? text
                              : metrics.elidedText(text, Qt::ElideRight, std::max(0, rect.width()));
    canvas.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, shown);
}

void DrawBox(QPainter& canvas, int x1, int y1, int x2, int y2) {
    canvas.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

int PrintBoxedTitle(TPrintPages& pages, const QString& title) {
    QPainter& canvas = pages.Canvas();
    canvas.setPen(PrinterPen(*canvas.device()));
    SetFontStyle(canvas, TitleFontSize, false);
    canvas.setBrush(clSilver);
    const QFontMetrics metrics = canvas.fontMetrics();
    const QString spaces = QStringLiteral("  ");
    const QString text =
        spaces + metrics.elidedText(title, Qt::ElideRight, pages.PageWidth() - 2 * metrics.horizontalAdvance(spaces) - 4) +
        spaces;
    const int cx = metrics.horizontalAdvance(text), cy = metrics.height();
    const int left = (pages.PageWidth() - cx) / 2, right = left + cx;
    const int top = cy / 2, bottom = top + 3 * cy / 2;
    DrawBox(canvas, left - 1, top - 1, right + 1, bottom + 1);
    DrawCentredText(canvas, left, top, right, bottom, text);
    canvas.setBrush(Qt::white);
    return 5 * cy / 2;
}

void PrintFooterLine(TPrintPages& pages, const QString& text) {
    QPainter& canvas = pages.Canvas();
    canvas.setBrush(Qt::white);
    const QFontMetrics metrics = canvas.fontMetrics();
    const QString shown = metrics.elidedText(text, Qt::ElideRight, pages.PageWidth());
    const int cx = metrics.horizontalAdvance(shown), cy = metrics.height();
    DrawLeftText(canvas, QRect((pages.PageWidth() - cx) / 2, pages.PageHeight() - cy - 2, cx, cy), shown);
}

int PrintTable(TPrintPages& pages, const QString& title, const QStringList& headingLines,
               const std::vector<TTableCell>& cells, bool archiveStamp, const std::vector<int>& widths,
               int columnCount) {
    TTablePrinter printer(pages, title, cells, columnCount);
    return printer.Print(headingLines, archiveStamp, widths);
}

} // namespace tervanix
