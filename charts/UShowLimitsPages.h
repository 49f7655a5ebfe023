// The limits table of an analyte: one column per QC level with its material, lot, limits mode,
// target, warning and action limits, reference interval, number of points, reference CV and
// degrees of freedom, all from the limits in use. The limits view (charts/UShowLimits.h) shows and
// prints it; tervanix-cli prints it.
#pragma once

#include <QStringList>
#include <vector>

#include "charts/UPrintJob.h"

namespace tervanix {

class TAnalyte;
class TListSerum;

constexpr int LimitsTableRows = 10;

// The texts of the table, row by row: column 0 holds the row labels, column L + 1 level L; the
// materials and lots come from `materials`.
std::vector<QStringList> LimitsTableTexts(const TAnalyte& analyte, const TListSerum& materials);

// What the limits of the analyte rest on, for an auditor reading a printout: the risks of the
// settings, the limits mode of each level and the common CV method, e.g.
// "Risks: warning 5 %, action 0.2 % - QC1 Mobile limits, QC2 Fixed limits - Common CV method: not used".
QString LimitsBasisText(const TAnalyte& analyte);

// The printed limits table, "QC limits for " + the analyte's name: the same texts, the labels of
// row 0 and column 0 on grey, and under the title what the limits rest on.
TPrintJob LimitsPrintJob(const TAnalyte& analyte, const TListSerum& materials);

} // namespace tervanix
