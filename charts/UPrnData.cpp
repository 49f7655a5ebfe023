#include "charts/UPrnData.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UDateTimeEdits.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/ULists.h"

namespace tervanix {
namespace {

constexpr int DateWidth = 11;
constexpr int TimeWidth = 11;
constexpr int LevelWidth = 12;
constexpr int OperatorWidth = 8;
constexpr int CommentWidth = 22;

QString Text(const std::string& bytes) { return FromAnsi(bytes); }

// The first point dated at or after dt (points are in date order).
int FirstAtOrAfter(const TAnalyte& analyte, TDateTime dt) {
    int low = 0, high = analyte.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (analyte.Point(middle).DateTime < dt) low = middle + 1;
        else high = middle;
    }
    return low;
}

void AddShaded(std::vector<TTableCell>& cells, const QString& text) { cells.push_back({text, csShaded}); }

void AddStatisticsRows(std::vector<TTableCell>& cells, const TAnalyte& analyte, TPointRange range) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    std::vector<TLevelStats> stats(static_cast<std::size_t>(levels));
    for (int level = 0; level < levels; ++level)
        analyte.ComputeStats(level, range.First, range.Last, stats[static_cast<std::size_t>(level)]);
    const QString unit = Text(analyte.UnitName.str());
    const auto row = [&](const QString& label, auto valueOf, const QString& after) {
        AddShaded(cells, QStringLiteral("Statistics"));
        AddShaded(cells, label);
        for (const TLevelStats& s : stats) AddShaded(cells, valueOf(s));
        AddShaded(cells, after);
        AddShaded(cells, QString());
    };
    row(QStringLiteral("Mean"), [&](const TLevelStats& s) {
        return s.N == 0 ? QString() : Text(FormatFixed(s.Mean, 8, analyte.Decimals + 1));
    }, unit);
    row(QStringLiteral("CV"), [](const TLevelStats& s) {
        return s.Status != 0 ? QString() : Text(FormatFixed(s.CV, 8, 1));
    }, QStringLiteral("%"));
    row(QStringLiteral("N"), [](const TLevelStats& s) { return Text(FormatInt(s.N)); }, QString());
}

} // namespace

TPointRange PointsInDateRange(const TAnalyte& analyte, TDateTime d1, TDateTime d2) {
    double day1 = static_cast<double>(DayNumber(d1));
    double day2 = static_cast<double>(DayNumber(d2));
    if (day1 > day2) std::swap(day1, day2);
    return {FirstAtOrAfter(analyte, day1), FirstAtOrAfter(analyte, day2 + 1) - 1};
}

std::vector<int> DataTableWidths(int levelCount) {
    std::vector<int> widths = {DateWidth, TimeWidth};
    widths.insert(widths.end(), static_cast<std::size_t>(std::clamp(levelCount, 1, MaxLevels)), LevelWidth);
    widths.insert(widths.end(), {OperatorWidth, CommentWidth});
    return widths;
}

QStringList DataTableHeadingLines(const TAnalyte& analyte, const TListSerum& materials) {
    QStringList lines;
    for (int level = 0; level < std::clamp(analyte.LevelCount, 1, MaxLevels); ++level) {
        const TMaterial& m = materials.FindById(analyte.MaterialId[static_cast<std::size_t>(level)]);
        QString line = QStringLiteral("QC%1 : %2").arg(level + 1).arg(Text(m.Name.str()));
        if (!m.Lot.empty()) line += QStringLiteral(" (lot %1)").arg(Text(m.Lot.str()));
        lines << line;
    }
    return lines;
}

std::vector<TTableCell> DataTableCells(const TAnalyte& analyte, TPointRange range, bool withStatistics) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    std::vector<TTableCell> cells;
    cells.reserve(static_cast<std::size_t>((range.Count() + 4) * (levels + 4)));
    AddShaded(cells, QStringLiteral("Date"));
    AddShaded(cells, QStringLiteral("Time"));
    for (int level = 1; level <= levels; ++level) AddShaded(cells, QStringLiteral("QC%1").arg(level));
    AddShaded(cells, QStringLiteral("Operator"));
    AddShaded(cells, QStringLiteral("Comment"));
    const int first = std::max(range.First, 0), last = std::min(range.Last, analyte.Count() - 1);
    for (int i = first; i <= last; ++i) {
        const TQCPoint& p = analyte.Point(i);
        cells.push_back({Text(FormatDate(p.DateTime)), csPlain});
        cells.push_back({Text(FormatTime(p.DateTime)), csPlain});
        for (int level = 0; level < levels; ++level) {
            const TLevelResult& r = p.Levels[static_cast<std::size_t>(level)];
            if (r.Status == qsNoValue) cells.push_back({QString(), csPlain});
            else cells.push_back({Text(FormatFixed(r.Value, 8, analyte.Decimals)), StatusCellStyle(r.Status)});
        }
        cells.push_back({Text(p.Operator.str()), csPlain});
        cells.push_back({p.CommentId == -1 ? QString() : Text(analyte.CommentText(p.CommentId)), csPlain});
    }
    if (withStatistics) AddStatisticsRows(cells, analyte, {first, last});
    return cells;
}

void PrintDataTable(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                    const QString& title, bool withStatistics) {
    const int levels = std::clamp(analyte.LevelCount, 1, MaxLevels);
    PrintTable(pages, title, DataTableHeadingLines(analyte, materials), DataTableCells(analyte, range, withStatistics),
               false, DataTableWidths(levels), levels + 4);
}

