#include "dialogs/URandom.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <cfloat>
#include <cmath>

#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UDateTimeEdits.h"
#include "main/UEditGrid.h"
#include "main/UFontFit.h"
#include "main/UFormParts.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UReaders.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int DialogWidth = 360;
constexpr int CellWidth = 80;
constexpr int MaxRuns = 1000;
enum TGridRow { grMaterial, grMean, grCV };

} // namespace

TWinRandom::TWinRandom(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinRandom"));
    setFixedSize(DialogWidth, 300);
    editNumber_ = new QLineEdit(this);
    editNumber_->setObjectName(QStringLiteral("EditNumber"));
    editNumber_->setGeometry(200, 12, 60, 21);
    MakeCaption(this, QStringLiteral("&Number of QC points"), QRect(16, 16, 180, 14), editNumber_);

    datePicker_ = MakeDatePicker(this, "DatePicker", QRect(16, 60, 110, 21));
    datePicker_->setDate(QDateOf(Today()));
    MakeCaption(this, QStringLiteral("&First date"), QRect(16, 44, 110, 14), datePicker_);
    timePicker_ = MakeTimePicker(this, "TimePicker", QRect(200, 60, 90, 21));
    timePicker_->setTime(QTimeOf(Now()));
    MakeCaption(this, QStringLiteral("QC &time"), QRect(200, 44, 90, 14), timePicker_);

    grille_ = new TEditGrid(3, 2, this);
    grille_->setObjectName(QStringLiteral("Grille"));
    grille_->OnEscape = [this] { reject(); };
    grille_->setAccessibleName(QStringLiteral("Distribution of data"));
    MakeCaption(this, QStringLiteral("&Distribution of data "), QRect(16, 96, 200, 14), grille_);

    rbCharts_ = new QRadioButton(QStringLiteral("Random data in &charts"), this);
    rbCharts_->setObjectName(QStringLiteral("RBCharts"));
    rbCharts_->setGeometry(16, 200, 200, 20);
    rbFifo_ = new QRadioButton(QStringLiteral("Random data in &queue"), this);
    rbFifo_->setObjectName(QStringLiteral("RBFifo"));
    rbFifo_->setGeometry(16, 224, 200, 20);

    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(90, 262, 80, 25));
    btOK_->setDefault(true);
    btCancel_ = MakeButton(this, QStringLiteral("Cancel"), "BtCancel", QRect(190, 262, 80, 25));
    connect(btOK_, &QPushButton::clicked, this, Command([this] { BtOKClick(); }));
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    FitToFont(this);
}

bool TWinRandom::Execute(TAnalyte& analyte) {
    analyte_ = &analyte;
    lastAdded_ = -1;
    setWindowTitle(QStringLiteral("Random data generator for ") + FromAnsi(analyte.Name.str()));
    WidenToTitle(this);
    editNumber_->clear();
    rbCharts_->setChecked(true);
    PrepareGrid();
    editNumber_->setFocus();
    const bool ok = exec() == QDialog::Accepted;
    analyte_ = nullptr;
    return ok;
}

bool TWinRandom::ToQueue() const { return rbFifo_->isChecked(); }

QString TWinRandom::MaterialName(int level) const {
    return FromAnsi(Materials.FindById(analyte_->MaterialId[static_cast<std::size_t>(level)]).Name.str());
}

void TWinRandom::PrepareGrid() {
    const int levels = std::clamp(analyte_->LevelCount, 1, MaxLevels);
    grille_->clear();
    grille_->setColumnCount(levels + 1);
    // The heading column takes its longest heading, so that "Control material" is read whole.
    const QString materialHeading = QStringLiteral("Control material");
    const QFontMetrics metrics = grille_->fontMetrics();
    const int headingWidth = std::max(Scaled(this, CellWidth), metrics.horizontalAdvance(materialHeading) + 12);
    grille_->setColumnWidth(0, headingWidth);
    // A level's column as wide as its material's name.
    int cellWidth = Scaled(this, CellWidth);
    for (int level = 0; level < levels; ++level)
        cellWidth = std::max(cellWidth, metrics.horizontalAdvance(MaterialName(level)) + 12);
    for (int column = 1; column <= levels; ++column) grille_->setColumnWidth(column, cellWidth);
    const int width = (cellWidth + 1) * levels + headingWidth + 1 + 4;
    grille_->setGeometry((this->width() - width) / 2, Scaled(this, 112), width, 3 * grille_->rowHeight(0) + 4);
    const QString unit = FromAnsi(analyte_->UnitName.str());
    grille_->SetFixed(grMaterial, 0, materialHeading, clBtnFace);
    grille_->SetFixed(grMean, 0, QStringLiteral("m (") + unit + QStringLiteral(")"), clBtnFace);
    grille_->SetFixed(grCV, 0, QStringLiteral("C.V. (%)"), clBtnFace);
    for (int level = 0; level < levels; ++level) grille_->SetFixed(grMaterial, level + 1, MaterialName(level), clBtnFace);
    grille_->setCurrentCell(grMean, 1);
}

