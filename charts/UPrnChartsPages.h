// Printing of the Levey-Jennings charts of an analyte for a date range, on portrait pages: a boxed
// title, then bands of at most 31 consecutive points, each band one chart per chosen level and the
// date labels, optionally the statistics of the printed range, and a footer on every page. The
// paper charts follow the screen charts (value mapping, value scale, line order, date labels) with
// paper geometry; in black and white the limit lines are dotted.
// The dialog TWinPrnCharts (charts/UPrnCharts.h) and tervanix-cli print it.
#pragma once

#include <QString>
#include <array>
#include <vector>

#include "charts/UPrintJob.h"
#include "model/USeriesQueries.h"
#include "model/UTypes.h"

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

} // namespace tervanix
