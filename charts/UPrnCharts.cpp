#include "charts/UPrnCharts.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

#include "charts/UPrintService.h"
#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"
#include "model/UGlobals.h"
#include "model/USeriesQueries.h"
#include "model/ULists.h"

namespace tervanix {

TWinPrnCharts::TWinPrnCharts(QWidget* parent)
    : QDialog(parent), range_(this, QStringLiteral("Control points to print"),
                              {{20, 15}, {135, 12, 50, 20}, {19, 52}, {88, 48, 97, 20}, {19, 88}, {88, 85, 97, 20}}) {
    setObjectName(QStringLiteral("WinPrnCharts"));
    setFixedSize(204, 290);
    range_.CountPanel->setObjectName(QStringLiteral("PanelNbPoints"));
    auto* label4 = new QLabel(QStringLiteral("Charts to print"), this);
    label4->setObjectName(QStringLiteral("Label4"));
    label4->move(8, 120);
    label4->adjustSize();
    FormCreate();
    cbColor_ = new QCheckBox(QStringLiteral("&Color printer"), this);
    cbColor_->setObjectName(QStringLiteral("CBColor"));
    cbColor_->setGeometry(8, 222, 95, 17);
    cbStat_ = new QCheckBox(QStringLiteral("Print &statistics"), this);
    cbStat_->setObjectName(QStringLiteral("CBStat"));
    cbStat_->setGeometry(104, 222, 100, 17);
    const TPrintButtons buttons = MakePrintButtons(this, 43);
    btPrint_ = buttons.Print;
    bitBtn1_ = buttons.Cancel;
    connect(range_.DatePicker1, &QDateEdit::dateChanged, this, [this] { CountNbPoints(); });
    connect(range_.DatePicker2, &QDateEdit::dateChanged, this, [this] { CountNbPoints(); });
    // The colour choice is the program's setting at once, whether or not anything is printed.
    connect(cbColor_, &QCheckBox::clicked, this, [](bool checked) {
        RunCommand([checked] {
            const QJsonObject details{{QStringLiteral("print_in_colour"), BeforeAfter(!checked, checked)}};
            Laboratory().EditSettings({AuditNote("options.changed", {}, 0, details)},
                                      [checked] { Settings.PrintInColour = checked ? 1 : 0; });
        });
    });
    connect(btPrint_, &QPushButton::clicked, this,
            [this] { QMetaObject::invokeMethod(this, [this] { BtPrintClick(); }, Qt::QueuedConnection); });
    FitToFont(this);
}

void TWinPrnCharts::FormCreate() {
    for (int level = 0; level < MaxLevels; ++level) {
        // Named before an analyte gives it its material's name, for screen readers.
        auto* box = new QCheckBox(QStringLiteral("Level %1").arg(level + 1), this);
        box->setObjectName(QStringLiteral("LevelBox%1").arg(level + 1));
        box->setGeometry(30, 140 + 24 * level, 160, 17);
        levelBoxes_[static_cast<std::size_t>(level)] = box;
    }
}

void TWinPrnCharts::Prepare(const TAnalyte& analyte, const TListSerum& materials) {
    analyte_ = &analyte;
    materials_ = &materials;
    setWindowTitle(QStringLiteral("Print QC charts for ") + FromAnsi(analyte.Name.str()));
    WidenToTitle(this);
    range_.ShowSeries(analyte);
    CountNbPoints();
    cbColor_->setChecked(Settings.PrintInColour != 0);
    cbStat_->setChecked(true);
    for (int level = 0; level < MaxLevels; ++level) {
        QCheckBox* box = LevelBox(level);
        const bool used = level < analyte.LevelCount;
        box->setVisible(used);
        if (!used) continue;
        box->setText(FromAnsi(LevelMaterialText(analyte, materials, level)));
        box->setChecked(true);
        // A single level is always printed.
        box->setEnabled(analyte.LevelCount > 1);
    }
}

int TWinPrnCharts::Execute(const TAnalyte& analyte, const TListSerum& materials) {
    Prepare(analyte, materials);
    return exec();
}

void TWinPrnCharts::CountNbPoints() {
    if (analyte_) range_.ShowCount(range_.Range(*analyte_).Count());
}

void TWinPrnCharts::BtPrintClick() {
    range_.TakeTypedDates();
    CountNbPoints();
    TChartPrintOptions options;
    bool anyLevel = false;
    for (int level = 0; level < MaxLevels; ++level) {
        options.Levels[static_cast<std::size_t>(level)] = analyte_ && level < analyte_->LevelCount && LevelBox(level)->isChecked();
        anyLevel = anyLevel || options.Levels[static_cast<std::size_t>(level)];
    }
    if (Analytes.Count() == 0 || !analyte_ || !materials_ || analyte_->Count() == 0 || !anyLevel) {
        ShowError(QStringLiteral("Nothing to print"));
        accept();
        return;
    }
    options.Colour = cbColor_->isChecked();
    options.Statistics = cbStat_->isChecked();
    // A cancelled print dialog or a failed printer leaves this dialog open for another try.
    if (PrintJob(this, ChartsJob(*analyte_, *materials_, range_.Range(*analyte_), options)) == TPrintOutcome::Printed)
        accept();
}

} // namespace tervanix
