// Printing of the stored runs of an analyte as a table: one row per run with date, time, the value
// of each level marked by its status, operator and comment, optionally followed by the statistics
// of the printed runs. The dialog TWinPrnData (charts/UPrnData.h) prints it for the date range it
// chooses; tervanix-cli prints the same.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "charts/UPrintJob.h"
#include "charts/UPrnTable.h"
#include "model/USeriesQueries.h"

namespace tervanix {

class TAnalyte;
class TListSerum;

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
