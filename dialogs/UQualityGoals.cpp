#include "dialogs/UQualityGoals.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/ULaboratory.h"
#include "main/UReaders.h"
#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// The Sigma scale's colours: green for world class down to red below 3.
QColor BandColour(TSigmaBand band) {
    switch (band) {
    case TSigmaBand::World: return {0x66, 0xCC, 0x66};
    case TSigmaBand::Excellent: return {0xB8, 0xE6, 0x8A};
    case TSigmaBand::Good: return {0xFF, 0xF0, 0x80};
    case TSigmaBand::Marginal: return {0xFF, 0xC0, 0x70};
    default: return {0xFF, 0x80, 0x80};
    }
}

QString NumberText(const std::optional<double>& value) {
    return value ? FromAnsi(FormatShortest(*value)) : QString();
}

// What the edit holds when it reads as a number, quietly: the preview follows the typing.
std::optional<double> QuietNumber(const QLineEdit* edit) {
    long double value = 0;
    if (!edit || !TryReadNumber(NormaliseDecimalSeparator(ToAnsi(edit->text())), value)) return std::nullopt;
    return static_cast<double>(value);
}

QLineEdit* MakeEdit(QWidget* parent, const QString& accessibleName, const std::optional<double>& value) {
    auto* edit = new QLineEdit(NumberText(value), parent);
    edit->setAccessibleName(accessibleName);
    edit->setFrame(false);
    return edit;
}

} // namespace

TWinQualityGoals::TWinQualityGoals(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinQualityGoals"));
    setWindowTitle(QStringLiteral("Quality goals"));
    grid_ = new QTableWidget(0, scCount, this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setAccessibleName(QStringLiteral("Quality goals and Sigma"));
    grid_->setHorizontalHeaderLabels(SigmaHeadings());
    grid_->verticalHeader()->hide();
    grid_->setWordWrap(false);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    btOK_ = new QPushButton(QStringLiteral("OK"), this);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    btCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel_->setObjectName(QStringLiteral("BtCancel"));
    btPrn_ = new QPushButton(QStringLiteral("&Print"), this);
    btPrn_->setObjectName(QStringLiteral("BtPrn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {btPrn_, btOK_, btCancel_}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(buttons);
    resize(BoundedToScreen(this, {1000, 420}));
    connect(btOK_, &QPushButton::clicked, this, Command([this] { BtOKClick(); }));
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btPrn_, &QPushButton::clicked, this, Command([this] { BtPrnClick(); }));
}

void TWinQualityGoals::Prepare() {
    lines_ = SigmaLines(Analytes, Laboratory().Goals());
    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(lines_.size()));
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const TSigmaLine& line = lines_[static_cast<std::size_t>(row)];
        for (int column = 0; column < scCount; ++column) grid_->setItem(row, column, new QTableWidgetItem);
        AddEdits(row, line.Level == 0);
        ShowLine(row, line);
    }
    grid_->resizeColumnsToContents();
    // Room for the texts that typing may bring into the bias column.
    const int biasWidth = grid_->fontMetrics().horizontalAdvance(QStringLiteral("bias unknown")) + 12;
    grid_->setColumnWidth(scBias, std::max(grid_->columnWidth(scBias), biasWidth));
    WidenToColumns();
}

// The figures and the advice that typing changed are shown whole: their columns grow (never
// shrink, so that the line does not jump under the operator's eyes).
void TWinQualityGoals::FitFigureColumns() {
    for (int column = scMean; column < scCount; ++column) {
        const int before = grid_->columnWidth(column);
        grid_->resizeColumnToContents(column);
        grid_->setColumnWidth(column, std::max(before, grid_->columnWidth(column)));
    }
    WidenToColumns();
}

// Every column as wide as its heading and texts at any font; the window grows to show them all
// where the screen has room, and the grid scrolls where it has not.
void TWinQualityGoals::WidenToColumns() {
    int columns = 0;
    for (int column = 0; column < grid_->columnCount(); ++column) columns += grid_->columnWidth(column);
    const QMargins margins = layout()->contentsMargins();
    const int frame = margins.left() + margins.right() + 2 * grid_->frameWidth();
    const int needed = columns + frame + grid_->verticalScrollBar()->sizeHint().width();
    resize(BoundedToScreen(this, {std::max(needed, width()), height()}));
}

