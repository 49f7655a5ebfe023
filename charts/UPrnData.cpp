#include "charts/UPrnData.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>

#include "charts/UPrintService.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UDateTimeEdits.h"
#include "main/UFontFit.h"
#include "main/UMessages.h"
#include "model/UAnalyte.h"

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
    FitToFont(this);
}

void TWinPrnData::Prepare(const TAnalyte& analyte, const TListSerum& materials) {
    analyte_ = &analyte;
    materials_ = &materials;
    setWindowTitle(QStringLiteral("Print QC data for ") + FromAnsi(analyte.Name.str()));
    WidenToTitle(this);
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
