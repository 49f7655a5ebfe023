// Printing of the stored runs of an analyte as a table: one row per run with date, time, the value
// of each level marked by its status, operator and comment, optionally followed by the statistics
// of the printed runs. The dialog TWinPrnData chooses the date range; tervanix-cli prints the same.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "charts/UPrintJob.h"
#include "charts/UPrnTable.h"
#include "model/UTypes.h"

namespace tervanix {

class TAnalyte;
class TListSerum;

// A run of consecutive stored points first..last; empty when last < first.
struct TPointRange {
    int First = 0;
    int Last = -1;
    int Count() const { return Last >= First ? Last - First + 1 : 0; }
};

// The points dated on the days d1 to d2 (times ignored, the two days exchanged when reversed):
// from the first point at or after d1 to the last point before the day after d2.
TPointRange PointsInDateRange(const TAnalyte& analyte, TDateTime d1, TDateTime d2);

// The table of the runs of `range`: one column per level between Time and Operator.
std::vector<int> DataTableWidths(int levelCount);
QStringList DataTableHeadingLines(const TAnalyte& analyte, const TListSerum& materials);
std::vector<TTableCell> DataTableCells(const TAnalyte& analyte, TPointRange range, bool withStatistics);

// Draws the table titled `title` (its footers carry the title too).
void PrintDataTable(TPrintPages& pages, const TAnalyte& analyte, const TListSerum& materials, TPointRange range,
                    const QString& title, bool withStatistics);
// The print job "Printing QC data" of the table titled "QC data for " + name, portrait. The job
// refers to the analyte and the materials: print it before they change.
TPrintJob DataTableJob(const TAnalyte& analyte, const TListSerum& materials, TPointRange range, bool withStatistics);

} // namespace tervanix