// Empty: no value. Either decimal separator is taken; a number a single cannot hold is refused.
TLevelResult TWinRandom::ReadCell(int row, int column) {
    const QString text = grille_->CellText(row, column);
    if (text.isEmpty()) return TLevelResult{};
    const QString normalised = FromAnsi(NormaliseDecimalSeparator(ToAnsi(text)));
    long double value = 0;
    if (!TryReadNumber(ToAnsi(normalised), value) || !std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        ShowError(QStringLiteral("'%1' is not a valid floating point value").arg(normalised));
        grille_->setCurrentCell(row, column);
        grille_->setFocus();
        throw EAbortSilently();
    }
    return TLevelResult{static_cast<float>(value), qsInControl, {}};
}

void TWinRandom::ReadGrid(TLevelTriple& means, TLevelTriple& cvs) {
    // A level draws values only with both its mean and its CV; runs without any value would be
    // empty points in the series or the queue.
    bool filled = false;
    for (int level = 0; level + 1 < grille_->columnCount(); ++level) {
        const auto l = static_cast<std::size_t>(level);
        means[l] = ReadCell(grMean, level + 1);
        cvs[l] = ReadCell(grCV, level + 1);
        filled = filled || (means[l].Status != qsNoValue && cvs[l].Status != qsNoValue);
    }
    if (!filled) {
        ShowError(QStringLiteral("Fill in the grid"));
        grille_->setFocus();
        throw EAbortSilently();
    }
    RefuseUnstorableSpread(means, cvs);
}

// A level's draws reach ten standard deviations from its mean at the most: beyond the size a result
// may have, they would make the level's statistics overflow.
void TWinRandom::RefuseUnstorableSpread(const TLevelTriple& means, const TLevelTriple& cvs) {
    for (int level = 0; level + 1 < grille_->columnCount(); ++level) {
        const auto l = static_cast<std::size_t>(level);
        if (means[l].Status == qsNoValue || cvs[l].Status == qsNoValue) continue;
        const long double mean = std::fabs(static_cast<long double>(means[l].Value));
        const long double spread = mean * (1 + 10 * std::fabs(static_cast<long double>(cvs[l].Value)) / 100);
        if (IsStorableResult(spread)) continue;
        ShowError(QStringLiteral("The random values of QC%1 would go beyond 1e20 in size").arg(level + 1));
        grille_->setCurrentCell(grMean, level + 1);
        grille_->setFocus();
        throw EAbortSilently();
    }
}

TDateTime TWinRandom::Start() const {
    return DateTimeOf(datePicker_->date(), timePicker_->time());
}

void TWinRandom::BtOKClick() {
    grille_->FinishEditing();
    const int count = ReadIntegerField(editNumber_, 1, MaxRuns);
    TLevelTriple means{}, cvs{};
    ReadGrid(means, cvs);
    if (Generate(count, means, cvs)) accept();
}

// Cancel in the confirmation leaves the dialog open with nothing generated.
bool TWinRandom::Generate(int count, const TLevelTriple& means, const TLevelTriple& cvs) {
    const TDateTime start = Start();
    const QString text = QStringLiteral("Create ") + editNumber_->text() + QStringLiteral(" random QC points from ") +
                         FromAnsi(FormatDate(start));
    if (ToQueue()) {
        if (!Confirm(text + QStringLiteral("\rAdd the new random points in the fifo."))) return false;
        std::vector<TResu> runs;
        for (int k = 0; k < count; ++k) runs.push_back(analyte_->MakeRandomEntry(means, cvs, start + k));
        Laboratory().QueueRuns(std::move(runs));
        return true;
    }
    if (analyte_->Count() > 0 && !Confirm(text + QStringLiteral("\rAdd the new random points to the previous ones.")))
        return false;
    const QJsonObject details{{QStringLiteral("file"), QStringLiteral("random generator")}, {QStringLiteral("runs"), count}};
    Laboratory().EditSeries(*analyte_, {AuditNote("import", AuditAnalyteName(*analyte_), 0, details)},
                            [&] { lastAdded_ = analyte_->GenerateRandomPoints(count, means, cvs, start); });
    return true;
}

} // namespace tervanix
