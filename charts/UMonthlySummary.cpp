#include "charts/UMonthlySummary.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "charts/UQualityPages.h"
#include "main/UAnsi.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {

TWinMonthlySummary::TWinMonthlySummary(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinMonthlySummary"));
    setWindowTitle(QStringLiteral("Monthly summary"));
    cbMonth_ = new QComboBox(this);
    cbMonth_->setObjectName(QStringLiteral("CBMonth"));
    cbMonth_->setAccessibleName(QStringLiteral("Month"));
    for (const std::string& name : Locale().LongMonthNames) cbMonth_->addItem(FromAnsi(name));
    seYear_ = new QSpinBox(this);
    seYear_->setObjectName(QStringLiteral("SEYear"));
    seYear_->setAccessibleName(QStringLiteral("Year"));
    seYear_->setRange(1900, 9999);
    lblEmpty_ = new QLabel(QStringLiteral("No run in this month"), this);
    lblEmpty_->setObjectName(QStringLiteral("LblEmpty"));
    grid_ = new QTableWidget(0, mcCount, this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setAccessibleName(QStringLiteral("Summary of the month"));
    grid_->setHorizontalHeaderLabels(SummaryHeadings());
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btPrn_ = new QPushButton(QStringLiteral("&Print"), this);
    btPrn_->setObjectName(QStringLiteral("BtPrn"));
    btOK_ = new QPushButton(QStringLiteral("OK"), this);
    btOK_->setObjectName(QStringLiteral("BtOK"));
    auto* top = new QHBoxLayout;
    top->addWidget(cbMonth_);
    top->addWidget(seYear_);
    top->addWidget(lblEmpty_);
    top->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btPrn_);
    buttons->addWidget(btOK_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_);
    layout->addLayout(buttons);
    resize(BoundedToScreen(this, {900, 400}));
    connect(cbMonth_, &QComboBox::currentIndexChanged, this, Command([this] { FillPreview(); }));
    connect(seYear_, &QSpinBox::valueChanged, this, Command([this] { FillPreview(); }));
    connect(btPrn_, &QPushButton::clicked, this, Command([this] { BtPrnClick(); }));
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
}

TMonth TWinMonthlySummary::Month() const { return {seYear_->value(), cbMonth_->currentIndex() + 1}; }

void TWinMonthlySummary::SetMonth(TMonth month) {
    {
        const QSignalBlocker quietMonth(cbMonth_), quietYear(seYear_);
        cbMonth_->setCurrentIndex(month.Month - 1);
        seYear_->setValue(month.Year);
    }
    FillPreview();
}

void TWinMonthlySummary::Prepare() {
    const TDateParts today = DecodeDate(Today());
    SetMonth({today.Year, today.Month});
}

void TWinMonthlySummary::FillPreview() {
    lines_ = MonthlySummary(Analytes, Month(), Laboratory().Goals());
    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(lines_.size()));
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const QStringList texts = SummaryLineTexts(lines_[static_cast<std::size_t>(row)], Materials);
        for (int column = 0; column < mcCount; ++column) grid_->setItem(row, column, new QTableWidgetItem(texts[column]));
    }
    grid_->resizeColumnsToContents();
    lblEmpty_->setVisible(lines_.empty());
}

TPrintOutcome TWinMonthlySummary::BtPrnClick() {
    if (lines_.empty()) {
        ShowError(QStringLiteral("Nothing to print"));
        return TPrintOutcome::Cancelled;
    }
    return PrintJob(this, MonthlySummaryPrintJob(lines_, Materials, Month()));
}

} // namespace tervanix
