// Simulated QC runs for the current analyte, for training and for trying rules and limits: per
// level a target mean and CV, one run a day from a first date, into the series or into the queue.
#pragma once

#include <QDialog>

#include "model/UAnalyte.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace tervanix {

class TEditGrid;

class TWinRandom : public QDialog {
    Q_OBJECT
public:
    explicit TWinRandom(QWidget* parent = nullptr);

    // Runs the dialog modally on the analyte; true on OK, when the runs have been generated.
    bool Execute(TAnalyte& analyte);
    // After OK: the runs went to the queue (else into the series, LastAdded the last stored run).
    bool ToQueue() const;
    int LastAdded() const { return lastAdded_; }

    QLineEdit* EditNumber() const { return editNumber_; }
    QDateEdit* DatePicker() const { return datePicker_; }
    QTimeEdit* TimePicker() const { return timePicker_; }
    TEditGrid* Grille() const { return grille_; }
    QRadioButton* RBCharts() const { return rbCharts_; }
    QRadioButton* RBFifo() const { return rbFifo_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }

private:
    void PrepareGrid();
    QString MaterialName(int level) const;
    TLevelResult ReadCell(int row, int column);
    void ReadGrid(TLevelTriple& means, TLevelTriple& cvs);
    void RefuseUnstorableSpread(const TLevelTriple& means, const TLevelTriple& cvs);
    TDateTime Start() const;
    void BtOKClick();
    bool Generate(int count, const TLevelTriple& means, const TLevelTriple& cvs);

    TAnalyte* analyte_ = nullptr;
    int lastAdded_ = -1;
    QLineEdit* editNumber_ = nullptr;
    QDateEdit* datePicker_ = nullptr;
    QTimeEdit* timePicker_ = nullptr;
    TEditGrid* grille_ = nullptr;
    QRadioButton* rbCharts_ = nullptr;
    QRadioButton* rbFifo_ = nullptr;
    QPushButton* btOK_ = nullptr;
    QPushButton* btCancel_ = nullptr;
};

} // namespace tervanix
