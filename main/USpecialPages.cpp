#include "main/USpecialPages.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <utility>

#include "charts/UDrawChart.h"
#include "main/UAccessible.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/UFormParts.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UReaders.h"
#include "main/USpecialComponents.h"
#include "model/UAnalyte.h"
#include "model/UFormat.h"

namespace tervanix {
namespace {

constexpr int PageWidth = 185;
constexpr int ButtonsTop = 412;

QString PointDate(const TAnalyte& analyte, int index) {
    return FromAnsi(FormatDate(analyte.Point(index).DateTime));
}

} // namespace

// ---- Frame shared by the pages ----

TSpecialPage::TSpecialPage(ISpecialPageHost& window, int tag, const TNames& names, const QString& headline)
    : window_(window), tag_(tag) {
    setObjectName(QString::fromLatin1(names.Page));
    setWindowTitle(headline); // the caption of its (hidden) tab
    MakePageHeadline(this, headline, QRect(5, 4, PageWidth, 16));

    const int buttons = names.Undo ? 3 : 2;
    const int width = (PageWidth - 4 * (buttons - 1)) / buttons;
    auto addButton = [&](const QString& caption, const char* name, int slot) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(slot * (width + 4), ButtonsTop, width, 25);
        return button;
    };
    btOK_ = addButton(QStringLiteral("OK"), names.OK, 0);
    OnClick(btOK_, [this] { OKClick(); });
    if (names.Undo) {
        btUndo_ = addButton(QStringLiteral("&Undo"), names.Undo, 1);
        OnClick(btUndo_, [this] { window_.SwitchPage(tag_); }); // brings back the snapshot, opens again
    }
    btCancel_ = addButton(QStringLiteral("Cancel"), names.Cancel, buttons - 1);
    OnClick(btCancel_, [this] { window_.LeaveSpecialPage(); });
}

void TSpecialPage::OKClick() {
    window_.SwitchPage(0);
    if (edited_ && Analyte()) Laboratory().ConfirmLimits(*Analyte(), window_.LimitsAtOpening());
    edited_ = false;
}

TAnalyte* TSpecialPage::Analyte() const {
    return window_.CurrentAnalyte();
}

bool TSpecialPage::CaptionLevelBox(QGroupBox* box, int level, int levels) const {
    if (level >= levels) {
        box->hide();
        return false;
    }
    const QString material = MaterialName(level);
    box->setTitle(QString(material).replace(QLatin1Char('&'), QStringLiteral("&&"))); // no mnemonic
    box->setAccessibleName(material);
    return true;
}

QString TSpecialPage::MaterialName(int level) const {
    return window_.LevelCaption(level);
}

QLabel* TSpecialPage::AddCaption(const QString& text, int top) {
    auto* label = new QLabel(text, this);
    label->move(5, top);
    label->adjustSize();
    return label;
}

void TSpecialPage::OnClick(QPushButton* button, std::function<void()> command) {
    connect(button, &QPushButton::clicked, this, AfterAction(this, std::move(command)));
}

// ---- Lock page ----

TLockPage::TLockPage(ISpecialPageHost& window)
    : TSpecialPage(window, 1, {"TabSheetLock", "BtOKLock", "BtUndoLock", "BtCancelLock"},
                   QStringLiteral("Locking control limits")) {
    AddCaption(QStringLiteral("From"), 30);
    AddCaption(QStringLiteral("to"), 30)->move(102, 30);
    auto makePanel = [this](const char* name, int left) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setGeometry(left, 27, 68, 19);
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAutoFillBackground(true);
        QPalette yellow = panel->palette();
        yellow.setColor(QPalette::Window, clYellow);
        yellow.setColor(QPalette::WindowText, Qt::black); // also under a dark desktop palette
        panel->setPalette(yellow);
        return panel;
    };
    panelFirstDate_ = makePanel("PanelFirstDate", 31);
    panelLastDate_ = makePanel("PanelLastDate", 116);
    AddCaption(QStringLiteral("Partial statistics for the interval"), 56);
    CreateGrid();
    AddCaption(QStringLiteral("Lock limits on the new date interval"), 172);
    for (int level = 0; level < MaxLevels; ++level) {
        auto* box = new TGBLockedParam(level, this);
        box->move(0, 75 * level + 190);
        OnClick(box->BtLock, [this, level] { LockClick(level); });
        OnClick(box->BtUnLock, [this, level] { UnLockClick(level); });
        boxes_[static_cast<std::size_t>(level)] = box;
    }
}

