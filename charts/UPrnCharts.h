// Printing of the Levey-Jennings charts of an analyte for a date range, on portrait pages: a boxed
// title, then bands of at most 31 consecutive points, each band one chart per chosen level and the
// date labels, optionally the statistics of the printed range, and a footer on every page. The
// paper charts follow the screen charts (value mapping, value scale, line order, date labels) with
// paper geometry; in black and white the limit lines are dotted.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "charts/UPrintJob.h"
#include "charts/UPrnData.h"
#include "model/UTypes.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;

namespace tervanix {

class TAnalyte;
class TListSerum;

using TLevelChoice = std::array<bool, MaxLevels>;

struct TChartPrintOptions {
    TLevelChoice Levels{true, true, true}; // levels beyond the analyte's count are ignored
    bool Colour = false;
    bool Statistics = true;
};

// Geometry of the paper charts on a page of the given width, with the 8-point font's average
// character width w.
struct TPaperChartGeometry {
    int Left = 0;       // 10 w
    int Right = 0;      // 96 % of the page width
    int PlotHeight = 0; // Right / 5
    int ColumnX(int j) const { return Left + j * (Right - Left) / 30; }
};
TPaperChartGeometry PaperChartGeometry(int pageWidth, int charWidth);

// The bands of 31 points (the last one shorter) that cover the range; an empty range gives one
// empty band, so that its charts are printed without points.
std::vector<TPointRange> ChartBands(TPointRange range);

// Draws the whole printout; returns the number of pages.
int PrintCharts(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                const TChartPrintOptions& options);
// The print job "Printing QC charts", portrait; it refers to the analyte and the materials.
TPrintJob ChartsJob(const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                    const TChartPrintOptions& options);

// The statistics grid of the printed range: a heading row, then one row per chosen level.
std::vector<std::array<QString, 4>> ChartStatisticsRows(const TAnalyte& analyte, const TListSerum& materials,
                                                        TPointRange range, const TLevelChoice& levels);

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
