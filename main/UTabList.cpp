#include "main/UTabList.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>

#include "main/UColors.h"
#include "main/UResources.h"

namespace tervanix {
namespace {

constexpr int LineHeight = 16;
constexpr int TextLeft = 2;

} // namespace

TTabListDelegate::TTabListDelegate(std::vector<int> tabStops, QObject* parent)
    : QStyledItemDelegate(parent), tabStops_(std::move(tabStops)) {}

QSize TTabListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), std::max(LineHeight, option.fontMetrics.height() + 2));
}

void TTabListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor& background = selected ? clNavy : AlternateLineColour(index.row());
    painter->save();
    painter->fillRect(r, background);
    // The lines' own backgrounds are light: black text, whatever the desktop's palette.
    painter->setPen(selected ? clWhite : QColor(Qt::black));
    painter->setFont(option.font);
    const QFontMetrics metrics(option.font);
    const QStringList fields = index.data(Qt::DisplayRole).toString().split(QLatin1Char('\t'));
    int x = TextLeft;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            // The next stop to the right of the text so far, as a tabbed text is laid out.
            int next = x + metrics.averageCharWidth();
            for (int stop : tabStops_)
                if (stop > x) {
                    next = stop;
                    break;
                }
            x = next;
        }
        painter->drawText(r.left() + x, r.top() + 1 + metrics.ascent(), fields[i]);
        x += metrics.horizontalAdvance(fields[i]);
    }
    if (OnDrawExtra) OnDrawExtra(*painter, r, index);
    painter->restore();
}

TTabList::TTabList(const char* name, const QString& accessibleName, std::vector<int> tabStops, QWidget* parent)
    : QListWidget(parent), delegate_(new TTabListDelegate(std::move(tabStops), this)) {
    setObjectName(QString::fromLatin1(name));
    setAccessibleName(accessibleName);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // lines are drawn at fixed tab stops
    connect(this, &QListWidget::itemSelectionChanged, this, &TTabList::LineClicked);
    connect(this, &QListWidget::itemClicked, this, &TTabList::LineClicked);
}

int TTabList::SelectedRow() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? currentRow() : -1;
}

QListWidgetItem* TTabList::SelectedItem() const { return SelectedRow() >= 0 ? currentItem() : nullptr; }

void TTabList::SetDragSource(bool on) {
    setDragEnabled(on);
    setDragDropMode(on ? (dropHandler_ ? QAbstractItemView::DragDrop : QAbstractItemView::DragOnly)
                       : (dropHandler_ ? QAbstractItemView::DropOnly : QAbstractItemView::NoDragDrop));
}

void TTabList::SetDropHandler(std::function<void(int targetRow)> handler) {
    dropHandler_ = std::move(handler);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    SetDragSource(dragEnabled());
}

int TTabList::DropRow(QPoint viewportPos) const {
    const int row = indexAt(viewportPos).row();
    return row >= 0 ? row : count() - 1;
}

void TTabList::startDrag(Qt::DropActions) {
    if (QListWidgetItem* item = SelectedItem()) StartLotDrag(this, item->text());
}

void TTabList::dragEnterEvent(QDragEnterEvent* event) {
    if (!dropHandler_) return QListWidget::dragEnterEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TTabList::dragMoveEvent(QDragMoveEvent* event) {
    if (!dropHandler_) return QListWidget::dragMoveEvent(event);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TTabList::dropEvent(QDropEvent* event) {
    if (!dropHandler_) return QListWidget::dropEvent(event);
    // A copy action: the view must not remove the dragged line itself, the handler moves it.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropHandler_(DropRow(event->position().toPoint()));
}

void StartLotDrag(QWidget* source, const QString& text) {
    auto* drag = new QDrag(source);
    auto* mime = new QMimeData;
    mime->setText(text);
    drag->setMimeData(mime);
    const QPixmap dragging = ResourceCursor(QStringLiteral("CURSDRAGLOT")).pixmap();
    drag->setDragCursor(dragging, Qt::CopyAction);
    drag->setDragCursor(dragging, Qt::MoveAction);
    drag->setDragCursor(ResourceCursor(QStringLiteral("CURSNODROPLOT")).pixmap(), Qt::IgnoreAction);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

int InsertSorted(QListWidget* list, QListWidgetItem* item) {
    int row = list->count();
    for (int i = 0; i < list->count(); ++i)
        if (QString::compare(list->item(i)->text(), item->text(), Qt::CaseInsensitive) > 0) {
            row = i;
            break;
        }
    list->insertItem(row, item);
    return row;
}

} // namespace tervanix