TPrintJob DataTableJob(const TAnalyte& analyte, const TListSerum& materials, TPointRange range, bool withStatistics) {
    const QString title = QStringLiteral("QC data for ") + Text(analyte.Name.str());
    return {QStringLiteral("Printing QC data"), QPageLayout::Portrait, [&analyte, &materials, range, title,
                                                                         withStatistics](TPrintPages& pages) {
                PrintDataTable(pages, analyte, materials, range, title, withStatistics);
            }};
}

} // namespace tervanix

namespace tervanix {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, QPoint at, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(at);
    label->adjustSize();
    return label;
}

QDateEdit* MakeCaptionedDatePicker(QWidget* parent, const QRect& geometry, const char* name, QLabel* caption) {
    QDateEdit* picker = MakeDatePicker(parent, name, geometry);
    caption->setBuddy(picker);
    return picker;
}

} // namespace

QLabel* MakeCountPanel(QWidget* parent, const QRect& geometry, const char* name, const QString& accessibleName) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, clYellow);
    palette.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(palette);
    panel->setAccessibleName(accessibleName);
    return panel;
}

TPrintButtons MakePrintButtons(QDialog* dialog, int panelHeight) {
    auto* panel = new QWidget(dialog);
    panel->setObjectName(QStringLiteral("Panel2"));
    panel->setGeometry(0, dialog->height() - panelHeight, dialog->width(), panelHeight);
    auto* print = new QPushButton(QStringLiteral("&Print"), panel);
    print->setObjectName(QStringLiteral("BtPrint"));
    print->setGeometry(17, 8, 75, 25);
    print->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), panel);
    cancel->setObjectName(QStringLiteral("BitBtn1"));
    cancel->setGeometry(113, 8, 75, 25);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {print, cancel};
}

TDateRangeControls::TDateRangeControls(QWidget* parent, const QString& countCaption, const TLayout& layout) {
    MakeLabel(parent, countCaption, layout.CountLabel, "Label1");
    CountPanel = MakeCountPanel(parent, layout.CountPanel, "PanelNbLines", countCaption);
    DatePicker1 = MakeCaptionedDatePicker(parent, layout.FirstPicker, "DatePicker1",
                                 MakeLabel(parent, QStringLiteral("&First date"), layout.FirstLabel, "Label2"));
    DatePicker2 = MakeCaptionedDatePicker(parent, layout.LastPicker, "DatePicker2",
                                 MakeLabel(parent, QStringLiteral("&Last date"), layout.LastLabel, "Label3"));
}

void TDateRangeControls::ShowSeries(const TAnalyte& analyte) {
    if (analyte.Count() > 0) {
        // The first date is set after the last, so that a picker's range never refuses it.
        DatePicker2->setDate(QDateOf(analyte.Point(analyte.Count() - 1).DateTime));
        DatePicker1->setDate(QDateOf(analyte.Point(0).DateTime));
    }
    DatePicker1->setFocus();
}

void TDateRangeControls::TakeTypedDates() {
    DatePicker2->interpretText();
    DatePicker1->interpretText();
}

TPointRange TDateRangeControls::Range(const TAnalyte& analyte) const {
    return PointsInDateRange(analyte, DateTimeOf(DatePicker1->date()), DateTimeOf(DatePicker2->date()));
}

void TDateRangeControls::ShowCount(int count) { CountPanel->setText(QString::number(count)); }

TWinPrnData::TWinPrnData(QWidget* parent)
    : QDialog(parent), range_(this, QStringLiteral("Lines to print"),
                              {{16, 17}, {85, 14, 50, 20}, {16, 55}, {85, 51, 97, 20}, {16, 91}, {85, 88, 97, 20}}) {
    setObjectName(QStringLiteral("WinPrnData"));
    setFixedSize(204, 196);
    range_.CountPanel->setObjectName(QStringLiteral("PanelNbLines"));
    cbPrnStats_ = new QCheckBox(QStringLiteral("Print &statistics"), this);
    cbPrnStats_->setObjectName(QStringLiteral("CBPrnStats"));
    cbPrnStats_->setGeometry(50, 124, 110, 17);
    const TPrintButtons buttons = MakePrintButtons(this, 41);
    btPrint_ = buttons.Print;
    bitBtn1_ = buttons.Cancel;
    connect(range_.DatePicker1, &QDateEdit::dateChanged, this, [this] { CountNbLines(); });
    connect(range_.DatePicker2, &QDateEdit::dateChanged, this, [this] { CountNbLines(); });
    connect(btPrint_, &QPushButton::clicked, this, [this] { QMetaObject::invokeMethod(this, [this] { BtPrintClick(); }, Qt::QueuedConnection); });
}

void TWinPrnData::Prepare(const TAnalyte& analyte, const TListSerum& materials) {
    analyte_ = &analyte;
    materials_ = &materials;
    setWindowTitle(QStringLiteral("Print QC data for ") + FromAnsi(analyte.Name.str()));
    range_.ShowSeries(analyte);
    CountNbLines();
    cbPrnStats_->setChecked(true);
}

int TWinPrnData::Execute(const TAnalyte& analyte, const TListSerum& materials) {
    Prepare(analyte, materials);
    return exec();
}

void TWinPrnData::CountNbLines() {
    if (analyte_) range_.ShowCount(range_.Range(*analyte_).Count());
}

void TWinPrnData::BtPrintClick() {
    if (!analyte_ || !materials_) return;
    range_.TakeTypedDates();
    CountNbLines();
    const TPointRange range = range_.Range(*analyte_);
    if (range.Count() == 0) {
        ShowError(QStringLiteral("Nothing to print"));
        return;
    }
    // A cancelled print dialog or a failed printer leaves this dialog open for another try.
    if (PrintJob(this, DataTableJob(*analyte_, *materials_, range, cbPrnStats_->isChecked())) == TPrintOutcome::Printed)
        accept();
}

} // namespace tervanix
