// The list boxes of the reference-data dialogs: lines of TAB-separated fields drawn at fixed tab
// stops, the selected line navy and every other line light cyan; lines can be dragged, with the
// program's own lot cursors, and dropped on a list that takes them.
#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>
#include <functional>
#include <vector>

namespace tervanix {

class TTabListDelegate : public QStyledItemDelegate {
public:
    // Tab stops in pixels from the line's left edge.
    TTabListDelegate(std::vector<int> tabStops, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Drawn over a line after its text (the mark of a pending lot change).
    std::function<void(QPainter&, const QRect&, const QModelIndex&)> OnDrawExtra;
    const std::vector<int>& TabStops() const { return tabStops_; }
    void SetTabStops(std::vector<int> tabStops) { tabStops_ = std::move(tabStops); }

private:
    std::vector<int> tabStops_;
};

class TTabList : public QListWidget {
    Q_OBJECT
public:
    TTabList(const char* name, const QString& accessibleName, std::vector<int> tabStops, QWidget* parent);
    TTabListDelegate* Delegate() const { return delegate_; }
    // The selected line, -1 for none. A list that gets the focus makes its first line current
    // without selecting it; only a selected line counts.
    int SelectedRow() const;
    QListWidgetItem* SelectedItem() const;

    // Lines may be dragged; the drag shows "CURSDRAGLOT" over a place that takes it and
    // "CURSNODROPLOT" elsewhere.
    void SetDragSource(bool on);
    // The list takes drops from any source; the handler gets the line under the pointer, or the
    // last line when the pointer is below the last one.
    void SetDropHandler(std::function<void(int targetRow)> handler);
    int DropRow(QPoint viewportPos) const;

signals:
    // A line was chosen: by the keyboard, or by a click — also a click on the line already
    // selected, so that every click loads its line into the fields again.
    void LineClicked();

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    TTabListDelegate* delegate_;
    std::function<void(int)> dropHandler_;
};

// Starts a drag of a line with the lot cursors; returns when it is dropped or abandoned.
void StartLotDrag(QWidget* source, const QString& text);

// Inserts a line where a case-insensitive order of the texts puts it (after equal texts) and
// returns its row: the list boxes that keep themselves sorted.
int InsertSorted(QListWidget* list, QListWidgetItem* item);

// The data role holding a line's object (an analyte's address, a material's id).
constexpr int LineObjectRole = Qt::UserRole;

} // namespace tervanix
