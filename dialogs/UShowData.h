// The data table of the current analyte: every stored run as one line, with deletion of lines
// (applied to the series only when the operator confirms OK), the choice of one run to be edited
// and validated again, and the printing of the table.
#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <QStyledItemDelegate>
#include <array>
#include <vector>

#include "model/UTypes.h"

class QLabel;
class QListView;
class QPushButton;

namespace tervanix {

class TAnalyte;
class TKeyLock;
class TWinPrnData;

// The text of a line: date and time (no time at midnight), the value of each level, operator and
// comment, separated by tabs.
QString DataLineText(const TAnalyte& analyte, const TQCPoint& point);
// Tab stops of the lines: one per level from 135 pixels, 60 apart, then the operator 60 after
// the last level and the comment 40 after that.
std::vector<int> DataLineTabStops(int levelCount);
// The same stops in the pixels of the list's font.
std::vector<int> DataLineTabStops(int levelCount, const QWidget* list);

// The lines of the table: the runs of the analyte still shown, in series order.
class TDataLinesModel : public QAbstractListModel {
public:
    void Reset(const TAnalyte* analyte);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const TQCPoint* PointAt(int row) const { return points_[static_cast<std::size_t>(row)]; }
    const TAnalyte* Analyte() const { return analyte_; }
    // Removes rows first..last (one block).
    void RemoveBlock(int first, int last);

private:
    const TAnalyte* analyte_ = nullptr;
    std::vector<const TQCPoint*> points_;
};

// Draws a line: navy when selected, light cyan on odd lines, the fields at their tab stops and
// the status marker of each level beside its value.
class TDataLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TWinShowData : public QDialog {
    Q_OBJECT
public:
    explicit TWinShowData(QWidget* parent = nullptr);
    ~TWinShowData() override;

    // Fills the table for the analyte (activation), selecting the line of `selectedPoint`, then
    // runs the dialog modally.
    int Execute(TAnalyte& analyte, int selectedPoint);
    void Prepare(TAnalyte& analyte, int selectedPoint);

    // The run chosen for re-editing, or null.
    const TQCPoint* HandedBackPoint() const { return handedBack_; }
    // Positions of the removed lines, in removal order.
    const std::vector<int>& PendingDeletions() const { return pending_; }
    // Runs were deleted from the series by the last OK or Edit line.
    bool SeriesChanged() const { return deleted_; }

    void DeleteSelection();
    void DeleteAll();
    void EditLine();
    void Undo();
    void PrintClick();
    void LineDoubleClicked();
    void done(int result) override;

    QListView* LB() const { return lb_; }
    QLabel* Header(int i) const { return headers_[static_cast<std::size_t>(i)]; }
    QPushButton* BtDelete() const { return btDelete_; }
    QPushButton* BtDeleteAll() const { return btDeleteAll_; }
    QPushButton* BtEdit() const { return btEdit_; }
    QPushButton* BtUndo() const { return btUndo_; }
    QPushButton* BtPrint() const { return btPrint_; }
    QPushButton* BtCle() const { return btCle_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }
    TDataLinesModel& Lines() { return lines_; }

private:
    void Activate();
    void ApplyLayout();
    void RemoveRows(const std::vector<int>& rowsDescending);
    // False when they could not be made (said already).
    bool CarryOutDeletions();
    int SelectedRow() const;
    QPushButton* AddButton(const QString& caption, const char* name, QRect geometry);

    TAnalyte* analyte_ = nullptr;
    TDataLinesModel lines_;
    int selectedPoint_ = -1;
    std::vector<int> pending_;
    const TQCPoint* handedBack_ = nullptr;
    bool deleted_ = false;
    TWinPrnData* winPrnData_ = nullptr;
    TKeyLock* lock_ = nullptr;

    QWidget* panel_;
    QListView* lb_;
    std::array<QLabel*, 6> headers_{};
    QPushButton* btDelete_;
    QPushButton* btDeleteAll_;
    QPushButton* btEdit_;
    QPushButton* btUndo_;
    QPushButton* btPrint_;
    QPushButton* btCle_;
    QPushButton* btOK_;
    QPushButton* btCancel_;
};

} // namespace tervanix
