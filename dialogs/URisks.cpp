#include "dialogs/URisks.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "main/UFontFit.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

// Action risks start at index 2 of the risk scale (1%).
constexpr int FirstActionRisk = 2;

QPushButton* MakeButton(const QString& caption, const char* name, QRect geometry, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

TWinRisks::TWinRisks(std::function<TAnalyte*()> shown, QWidget* parent) : QDialog(parent), shown_(std::move(shown)) {
    setObjectName(QStringLiteral("WinRisks"));
    setWindowTitle(QStringLiteral("Tervanix : Statistical parameters"));
    setFixedSize(470, 214);

    panelInfo_ = new QLabel(QStringLiteral("The control limits displayed in the panes are valid only for  long QC "
                                           "reference periods \n(>30 points). If shorter, Student's t is used with "
                                           "the relevant degrees of freedom."),
                            this);
    panelInfo_->setObjectName(QStringLiteral("PanelInfo"));
    panelInfo_->setGeometry(8, 8, 454, 40);
    panelInfo_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panelInfo_->setAutoFillBackground(true);
    QPalette pale = panelInfo_->palette();
    pale.setColor(QPalette::Window, pale.color(QPalette::ToolTipBase));
    pale.setColor(QPalette::WindowText, pale.color(QPalette::ToolTipText));
    panelInfo_->setPalette(pale);
    panelInfo_->setAlignment(Qt::AlignCenter);

    rgAlert_ = MakeGroup(QStringLiteral(" &Alert limits "), "RGAlert", QRect(8, 58, 223, 100),
                         {QStringLiteral("5% ( m ± 1.96s )"), QStringLiteral("2% ( m ± 2.32s )")}, alertButtons_);
    rgAction_ = MakeGroup(QStringLiteral(" A&ction limits "), "RGAction", QRect(239, 58, 223, 100),
                          {QStringLiteral("1% ( m ± 2.56s )"), QStringLiteral("0.5% ( m ± 2.81s )"),
                           QStringLiteral("0.2% ( m ± 3.09s )")},
                          actionButtons_);
    connect(alertButtons_, &QButtonGroup::idClicked, this,
            [this](int k) { SetRisks(static_cast<TRiskIndex>(k), Settings.ActionRisk); });
    connect(actionButtons_, &QButtonGroup::idClicked, this,
            [this](int k) { SetRisks(Settings.AlertRisk, static_cast<TRiskIndex>(k + FirstActionRisk)); });

    btCle_ = MakeKeyButton(this);
    btCle_->setAccessibleName(QStringLiteral("Unlock"));
    btCle_->setGeometry(60, 172, 34, 34);
    btOK_ = MakeButton(QStringLiteral("OK"), "BtOK", QRect(131, 176, 75, 25), this);
    btOK_->setDefault(true);
    btCancel_ = MakeButton(QStringLiteral("Cancel"), "BtCancel", QRect(214, 176, 75, 25), this);
    btUndo_ = MakeButton(QStringLiteral("&Undo"), "BtUndo", QRect(297, 176, 75, 25), this);
    lock_ = new TKeyLock(btCle_, {btOK_});
    connect(btOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btUndo_, &QPushButton::clicked, this, &TWinRisks::BtUndoClick);
    FitToFont(this);
}

QGroupBox* TWinRisks::MakeGroup(const QString& title, const char* name, QRect geometry, const QStringList& items,
                                QButtonGroup*& buttons) {
    auto* group = new QGroupBox(title, this);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(geometry);
    group->setAccessibleName(title.trimmed().remove(QLatin1Char('&')));
    buttons = new QButtonGroup(group);
    for (int k = 0; k < items.size(); ++k) {
        auto* item = new QRadioButton(items[k], group);
        item->setGeometry(12, 22 + 24 * k, 200, 20);
        buttons->addButton(item, k);
    }
    return group;
}

QRadioButton* TWinRisks::AlertItem(int k) const { return qobject_cast<QRadioButton*>(alertButtons_->button(k)); }

QRadioButton* TWinRisks::ActionItem(int k) const { return qobject_cast<QRadioButton*>(actionButtons_->button(k)); }

void TWinRisks::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    rememberedAlert_ = Settings.AlertRisk;
    rememberedAction_ = Settings.ActionRisk;
    lock_->Activate();
    SelectPresentItems();
    if (QAbstractButton* checked = alertButtons_->checkedButton()) checked->setFocus();
}

void TWinRisks::SelectPresentItems() {
    // A risk outside the scale of its group selects nothing, so no item may stay checked.
    auto select = [](QButtonGroup* group, int present) {
        group->setExclusive(false);
        for (QAbstractButton* item : group->buttons()) item->setChecked(group->id(item) == present);
        group->setExclusive(true);
    };
    select(alertButtons_, Settings.AlertRisk);
    select(actionButtons_, Settings.ActionRisk - FirstActionRisk);
}

void TWinRisks::SetRisks(TRiskIndex alert, TRiskIndex action) {
    Laboratory().PreviewRisks(Analytes.Count() > 0 && shown_ ? shown_() : nullptr, alert, action);
}

void TWinRisks::BtUndoClick() {
    SetRisks(rememberedAlert_, rememberedAction_);
    SelectPresentItems();
}

void TWinRisks::done(int result) {
    if (result != QDialog::Accepted &&
        (Settings.AlertRisk != rememberedAlert_ || Settings.ActionRisk != rememberedAction_))
        SetRisks(rememberedAlert_, rememberedAction_);
    QDialog::done(result);
}

bool ChangeRisks(TWinRisks& window) {
    if (window.exec() != QDialog::Accepted) return false;
    Laboratory().ChangeRisks(Settings.AlertRisk, Settings.ActionRisk, window.RememberedAlert(), window.RememberedAction());
    return true;
}

} // namespace tervanix