void TWinQualityGoals::AddEdits(int row, bool firstLevel) {
    const TSigmaLine& line = lines_[static_cast<std::size_t>(row)];
    const QString analyte = FromAnsi(line.Analyte->Name.view());
    if (firstLevel) {
        QLineEdit* tea = MakeEdit(grid_, QStringLiteral("TEa % of ") + analyte, line.Sigma.TeaPercent);
        grid_->setCellWidget(row, scTea, tea);
        connect(tea, &QLineEdit::textEdited, this, [this, row] { RefreshAnalyte(row); });
    }
    QLineEdit* target = MakeEdit(grid_, QStringLiteral("Target of %1 QC%2").arg(analyte).arg(line.Level + 1), line.Sigma.Target);
    grid_->setCellWidget(row, scTarget, target);
    connect(target, &QLineEdit::textEdited, this, [this, row] { RefreshAnalyte(row); });
}

QLineEdit* TWinQualityGoals::TeaEdit(int row) const { return qobject_cast<QLineEdit*>(grid_->cellWidget(row, scTea)); }
QLineEdit* TWinQualityGoals::TargetEdit(int row) const {
    return qobject_cast<QLineEdit*>(grid_->cellWidget(row, scTarget));
}

int TWinQualityGoals::FirstRowOf(int row) const { return row - lines_[static_cast<std::size_t>(row)].Level; }

TAnalyteGoals TWinQualityGoals::TypedGoalsOf(int firstRow) const {
    const TAnalyte* analyte = lines_[static_cast<std::size_t>(firstRow)].Analyte;
    // The targets of levels the analyte does not have now are kept for when it has them again.
    const TAnalyteGoals* stored = Laboratory().Goals().Find(analyte->Name.view());
    TAnalyteGoals goals = stored ? *stored : TAnalyteGoals{};
    goals.TeaPercent = QuietNumber(TeaEdit(firstRow));
    if (goals.TeaPercent && !(*goals.TeaPercent > 0)) goals.TeaPercent.reset();
    for (int level = 0; level < analyte->LevelCount && level < MaxLevels; ++level)
        goals.Targets[static_cast<std::size_t>(level)] = QuietNumber(TargetEdit(firstRow + level));
    return goals;
}

// Every line of the analyte follows its TEa and targets as they are typed.
void TWinQualityGoals::RefreshAnalyte(int row) {
    const int first = FirstRowOf(row);
    const TAnalyteGoals goals = TypedGoalsOf(first);
    const TAnalyte& analyte = *lines_[static_cast<std::size_t>(first)].Analyte;
    for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
        TSigmaLine& line = lines_[static_cast<std::size_t>(first + level)];
        line.Sigma = LevelSigma(analyte, level, &goals);
        ShowLine(first + level, line);
    }
    FitFigureColumns();
}

void TWinQualityGoals::ShowLine(int row, const TSigmaLine& line) {
    const QStringList texts = SigmaLineTexts(line, Materials);
    for (int column = 0; column < scCount; ++column) {
        if (column == scTea || column == scTarget) continue;
        grid_->item(row, column)->setText(texts[column]);
    }
    if (line.Level > 0) grid_->item(row, scTea)->setText(texts[scTea]);
    const QBrush band = line.Sigma.Sigma ? QBrush(BandColour(SigmaBand(*line.Sigma.Sigma))) : QBrush();
    grid_->item(row, scSigma)->setBackground(band);
    grid_->item(row, scRules)->setBackground(band);
}

TQualityGoals TWinQualityGoals::TypedGoals() const {
    TQualityGoals goals = Laboratory().Goals(); // the names the data file does not hold stay
    for (int row = 0; row < grid_->rowCount(); ++row)
        if (lines_[static_cast<std::size_t>(row)].Level == 0)
            goals.Set(lines_[static_cast<std::size_t>(row)].Analyte->Name.view(), TypedGoalsOf(row));
    return goals;
}

void TWinQualityGoals::BtOKClick() {
    // Every edit through the readers first: a refusal stops before anything is kept.
    for (int row = 0; row < grid_->rowCount(); ++row) {
        if (QLineEdit* tea = TeaEdit(row)) {
            const std::optional<long double> value = ReadOptionalField(tea, true);
            if (value && *value == 0) RefuseField(tea, QStringLiteral("The allowable total error (TEa) must be above 0 %"));
        }
        QLineEdit* target = TargetEdit(row);
        const std::optional<long double> value = ReadOptionalField(target, false);
        if (value && !IsStorableResult(*value))
            RefuseField(target, QStringLiteral("%1 is too large: targets go up to 1e20 in size").arg(target->text()));
    }
    if (Laboratory().ChangeGoals(TypedGoals())) accept();
}

TPrintOutcome TWinQualityGoals::BtPrnClick() { return PrintJob(this, SigmaPrintJob(lines_, Materials)); }

} // namespace tervanix
