// The list of operator codes offered at the entry of a run. A listed code whose cell is emptied is
// deleted only after a confirmation; codes may repeat.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tervanix {

class TEditGrid;

class TWinEmployees : public QDialog {
    Q_OBJECT
public:
    static constexpr int CodeLength = 4;

    explicit TWinEmployees(QWidget* parent = nullptr);

    // Runs the dialog modally on Operators; true on OK, when Operators has been replaced.
    bool Execute();

    TEditGrid* Grid() const { return grid_; }
    QLabel* LblNbChar() const { return lblNbChar_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }
    QPushButton* BtUndo() const { return btUndo_; }

private:
    void FillGrid();
    void NumberRow(int row);
    void BtOKClick();

    TEditGrid* grid_ = nullptr;
    QLabel* lblNbChar_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btCancel_ = nullptr;
    QPushButton* btUndo_ = nullptr;
};

// The "&Operators" command: on OK the settings file, which holds the operators, is written at once.
bool EditOperators(TWinEmployees& window);

} // namespace tervanix
