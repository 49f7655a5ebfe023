#include "dialogs/UShowData.h"

#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "charts/UPrnData.h"
#include "main/UAnsi.h"
#include "main/UColors.h"
#include "main/UCommandRunner.h"
#include "main/UFontFit.h"
#include "main/UKeyLock.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UResources.h"
#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int ClientWidth = 560;
constexpr int ClientHeight = 440;
constexpr int ListTop = 24;
constexpr int ListHeight = 340;
constexpr int LevelColumnWidth = 60;

int Levels(const TAnalyte& analyte) { return std::clamp(analyte.LevelCount, 1, MaxLevels); }

bool IsMidnight(TDateTime dt) {
    const TTimeParts t = DecodeTime(dt);
    return t.Hour == 0 && t.Minute == 0 && t.Second == 0 && t.MilliSecond == 0;
}

// The marker of a level's status beside its value; none in control or without value.
QPixmap StatusMarker(std::uint8_t status) { return status == qsInControl ? QPixmap() : StatusBitmap(status); }

} // namespace

QString DataLineText(const TAnalyte& analyte, const TQCPoint& point) {
    QString line = FromAnsi(FormatDate(point.DateTime));
    if (!IsMidnight(point.DateTime)) line += QLatin1Char(' ') + FromAnsi(FormatTime(point.DateTime));
    for (int level = 0; level < Levels(analyte); ++level) {
        const TLevelResult& r = point.Levels[static_cast<std::size_t>(level)];
        line += QLatin1Char('\t');
        if (r.Status != qsNoValue) line += FromAnsi(FormatFixed(r.Value, 8, analyte.Decimals));
    }
    line += QLatin1Char('\t') + FromAnsi(point.Operator.str());
    line += QLatin1Char('\t') + (point.CommentId == -1 ? QString() : FromAnsi(analyte.CommentText(point.CommentId)));
    return line;
}

std::vector<int> DataLineTabStops(int levelCount) {
    std::vector<int> stops;
    for (int level = 0; level < std::clamp(levelCount, 1, MaxLevels); ++level) stops.push_back(135 + LevelColumnWidth * level);
    stops.push_back(stops.back() + LevelColumnWidth);
    stops.push_back(stops.back() + 40);
    return stops;
}

std::vector<int> DataLineTabStops(int levelCount, const QWidget* list) {
    std::vector<int> stops = DataLineTabStops(levelCount);
    for (int& stop : stops) stop = Scaled(list, stop);
    return stops;
}

// ---- Lines ----

void TDataLinesModel::Reset(const TAnalyte* analyte) {
    beginResetModel();
    analyte_ = analyte;
    points_.clear();
    if (analyte) {
        points_.reserve(static_cast<std::size_t>(analyte->Count()));
        for (int i = 0; i < analyte->Count(); ++i) points_.push_back(&analyte->Point(i));
    }
    endResetModel();
}

int TDataLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(points_.size());
}

// Lines are formatted when they are shown, so that a long series opens at once.
QVariant TDataLinesModel::data(const QModelIndex& index, int role) const {
    if (!analyte_ || !index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return DataLineText(*analyte_, *PointAt(index.row()));
    return {};
}

void TDataLinesModel::RemoveBlock(int first, int last) {
    beginRemoveRows(QModelIndex(), first, last);
    points_.erase(points_.begin() + first, points_.begin() + last + 1);
    endRemoveRows();
}

void TDataLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto* model = static_cast<const TDataLinesModel*>(index.model());
    if (!model->Analyte()) return;
    const TAnalyte& analyte = *model->Analyte();
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->fillRect(r, selected ? clNavy : AlternateLineColour(index.row()));
    painter->setPen(selected ? clWhite : clBlack);
    painter->setFont(option.font);
    const QStringList fields = index.data().toString().split(QLatin1Char('\t'));
    const std::vector<int> stops = DataLineTabStops(analyte.LevelCount, option.widget);
    for (qsizetype f = 0; f < fields.size(); ++f) {
        const int x = r.left() + (f == 0 ? 2 : stops[static_cast<std::size_t>(std::min<qsizetype>(f - 1, stops.size() - 1))]);
        const int width = f + 1 < fields.size() && static_cast<std::size_t>(f) < stops.size()
                              ? r.left() + stops[static_cast<std::size_t>(f)] - x - 2
                              : r.right() - x;
        painter->drawText(QRect(x, r.top() + 1, width, r.height() - 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          fields[f]);
    }
    const TQCPoint& point = *model->PointAt(index.row());
    for (int level = 0; level < Levels(analyte); ++level) {
        const QPixmap marker = StatusMarker(point.Levels[static_cast<std::size_t>(level)].Status);
        if (!marker.isNull())
            painter->drawPixmap(r.left() + Scaled(option.widget, 120 + LevelColumnWidth * level), r.top() + 2, marker);
    }
    painter->restore();
}

QSize TDataLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width(), std::max(option.fontMetrics.height() + 2, 16));
}

