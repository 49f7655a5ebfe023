#include "charts/UShowLimits.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "model/UAnalyte.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int LabelColumnWidth = 120;
constexpr int LevelColumnWidth = 140;
constexpr int RowHeight = 22;
constexpr int GridHeight = 231;
constexpr int ClientHeight = 315;

} // namespace

TWinShowLimits::TWinShowLimits(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinShowLimits"));
    CreateGrid();
    CreatePanel();
    FitToFont(this);
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
    setWindowTitle(QStringLiteral("Control limits for ") + FromAnsi(analyte.Name.str()));
    PlaceControls();
    cbCommonCV_->setChecked(rememberedCommonCV_);
    lock_->Activate();
    bool anyPooled = false;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level)
        anyPooled = anyPooled || analyte.LimitsMode[static_cast<std::size_t>(level)] != lmFixed;
    cbCommonCV_->setVisible(anyPooled);
    if (!anyPooled) btCle_->hide();
    FillGrid();
    PlaceControls(); // the level columns as wide as the texts just written need
}

void TWinShowLimits::PlaceControls() {
    const int levels = std::clamp(analyte_->LevelCount, 1, MaxLevels);
    grid_->setColumnCount(levels + 1);
    const int levelWidth = std::max(Scaled(this, LevelColumnWidth), WidestLevelText() + Scaled(this, 8));
    for (int c = 1; c <= levels; ++c) grid_->setColumnWidth(c, levelWidth);
    const int gridWidth = grid_->columnWidth(0) + 2 + (levelWidth + 1) * levels;
    // Every row shows, however tall the desktop's font makes them; the panel follows the grid.
    const int gridHeight = std::max(Scaled(this, GridHeight), GridHeightForRows(grid_));
    grid_->setGeometry(0, 0, gridWidth, gridHeight);
    panel3_->setGeometry(0, gridHeight - 1, gridWidth, Scaled(this, ClientHeight - 230));
    const int left = 156 - 66 * (MaxLevels - levels);
    btOK_->setGeometry(Scaled(this, QRect(left, 53, 64, 25)));
    btCancel_->setGeometry(Scaled(this, QRect(left + 74, 53, 64, 25)));
    btPrn_->setGeometry(Scaled(this, QRect(left + 149, 53, 64, 25)));
    cbCommonCV_->setGeometry(Scaled(this, QRect(left + 74, 19, 140, 17)));
    btCle_->setGeometry(Scaled(this, QRect(left + 15, 8, 40, 40)));
    setFixedSize(gridWidth, panel3_->geometry().bottom() + 1);
}

int TWinShowLimits::WidestLevelText() const {
    int widest = 0;
    for (int row = 0; row < grid_->rowCount(); ++row)
        for (int column = 1; column < grid_->columnCount(); ++column)
            if (const QTableWidgetItem* cell = grid_->item(row, column))
                widest = std::max(widest, grid_->fontMetrics().horizontalAdvance(cell->text()));
    return widest;
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
        // A choice kept with OK is written at once, as an accepted run is; without its audit line
        // it is not kept.
        bool kept = false;
        RunCommand([&] {
            Laboratory().SetCommonCV(*analyte_, analyte_->HasOption(aoCommonCV), true);
            kept = true;
        });
        if (!kept) {
            SetCommonCV(rememberedCommonCV_);
            cbCommonCV_->setChecked(rememberedCommonCV_);
        }
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
