#include "main/UEditGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace tervanix {

class TEditGridDelegate : public QStyledItemDelegate {
public:
    explicit TEditGridDelegate(TEditGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor); line && grid_->maxLength_ > 0)
            line->setMaxLength(grid_->maxLength_);
        editor->installEventFilter(grid_);
        grid_->editor_ = editor;
        if (grid_->OnEditorOpened) grid_->OnEditorOpened(index.row());
        return editor;
    }

    // Enter in a cell goes on to the dialog's default button, whose command finishes the edit
    // before it reads the grid. Qt's own handling would commit the cell a second time afterwards,
    // from a queued call, when the editor is already gone.
    bool eventFilter(QObject* editor, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) return false;
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    TEditGrid* grid_;
};

TEditGrid::TEditGrid(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
    setItemDelegate(new TEditGridDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
}

void TEditGrid::FinishEditing() {
    if (state() != QAbstractItemView::EditingState || !editor_) return;
    QWidget* editor = editor_;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QString TEditGrid::CellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text().trimmed() : QString();
}

void TEditGrid::SetFixed(int row, int column, const QString& text, const QColor& background) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled);
    cell->setBackground(background);
    setItem(row, column, cell);
}

bool TEditGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && OnEscape) {
        OnEscape();
        return true;
    }
    return QTableWidget::eventFilter(watched, event);
}

void TEditGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && OnEscape) {
        OnEscape();
        return;
    }
    // Enter, also from a cell editor, goes on to the dialog's default button, which finishes the
    // edit before it reads the grid.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace tervanix