// ---- Dialog ----

TWinShowData::TWinShowData(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WinShowData"));
    setFixedSize(ClientWidth, ClientHeight);
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panel_->setGeometry(0, 0, ClientWidth, ListTop + ListHeight + 4);
    const char* headerTexts[] = {"Date - time", "QC1", "QC2", "QC3", "Operator", "Comment"};
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        headers_[i] = new QLabel(QString::fromLatin1(headerTexts[i]), panel_);
        headers_[i]->setObjectName(QStringLiteral("LblHeader%1").arg(i));
    }
    lb_ = new QListView(panel_);
    lb_->setObjectName(QStringLiteral("LB"));
    lb_->setAccessibleName(QStringLiteral("QC data"));
    lb_->setModel(&lines_);
    lb_->setItemDelegate(new TDataLineDelegate(lb_));
    lb_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lb_->setUniformItemSizes(true);
    lb_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lb_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(lb_, &QListView::doubleClicked, this, [this] { LineDoubleClicked(); });

    btDelete_ = AddButton(QStringLiteral("&Delete selection"), "BtDelete", {10, 378, 110, 25});
    btDeleteAll_ = AddButton(QStringLiteral("Delete &all"), "BtDeleteAll", {126, 378, 90, 25});
    btEdit_ = AddButton(QStringLiteral("&Edit line"), "BtEdit", {222, 378, 80, 25});
    btUndo_ = AddButton(QStringLiteral("&Undo"), "BtUndo", {308, 378, 75, 25});
    btCle_ = MakeKeyButton(this);
    btCle_->setGeometry(390, 376, 30, 29);
    btCle_->setAccessibleName(QStringLiteral("Password key"));
    btCle_->setToolTip(QStringLiteral("Unlock the editing buttons"));
    btPrint_ = AddButton(QStringLiteral("&Print"), "BtPrint", {10, 408, 75, 25});
    btPrint_->setToolTip(QStringLiteral("Printing control charts"));
    btOK_ = AddButton(QStringLiteral("OK"), "BtOK", {390, 408, 75, 25});
    btOK_->setDefault(true);
    btCancel_ = AddButton(QStringLiteral("Cancel"), "BtCancel", {475, 408, 75, 25});
    lock_ = new TKeyLock(btCle_, {btDelete_, btDeleteAll_, btUndo_, btEdit_});

    connect(btDelete_, &QPushButton::clicked, this, [this] { DeleteSelection(); });
    connect(btDeleteAll_, &QPushButton::clicked, this, [this] { DeleteAll(); });
    connect(btEdit_, &QPushButton::clicked, this, [this] { QMetaObject::invokeMethod(this, [this] { EditLine(); }, Qt::QueuedConnection); });
    connect(btUndo_, &QPushButton::clicked, this, [this] { Undo(); });
    connect(btPrint_, &QPushButton::clicked, this, [this] { QMetaObject::invokeMethod(this, [this] { PrintClick(); }, Qt::QueuedConnection); });
    connect(btOK_, &QPushButton::clicked, this, [this] { QMetaObject::invokeMethod(this, [this] { accept(); }, Qt::QueuedConnection); });
    connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
    // The Delete key works through its button, so the lock holds for it too.
    BindKeyToButton(QKeySequence::Delete, btDelete_, this);
    FitToFont(this);
}

TWinShowData::~TWinShowData() = default;

QPushButton* TWinShowData::AddButton(const QString& caption, const char* name, QRect geometry) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

int TWinShowData::Execute(TAnalyte& analyte, int selectedPoint) {
    Prepare(analyte, selectedPoint);
    return exec();
}

void TWinShowData::Prepare(TAnalyte& analyte, int selectedPoint) {
    analyte_ = &analyte;
    selectedPoint_ = selectedPoint;
    deleted_ = false;
    lock_->Activate();
    Activate();
}

