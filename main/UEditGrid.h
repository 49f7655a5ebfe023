// The editable grid of the small settings dialogs: Enter in the grid (also while a cell is being
// edited) reaches the dialog's default button with the typed text already in its cell, and Escape
// closes the dialog even from inside a cell.
#pragma once

#include <QPointer>
#include <QTableWidget>
#include <functional>

namespace tervanix {

class TEditGrid : public QTableWidget {
public:
    TEditGrid(int rows, int columns, QWidget* parent);

    // The most characters a cell takes; 0 for no limit.
    void SetMaxLength(int length) { maxLength_ = length; }
    // Puts a cell edit in progress into its cell and closes the editor.
    void FinishEditing();
    // The trimmed text of a cell; empty for a cell without item.
    QString CellText(int row, int column) const;
    // A cell that cannot be edited (a heading, a row number), on the given background.
    void SetFixed(int row, int column, const QString& text, const QColor& background);

    std::function<void()> OnEscape;              // Escape, while editing too
    std::function<void(int row)> OnEditorOpened; // a cell editor has just opened on the row

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TEditGridDelegate;
    int maxLength_ = 0;
    QPointer<QWidget> editor_; // the cell editor last opened
};

} // namespace tervanix
