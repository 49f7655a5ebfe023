#include "charts/UShowLimits.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "charts/UPrnTable.h"
#include "main/UAnsi.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int LabelColumnWidth = 120;
constexpr int LevelColumnWidth = 140;
constexpr int RowHeight = 22;
constexpr int GridHeight = 231;
constexpr int ClientHeight = 315;

const char* const RowLabels[LimitsTableRows] = {
    "Control materials", "Lots",         "QC mode",          "Target",       "Warning limits",
    "Action limits",     "Dates ref interval", "# points in ref interval", "Reference CV", "# degrees of freedom"};

QString Ansi(const std::string& bytes) { return FromAnsi(bytes); }

QString PointDate(const TAnalyte& a, int index) { return Ansi(FormatDate(a.Point(index).DateTime)); }

// The reference interval of a level: the whole series under mobile limits, the locked points under
// locked limits. A lock that no longer fits the series shows nothing rather than a wrong date.
QString ReferenceDates(const TAnalyte& a, int level) {
    const auto l = static_cast<std::size_t>(level);
    switch (a.LimitsMode[l]) {
    case lmMobile:
        return a.Count() == 0 ? QString() : PointDate(a, 0) + QStringLiteral("  to ") + PointDate(a, a.Count() - 1);
    case lmLocked: {
        const int first = a.LockFirst[l], last = a.LockLast[l];
        if (first < 0 || last < first || last >= a.Count()) return QString();
        return PointDate(a, first) + QStringLiteral(" - ") + PointDate(a, last);
    }
    default: return QString();
    }
}

QStringList LevelColumn(const TAnalyte& a, const TListSerum& materials, int level) {
    const auto l = static_cast<std::size_t>(level);
    const TLevelStats& s = a.Current[l];
    const TMaterial& material = materials.FindById(a.MaterialId[l]);
    const bool fixed = a.LimitsMode[l] == lmFixed;
    const bool limitsValid = fixed || s.Status == 0;
    const bool statistics = !fixed && s.Status == 0;
    auto value = [&](long double v) { return Ansi(FormatFixed(v, 8, a.Decimals + 1)); };
    auto interval = [&](long double halfWidth) {
        return limitsValid ? value(s.Mean - halfWidth) + QStringLiteral("  /  ") + value(s.Mean + halfWidth) : QString();
    };
    return {Ansi(material.Name.str()),
            Ansi(material.Lot.str()),
            QString::fromLatin1(LimitsModeName(a.LimitsMode[l])),
            s.N > 0 || fixed ? value(s.Mean) + QLatin1Char(' ') + Ansi(a.UnitName.str()) : QString(),
            interval(s.AlertHalfWidth),
            interval(s.ActionHalfWidth),
            ReferenceDates(a, level),
            fixed ? QString() : Ansi(FormatInt(s.N)),
            statistics ? Ansi(FormatFixed(s.CV, 5, 1)) + QStringLiteral(" %") : QString(),
            statistics ? Ansi(FormatInt(s.DegreesOfFreedom)) : QString()};
}

} // namespace

std::vector<QStringList> LimitsTableTexts(const TAnalyte& analyte, const TListSerum& materials) {
    std::vector<QStringList> rows(LimitsTableRows);
    for (int r = 0; r < LimitsTableRows; ++r) rows[static_cast<std::size_t>(r)] << QString::fromLatin1(RowLabels[r]);
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        const QStringList column = LevelColumn(analyte, materials, level);
        for (int r = 0; r < LimitsTableRows; ++r) rows[static_cast<std::size_t>(r)] << column[r];
    }
    return rows;
}

TPrintJob LimitsPrintJob(const TAnalyte& analyte, const TListSerum& materials) {
    const std::vector<QStringList> rows = LimitsTableTexts(analyte, materials);
    const int columns = static_cast<int>(rows.front().size());
    std::vector<TTableCell> cells;
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columns; ++c) cells.push_back({rows[r][c], r == 0 || c == 0 ? csShaded : csPlain});
    const std::vector<int> widths = {20, 22, 22, 22};
    TPrintJob job;
    job.Title = QStringLiteral("QC limits for ") + Ansi(analyte.Name.str());
    job.Draw = [title = job.Title, cells = std::move(cells), widths, columns](TPrintPages& pages) {
        PrintTable(pages, title, {QString(), QString()}, cells, false, widths, columns);
    };
    return job;
}

TWinShowLimits::TWinShowLimits(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinShowLimits"));
    CreateGrid();
    CreatePanel();
}