void TWinShowData::Activate() {
    pending_.clear();
    handedBack_ = nullptr;
    ApplyLayout();
    lines_.Reset(analyte_);
    lb_->setFocus();
    if (selectedPoint_ >= 0 && selectedPoint_ < lines_.rowCount()) {
        const QModelIndex index = lines_.index(selectedPoint_);
        lb_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        lb_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
}

void TWinShowData::ApplyLayout() {
    const int levels = Levels(*analyte_);
    setWindowTitle(QStringLiteral("QC data for ") + FromAnsi(analyte_->Name.str()));
    const int width = Scaled(this, 325 + LevelColumnWidth * levels);
    const int left = (panel_->width() - width) / 2;
    lb_->setGeometry(left, Scaled(this, ListTop), width, Scaled(this, ListHeight));
    const int headerX[] = {10, 130, 190, 250, width - 200, width - 130};
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        headers_[i]->move(left + Scaled(this, headerX[i]), Scaled(this, 6));
        headers_[i]->adjustSize();
    }
    headers_[2]->setVisible(levels >= 2);
    headers_[3]->setVisible(levels >= 3);
}

int TWinShowData::SelectedRow() const {
    const QModelIndex current = lb_->currentIndex();
    if (current.isValid() && lb_->selectionModel()->isSelected(current)) return current.row();
    const QModelIndexList selected = lb_->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

// Rows are removed from the last to the first, each recorded at the position it had when it went,
// so that replaying the positions on the series removes the same runs.
void TWinShowData::RemoveRows(const std::vector<int>& rowsDescending) {
    std::size_t i = 0;
    while (i < rowsDescending.size()) {
        std::size_t j = i;
        while (j + 1 < rowsDescending.size() && rowsDescending[j + 1] == rowsDescending[j] - 1) ++j;
        for (std::size_t k = i; k <= j; ++k) pending_.push_back(rowsDescending[k]);
        lines_.RemoveBlock(rowsDescending[j], rowsDescending[i]);
        i = j + 1;
    }
    lb_->clearSelection();
}

void TWinShowData::DeleteSelection() {
    std::vector<int> rows;
    for (const QModelIndex& index : lb_->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.rbegin(), rows.rend());
    RemoveRows(rows);
}

void TWinShowData::DeleteAll() {
    std::vector<int> rows;
    for (int row = lines_.rowCount() - 1; row >= 0; --row) rows.push_back(row);
    RemoveRows(rows);
}

void TWinShowData::Undo() { Activate(); }

bool TWinShowData::CarryOutDeletions() {
    TAuditNotes notes;
    for (int position : pending_)
        if (position >= 0 && position < analyte_->Count())
            notes.push_back(AuditNote("run.deleted", AuditAnalyteName(*analyte_), 0, PointDetails(*analyte_, position)));
    // Without their audit lines the runs stay, and the operator is told why.
    bool done = pending_.empty();
    if (!done) RunCommand([&] {
        Laboratory().EditSeries(*analyte_, notes, [this] {
            for (int position : pending_)
                if (position >= 0 && position < analyte_->Count()) analyte_->DeletePoint(position);
        });
        done = true;
    });
    deleted_ = deleted_ || (done && !pending_.empty());
    pending_.clear();
    return done;
}

void TWinShowData::EditLine() {
    if (!analyte_) return;
    if (lines_.rowCount() == 0) {
        ShowError(QStringLiteral("Nothing to edit."));
        return;
    }
    const int row = SelectedRow();
    if (row < 0) {
        ShowError(QStringLiteral("Select the line to edit."));
        return;
    }
    QString question;
    if (!pending_.empty())
        question = QStringLiteral("Irreversible deletion of %1 lines.\r+ ").arg(pending_.size());
    // The whole date and time of the line, whatever the length of the locale's formats.
    question += QStringLiteral("Edit and validate again the control point on ") +
                lines_.index(row).data().toString().section(QLatin1Char('\t'), 0, 0);
    if (!Confirm(question)) return;
    const TQCPoint* point = lines_.PointAt(row);
    if (!CarryOutDeletions()) return;
    handedBack_ = point;
    QDialog::done(Accepted);
}

void TWinShowData::LineDoubleClicked() {
    if (!lock_->Unlock()) return;
    EditLine();
}

void TWinShowData::PrintClick() {
    if (!analyte_ || analyte_->Count() == 0) {
        ShowError(QStringLiteral("Nothing to print"));
        return;
    }
    if (!winPrnData_) winPrnData_ = new TWinPrnData(this);
    winPrnData_->Execute(*analyte_, Materials);
}

void TWinShowData::done(int result) {
    if (result == Accepted && !pending_.empty() &&
        Confirm(QStringLiteral("Irreversible deletion of %1 lines ?").arg(pending_.size())))
        CarryOutDeletions();
    // Closing in any way forgets what was not carried out.
    pending_.clear();
    QDialog::done(result == Accepted ? Accepted : Rejected);
}

} // namespace tervanix