void TLockPage::CreateGrid() {
    grilleLock_ = new QTableWidget(MaxLevels, 4, this);
    grilleLock_->setObjectName(QStringLiteral("GrilleLock"));
    grilleLock_->setAccessibleName(QStringLiteral("Partial statistics for the interval"));
    grilleLock_->setHorizontalHeaderLabels(
        {QStringLiteral("#"), QStringLiteral("m"), QStringLiteral("CV"), QStringLiteral("N")});
    grilleLock_->verticalHeader()->hide();
    grilleLock_->setSelectionMode(QAbstractItemView::NoSelection);
    grilleLock_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grilleLock_->setFocusPolicy(Qt::NoFocus);
    grilleLock_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grilleLock_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int widths[] = {30, 55, 40, 33};
    for (int column = 0; column < 4; ++column)
        grilleLock_->setColumnWidth(column, widths[column]);
    grilleLock_->setFixedWidth(30 + 55 + 40 + 33 + 2 * grilleLock_->frameWidth());
    SizeGridRows();
    grilleLock_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grilleLock_->horizontalHeader()->setStretchLastSection(false);
    for (int row = 0; row < MaxLevels; ++row)
        SetCell(row, 0, QStringLiteral("C%1").arg(row + 1));
    grilleLock_->move(5, 72);
}

void TLockPage::SetCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = grilleLock_->item(row, column);
    if (!item) {
        item = new QTableWidgetItem();
        item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                           : Qt::AlignRight | Qt::AlignVCenter);
        grilleLock_->setItem(row, column, item);
    }
    item->setText(text);
}

void TLockPage::Initialise() {
    edited_ = false;
    window_.ClearSelectedPoint();
    RefreshStatistics();
    const TAnalyte* a = Analyte();
    const int levels = a ? a->LevelCount : 0;
    for (int level = 0; level < MaxLevels; ++level) {
        TGBLockedParam* box = Box(level);
        if (!CaptionLevelBox(box, level, levels)) continue;
        box->setVisible(a->AllPoints[static_cast<std::size_t>(level)].N > 0);
        ShowLevelState(level);
    }
    BtOK()->setFocus();
}

void TLockPage::ShowLevelState(int level) {
    const TAnalyte& a = *Analyte();
    const auto l = static_cast<std::size_t>(level);
    TGBLockedParam* box = Box(level);
    box->BtUnLock->setEnabled(a.LimitsMode[l] == lmLocked);
    switch (a.LimitsMode[l]) {
    case lmLocked:
        box->SetState(QStringLiteral("Locked (") + PointDate(a, a.LockFirst[l]) + QStringLiteral(" to ") +
                      PointDate(a, a.LockLast[l]) + QStringLiteral(")"));
        break;
    case lmFixed:
        box->SetState(QStringLiteral("Fixed limits"));
        break;
    default:
        box->SetState(QStringLiteral("Mobile limits"));
        break;
    }
}

// Rows one line of the grid's font high, whatever the desktop makes it.
void TLockPage::SizeGridRows() {
    const int rowHeight = grilleLock_->fontMetrics().height() + 4;
    grilleLock_->verticalHeader()->setMinimumSectionSize(rowHeight);
    grilleLock_->verticalHeader()->setDefaultSectionSize(rowHeight);
    grilleLock_->horizontalHeader()->setFixedHeight(rowHeight);
}

