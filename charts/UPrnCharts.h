// The chart printing dialog: the date range, the levels, colour and statistics of the charts that
// charts/UPrnChartsPages.h prints.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "charts/UPrnChartsPages.h"
#include "charts/UPrnData.h"
#include "model/UTypes.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace tervanix {

class TAnalyte;
class TListSerum;

// The chart printing dialog, opened by the main window's "&Print charts".
class TWinPrnCharts : public QDialog {
    Q_OBJECT
public:
    explicit TWinPrnCharts(QWidget* parent = nullptr);

    // Fills the dialog for the analyte (FormActivate), then runs it modally.
    int Execute(const TAnalyte& analyte, const TListSerum& materials);
    void Prepare(const TAnalyte& analyte, const TListSerum& materials);
    void CountNbPoints();
    void BtPrintClick();

    QLabel* PanelNbPoints() const { return range_.CountPanel; }
    QDateEdit* DatePicker1() const { return range_.DatePicker1; }
    QDateEdit* DatePicker2() const { return range_.DatePicker2; }
    QCheckBox* LevelBox(int level) const { return levelBoxes_[static_cast<std::size_t>(level)]; }
    QCheckBox* CBColor() const { return cbColor_; }
    QCheckBox* CBStat() const { return cbStat_; }
    QPushButton* BtPrint() const { return btPrint_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }

private:
    void FormCreate();

    TDateRangeControls range_;
    std::array<QCheckBox*, MaxLevels> levelBoxes_{};
    QCheckBox* cbColor_ = nullptr;
    QCheckBox* cbStat_ = nullptr;
    QPushButton* btPrint_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    const TAnalyte* analyte_ = nullptr;
    const TListSerum* materials_ = nullptr;
};

} // namespace tervanix