void TWinShowLimits::CreateGrid() {
    grid_ = new QTableWidget(LimitsTableRows, 1, this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setAccessibleName(QStringLiteral("Control limits"));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setMinimumSectionSize(1);
    grid_->verticalHeader()->setMinimumSectionSize(1);
    grid_->horizontalHeader()->setDefaultSectionSize(LabelColumnWidth);
    grid_->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid_->setFrameShape(QFrame::NoFrame);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Nothing can be selected or edited; the grid stays enabled so that its texts keep their colour
    // and screen readers still read them.
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setFocusPolicy(Qt::NoFocus);
    QPalette pal = grid_->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    grid_->setPalette(pal);
}

void TWinShowLimits::CreatePanel() {
    panel3_ = new QWidget(this);
    panel3_->setObjectName(QStringLiteral("Panel3"));
    btCle_ = MakeKeyButton(panel3_);
    btCle_->setAccessibleName(QStringLiteral("Unlock"));
    cbCommonCV_ = new QCheckBox(QStringLiteral("&Common CV method"), panel3_);
    cbCommonCV_->setObjectName(QStringLiteral("CBCommonCV"));
    btOK_ = new QPushButton(QStringLiteral("OK"), panel3_);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btOK_->setDefault(true);
    btPrn_ = new QPushButton(QStringLiteral("&Print"), panel3_);
    btPrn_->setObjectName(QStringLiteral("BtPrn"));
    btCancel_ = new QPushButton(QStringLiteral("Cancel"), panel3_);
    btCancel_->setObjectName(QStringLiteral("BtCancel"));
    lock_ = new TKeyLock(btCle_, {cbCommonCV_});
    connect(cbCommonCV_, &QCheckBox::clicked, this, &TWinShowLimits::CBCommonCVClick);
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btPrn_, &QPushButton::clicked, this, &TWinShowLimits::BtPrnClick);
}

int TWinShowLimits::Execute(TAnalyte& analyte) {
    Prepare(analyte);
    return exec();
}

void TWinShowLimits::Prepare(TAnalyte& analyte) {
    analyte_ = &analyte;
    rememberedCommonCV_ = analyte.HasOption(aoCommonCV);
    setWindowTitle(QStringLiteral("Control limits for ") + Ansi(analyte.Name.str()));
    PlaceControls();
    cbCommonCV_->setChecked(rememberedCommonCV_);
    lock_->Activate();
    bool anyPooled = false;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
        anyPooled = anyPooled || analyte.LimitsMode[static_cast<std::size_t>(level)] != lmFixed;
    cbCommonCV_->setVisible(anyPooled);
    if (!anyPooled) btCle_->hide();
    FillGrid();
}

void TWinShowLimits::PlaceControls() {
    const int levels = std::clamp(analyte_->LevelCount, 1, MaxLevels);
    grid_->setColumnCount(levels + 1);
    for (int c = 1; c <= levels; ++c) grid_->setColumnWidth(c, LevelColumnWidth);
    const int gridWidth = LabelColumnWidth + 2 + (LevelColumnWidth + 1) * levels;
    grid_->setGeometry(0, 0, gridWidth, GridHeight);
    panel3_->setGeometry(0, 230, gridWidth, ClientHeight - 230);
    const int left = 156 - 66 * (MaxLevels - levels);
    btOK_->setGeometry(left, 53, 64, 25);
    btCancel_->setGeometry(left + 74, 53, 64, 25);
    btPrn_->setGeometry(left + 149, 53, 64, 25);
    cbCommonCV_->setGeometry(left + 74, 19, 140, 17);
    btCle_->setGeometry(left + 15, 8, 40, 40);
    setFixedSize(gridWidth, ClientHeight);
}

void TWinShowLimits::FillGrid() {
    if (!analyte_) return;
    const std::vector<QStringList> rows = LimitsTableTexts(*analyte_, Materials);
    const QColor fixedColour = palette().color(QPalette::Button);
    for (int r = 0; r < LimitsTableRows; ++r) {
        const QStringList& texts = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < grid_->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(c < texts.size() ? texts[c] : QString());
            item->setFlags(Qt::ItemIsEnabled);
            if (r == 0 || c == 0) item->setBackground(fixedColour);
            grid_->setItem(r, c, item);
        }
    }
}

TPrintOutcome TWinShowLimits::BtPrnClick() {
    if (!analyte_) return TPrintOutcome::Cancelled;
    const TPrintOutcome outcome = PrintJob(this, LimitsPrintJob(*analyte_, Materials));
    btOK_->setFocus();
    return outcome;
}

void TWinShowLimits::CBCommonCVClick(bool checked) { SetCommonCV(checked); }

void TWinShowLimits::SetCommonCV(bool on) {
    if (!analyte_) return;
    Laboratory().SetCommonCV(*analyte_, on, false);
    FillGrid();
}

void TWinShowLimits::done(int result) {
    // Leaving any way but OK takes the switch back, limits and chart included.
    const bool changed = analyte_ && analyte_->HasOption(aoCommonCV) != rememberedCommonCV_;
    if (changed && result == QDialog::Accepted) {
        // A choice kept with OK is written at once, as an accepted run is.
        Laboratory().SetCommonCV(*analyte_, analyte_->HasOption(aoCommonCV), true);
    } else if (changed) {
        SetCommonCV(rememberedCommonCV_);
        cbCommonCV_->setChecked(rememberedCommonCV_);
    }
    QDialog::done(result);
}

void TWinShowLimits::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FillGrid();
    btOK_->setFocus();
}

} // namespace tervanix
