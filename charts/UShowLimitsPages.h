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

// The printed limits table, "QC limits for " + the analyte's name: the same texts, the labels of
// row 0 and column 0 on grey.
TPrintJob LimitsPrintJob(const TAnalyte& analyte, const TListSerum& materials);

} // namespace tervanix
