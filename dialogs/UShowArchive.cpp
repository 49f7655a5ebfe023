#include "dialogs/UShowArchive.h"

#include <QLabel>
#include <QPushButton>

#include "charts/UPrintService.h"
#include "charts/UPrnArchive.h"
#include "main/UAnsi.h"
#include "main/UFontFit.h"
#include "main/UFormParts.h"
#include "main/UTabbedList.h"

namespace tervanix {
namespace {

constexpr int ValueLeft = 500;

} // namespace

TWinShowArchive::TWinShowArchive(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinShowArchive"));
    setFixedSize(600, 340);
    const QRect listGeometry(8, 24, 420, 306);
    lb_ = new TTabbedList(this, {70, 160, 230, 270}, palette().color(QPalette::Highlight));
    lb_->setObjectName(QStringLiteral("LB"));
    lb_->setGeometry(listGeometry);
    lb_->setAccessibleName(QStringLiteral("Archived QC points"));
    AddTabHeadings(this, listGeometry, *lb_, {"Date", "Time", "Result", "Operator", "Comment"});

    panelControlMaterial_ = new QLabel(this);
    panelControlMaterial_->setObjectName(QStringLiteral("PanelControlMaterial"));
    panelControlMaterial_->setGeometry(440, 24, 152, 24);
    panelControlMaterial_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panelControlMaterial_->setAlignment(Qt::AlignCenter);
    lblLot_ = AddValue(QStringLiteral("Lot :"), 60, "LblLot");
    // A date takes the room up to the window's edge: "13 Nov 2026" is wider than a number.
    lblDateFrom_ = AddValue(QStringLiteral("Beginning :"), 84, "LblDateFrom", 92);
    lblDateTo_ = AddValue(QStringLiteral("End :"), 108, "LblDateTo", 92);
    lblMean_ = AddValue(QStringLiteral("Mean :"), 140, "LblMean");
    lblCV_ = AddValue(QStringLiteral("CV :"), 164, "LblCV");
    lblNbre_ = AddValue(QStringLiteral("N :"), 188, "LblNbre");
    lblUnite_ = new QLabel(this);
    lblUnite_->setObjectName(QStringLiteral("LblUnite"));
    lblUnite_->setGeometry(ValueLeft + 56, 140, 40, 16);
    (new QLabel(QStringLiteral("%"), this))->setGeometry(ValueLeft + 56, 164, 20, 16);

    btImprimer_ = MakeButton(this, QStringLiteral("&Print"), "BtImprimer", QRect(440, 264, 75, 25));
    connect(btImprimer_, &QPushButton::clicked, this, &TWinShowArchive::PrintClick);
    btOK_ = MakeButton(this, QStringLiteral("OK"), "BtOK", QRect(440, 300, 75, 25));
    btOK_->setDefault(true);
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
    FitToFont(this);
}

QLabel* TWinShowArchive::AddValue(const QString& caption, int top, const char* name, int width) {
    (new QLabel(caption, this))->setGeometry(440, top, ValueLeft - 444, 16);
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(name));
    value->setGeometry(ValueLeft, top, width, 16);
    return value;
}

void TWinShowArchive::Fill(const QString& analyteName, const TArchiveContent& archive) {
    analyteName_ = analyteName;
    archive_ = archive;
    setWindowTitle(QStringLiteral("Archived data for ") + analyteName);
    lblUnite_->setText(FromAnsi(archive.Unit));
    lb_->clear();
    for (const TArchivePoint& p : archive.Points) lb_->addItem(FromAnsi(p.Line()));
    if (lb_->count() > 0) lb_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    lblDateFrom_->setText(FromAnsi(archive.FirstDate));
    lblDateTo_->setText(FromAnsi(archive.LastDate));
    panelControlMaterial_->setText(FromAnsi(archive.Material));
    lblLot_->setText(FromAnsi(archive.Lot));
    lblMean_->setText(FromAnsi(archive.Mean));
    lblCV_->setText(FromAnsi(archive.CV));
    lblNbre_->setText(FromAnsi(archive.N));
}

void TWinShowArchive::PrintClick() { PrintJob(this, ArchivePrintJob(analyteName_, archive_)); }

} // namespace tervanix
