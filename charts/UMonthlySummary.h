// File > Monthly summary: the month chosen (by the run's local date), per analyte and level with
// runs in it, the material and lot assigned now, N, mean, SD, CV, the alerts, actions and discarded
// results and the month's Sigma; printed as the record a laboratory files. It only reads the model.
#pragma once

#include <QDialog>
#include <vector>

#include "charts/UPrintService.h"
#include "model/UMonthlySummary.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tervanix {

class TWinMonthlySummary : public QDialog {
    Q_OBJECT
public:
    explicit TWinMonthlySummary(QWidget* parent = nullptr);

    // The month of today, and its summary (before the modal loop).
    void Prepare();
    TMonth Month() const;
    void SetMonth(TMonth month);
    // Rebuilds the preview for the month chosen.
    void FillPreview();
    // Prints the month; with nothing to print, says so. A cancelled or failed print leaves the window open.
    TPrintOutcome BtPrnClick();

    const std::vector<TMonthLevelSummary>& Lines() const { return lines_; }
    QComboBox* CBMonth() const { return cbMonth_; }
    QSpinBox* SEYear() const { return seYear_; }
    QTableWidget* Grid() const { return grid_; }
    QPushButton* BtOK() const { return btOK_; }
    QPushButton* BtPrn() const { return btPrn_; }

private:
    std::vector<TMonthLevelSummary> lines_;
    QComboBox* cbMonth_;
    QSpinBox* seYear_;
    QLabel* lblEmpty_;
    QTableWidget* grid_;
    QPushButton* btOK_;
    QPushButton* btPrn_;
};

} // namespace tervanix