void TLockPage::RefreshStatistics() {
    const TAnalyte* a = Analyte();
    const TChartView& view = window_.View();
    const bool interval = a && view.IntervalFrom >= 0 && view.IntervalTo < a->Count();
    const int levels = a ? a->LevelCount : 0;
    grilleLock_->setRowCount(std::max(levels, 0));
    SizeGridRows();
    grilleLock_->setFixedHeight(GridHeightForRows(grilleLock_));
    panelFirstDate_->setText(interval ? PointDate(*a, view.IntervalFrom) : QString());
    panelLastDate_->setText(interval ? PointDate(*a, view.IntervalTo) : QString());
    for (int level = 0; level < levels; ++level) {
        SetCell(level, 0, QStringLiteral("C%1").arg(level + 1));
        TLevelStats s;
        if (interval) a->ComputeStats(level, view.IntervalFrom, view.IntervalTo, s);
        SetCell(level, 1, s.N > 0 ? FromAnsi(FormatFixed(s.Mean, 8, a->Decimals + 1)) : QString());
        SetCell(level, 2, interval ? FromAnsi(CVText(s, 8)) : QString());
        SetCell(level, 3, QString::number(s.N));
    }
}

void TLockPage::LockClick(int level) {
    TAnalyte* a = Analyte();
    const TChartView& view = window_.View();
    if (!a) return;
    const auto l = static_cast<std::size_t>(level);
    if (view.IntervalFrom < 0) {
        ShowError(QStringLiteral(
            "Define a date interval at the bottom of the charts\r - click on one end of the interval, "
            "then Shift+click on the other end\r - or click on one end and glide to the other "
            "end;\rThe selected date interval is spotted in light blue."));
        BtOK()->setFocus();
        return;
    }
    if (!Laboratory().LockLevel(*a, level, view.IntervalFrom, view.IntervalTo)) {
        ShowError(QStringLiteral("Not enough QC points in the dates interval for ") + MaterialName(level));
        BtOK()->setFocus();
        return;
    }
    Box(level)->SetState(QStringLiteral("Locked from ") + PointDate(*a, a->LockFirst[l]) +
                         QStringLiteral(" to ") + PointDate(*a, a->LockLast[l]));
    Box(level)->BtUnLock->setEnabled(true);
    edited_ = true;
    BtOK()->setFocus();
}

void TLockPage::UnLockClick(int level) {
    TAnalyte* a = Analyte();
    if (!a) return;
    Laboratory().UnlockLevel(*a, level);
    Box(level)->SetState(QStringLiteral("Mobile limits"));
    Box(level)->BtUnLock->setEnabled(false);
    edited_ = true;
    BtOK()->setFocus();
}

// ---- Fix page ----

TFixPage::TFixPage(ISpecialPageHost& window)
    : TSpecialPage(window, 2, {"TabSheetFix", "BtOKFix", "BtUndoFix", "BtCancelFix"},
                   QStringLiteral("Fixing control limits")) {
    for (int level = 0; level < MaxLevels; ++level) {
        auto* box = new TGBFixedParam(level, this);
        OnClick(box->BtFix, [this, level] { FixClick(level); });
        OnClick(box->BtUnfix, [this, level] { UnfixClick(level); });
        boxes_[static_cast<std::size_t>(level)] = box;
    }
}

void TFixPage::Initialise() {
    edited_ = false;
    window_.ClearSelectedPoint();
    window_.ClearDateIntervalAndRedraw();
    const TAnalyte* a = Analyte();
    const int levels = a ? a->LevelCount : 0;
    for (int level = 0; level < MaxLevels; ++level) {
        TGBFixedParam* box = Box(level);
        if (!CaptionLevelBox(box, level, levels)) continue;
        const auto l = static_cast<std::size_t>(level);
        box->LblUnite->setText(FromAnsi(a->UnitName.str()));
        box->move(Scaled(this, 10), Scaled(this, 130 * level + 205 - 60 * levels));
        box->show();
        const bool fixed = a->LimitsMode[l] == lmFixed;
        box->BtUnfix->setEnabled(fixed);
        const TLevelStats& c = a->Current[l];
        box->EditTarget->setText(fixed ? FromAnsi(FormatFixed(c.Mean, 6, a->Decimals)) : QString());
        box->EditWarning->setText(fixed ? FromAnsi(FormatFixed(c.AlertHalfWidth, 6, a->Decimals + 1))
                                        : QString());
        box->EditAction->setText(fixed ? FromAnsi(FormatFixed(c.ActionHalfWidth, 6, a->Decimals + 1))
                                       : QString());
    }
    BtOK()->setFocus();
}

