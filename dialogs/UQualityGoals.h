// Parameters > Quality goals: per analyte and level the material and lot, the allowable total error
// (TEa, per analyte) and the target of the level's material as typed here, and from the limits in
// use the mean, CV, bias, Sigma and the Westgard Sigma rules it advises, on the colour of its band.
// The window works on a copy of the goals: OK has the laboratory write them, Cancel leaves them.
#pragma once

#include <QDialog>
#include <vector>

#include "charts/UPrintService.h"
#include "charts/UQualityPages.h"
#include "model/UQualityGoals.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tervanix {

class TWinQualityGoals : public QDialog {
    Q_OBJECT
public:
    explicit TWinQualityGoals(QWidget* parent = nullptr);

    // Fills the grid from the analytes and the laboratory's goals (before the modal loop).
    void Prepare();
    // Reads every TEa and target through the number readers (a refusal stops here) and has the
    // laboratory write them; the window closes when they are on disk.
    void BtOKClick();
    // Prints the table as shown, the goals as typed.
    TPrintOutcome BtPrnClick();

    QTableWidget* Grid() const { return grid_; }
    // The edits of a grid line: the TEa (only on the first level of an analyte) and the target.
    QLineEdit* TeaEdit(int row) const;
    QLineEdit* TargetEdit(int row) const;
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtCancel() const { return btCancel_; }
    QPushButton* BtPrn() const { return btPrn_; }

private:
    // The goals as typed, without a word to the operator: what cannot be read counts as none.
    TQualityGoals TypedGoals() const;
    TAnalyteGoals TypedGoalsOf(int firstRow) const;
    void AddEdits(int row, bool firstLevel);
    void WidenToColumns();
    void FitFigureColumns();
    void RefreshAnalyte(int row);
    void ShowLine(int row, const TSigmaLine& line);
    int FirstRowOf(int row) const;

    std::vector<TSigmaLine> lines_;
    QTableWidget* grid_;
    QPushButton* btOK_;
    QPushButton* btCancel_;
    QPushButton* btPrn_;
};

} // namespace tervanix
