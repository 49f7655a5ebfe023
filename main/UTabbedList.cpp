#include "main/UTabbedList.h"

#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>

#include "main/UColors.h"

namespace tervanix {
namespace {

constexpr int TextLeft = 2;

} // namespace

class TTabbedLineDelegate : public QStyledItemDelegate {
public:
    TTabbedLineDelegate(QObject* parent, const std::vector<int>& stops, const QColor& selected)
        : QStyledItemDelegate(parent), selected_(selected) {
        SetTabStops(stops);
        option_.setWrapMode(QTextOption::NoWrap);
    }

    void SetTabStops(const std::vector<int>& stops) {
        QList<qreal> tabs;
        for (int stop : stops) tabs << stop;
        option_.setTabArray(tabs);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->save();
        painter->fillRect(option.rect, selected ? selected_ : AlternateLineColour(index.row()));
        painter->setPen(selected ? Qt::white : Qt::black);
        painter->setFont(option.font);
        const QRectF text = QRectF(option.rect).adjusted(TextLeft, 1, 0, 0);
        painter->drawText(text, index.data(Qt::DisplayRole).toString(), option_);
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            painter->setPen(QPen(selected ? Qt::white : Qt::black, 1, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

private:
    QColor selected_;
    QTextOption option_;
};

TTabbedList::TTabbedList(QWidget* parent, std::vector<int> tabStops, const QColor& selectedBackground)
    : QListWidget(parent), tabStops_(std::move(tabStops)),
      delegate_(new TTabbedLineDelegate(this, tabStops_, selectedBackground)) {
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    // The fields stand at fixed stops: a line never needs scrolling sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TTabbedList::SetTabStops(std::vector<int> tabStops) {
    tabStops_ = std::move(tabStops);
    delegate_->SetTabStops(tabStops_);
    viewport()->update();
}

void AddTabHeadings(QWidget* parent, const QRect& listGeometry, const TTabbedList& list, const QStringList& headings) {
    // The list's frame and the text margin come before the first character.
    // A heading wider than its column pushes the next one right rather than being cut.
    const int x0 = listGeometry.left() + list.frameWidth() + TextLeft;
    int nextFree = x0;
    for (int i = 0; i < headings.size(); ++i) {
        const int stop = x0 + (i == 0 ? 0 : list.TabStops()[static_cast<std::size_t>(i - 1)]);
        auto* heading = new QLabel(headings[i], parent);
        const int left = std::max(stop, nextFree);
        const int width = heading->fontMetrics().horizontalAdvance(headings[i]) + 2;
        heading->setGeometry(left, listGeometry.top() - 16, width, 14);
        nextFree = left + width + 4;
    }
}

} // namespace tervanix