void TFixPage::FixClick(int level) {
    TAnalyte* a = Analyte();
    if (!a) return;
    TGBFixedParam* box = Box(level);
    const long double target = ReadExtendedField(box->EditTarget, false);
    const long double warning = ReadExtendedField(box->EditWarning, true);
    const long double action = ReadExtendedField(box->EditAction, true);
    if (action < warning) {
        ShowError(QStringLiteral("Action < Warning"));
        BtOK()->setFocus();
        return;
    }
    Laboratory().FixLevel(*a, level, target, warning, action);
    box->BtUnfix->setEnabled(true);
    edited_ = true;
    BtOK()->setFocus();
}

void TFixPage::UnfixClick(int level) {
    TAnalyte* a = Analyte();
    if (!a) return;
    Laboratory().UnfixLevel(*a, level);
    Box(level)->BtUnfix->setEnabled(false);
    edited_ = true;
    BtOK()->setFocus();
}

// ---- Erase/archive page ----

namespace {
const QString EraseCaption = QStringLiteral("Erase/archive data");
const QString UneraseCaption = QStringLiteral("Un-erase data");

bool HasValues(const TAnalyte& a, int level) {
    const TLevelStats& all = a.AllPoints[static_cast<std::size_t>(level)];
    return all.N + all.DiscardedCount > 0;
}
} // namespace

TErasePage::TErasePage(ISpecialPageHost& window)
    : TSpecialPage(window, 3, {"TabSheetArchi", "BtOKErase", nullptr, "BtCancelArchi"},
                   QStringLiteral("Erasing QC levels")) {
    for (int level = 0; level < MaxLevels; ++level) {
        auto* box = new TGBArchivage(level, this);
        OnClick(box->BtArchi, [this, level] { ArchiClick(level); });
        boxes_[static_cast<std::size_t>(level)] = box;
    }
}

void TErasePage::Initialise() {
    window_.ClearDateIntervalAndRedraw();
    const TAnalyte* a = Analyte();
    const int levels = a ? a->LevelCount : 0;
    for (int level = 0; level < MaxLevels; ++level) {
        TGBArchivage* box = Box(level);
        if (!CaptionLevelBox(box, level, levels)) continue;
        box->move(Scaled(this, 10), Scaled(this, 120 * level + 160 - 40 * levels));
        box->BtArchi->setText(EraseCaption);
        box->BtArchi->setEnabled(HasValues(*a, level));
        box->show();
    }
    window_.ClearSelectedPoint();
    QPushButton* first = Box(0)->BtArchi;
    (first->isEnabled() ? first : BtOK())->setFocus();
}

void TErasePage::ArchiClick(int level) {
    const TAnalyte* a = Analyte();
    if (!a) return;
    if (!HasValues(*a, level)) {
        ShowError(QStringLiteral("Nothing to archive"));
        return;
    }
    QPushButton* button = Box(level)->BtArchi;
    const bool mark = button->text().startsWith(QLatin1Char('E'));
    button->setText(mark ? UneraseCaption : EraseCaption);
    window_.SetEraseMark(level, mark);
}

void TErasePage::OKClick() {
    TAnalyte* a = Analyte();
    if (!a) return;
    std::array<bool, MaxLevels> marks = window_.View().EraseMarks;
    int count = 0;
    for (int level = 0; level < a->LevelCount && level < MaxLevels; ++level)
        count += marks[static_cast<std::size_t>(level)];
    if (count == 0) {
        ShowError(QStringLiteral("Nothing to erase"));
        return;
    }
    if (!Confirm(QStringLiteral("You are going to erase/archive the data of ") + QString::number(count) +
                 QStringLiteral(" QC level(s) for ") + FromAnsi(a->Name.str()) + QStringLiteral("\r")))
        return;
    const QString failure = Laboratory().ArchiveLevels(*a, marks);
    window_.AfterSeriesChanged();
    window_.SwitchPage(0);
    if (!failure.isEmpty()) ShowError(failure);
}

} // namespace tervanix
