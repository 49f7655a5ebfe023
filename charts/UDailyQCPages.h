// The texts of the runs of one day and the cumulative daily QC sheet that prints them, kept as an
// archive document. The daily summary (charts/UDailyQC.h) shows and prints them; tervanix-cli
// prints the sheet. The runs of a day come from CollectDayRuns (model/USeriesQueries.h).
#pragma once

#include <QString>
#include <vector>

#include "charts/UPrintJob.h"
#include "model/USeriesQueries.h"
#include "model/UTypes.h"

namespace tervanix {

// The list line of a run: analyte, time, three values, operator, comment, TAB-separated.
QString DayRunText(const TDayRun& run);

// The text of a level's value: the analyte's decimals; empty without a value or beyond the levels.
QString DayRunValue(const TDayRun& run, int level);

// The cumulative daily QC sheet of the runs of a day, marked as an archive document: one row per
// run, each value in the cell style of its status.
TPrintJob DailyPrintJob(const std::vector<TDayRun>& runs, TDateTime day);

} // namespace tervanix
