// The monthly QC summary a laboratory files: for one calendar month (by the run's local date), per
// analyte and level with runs in it, the number of results, their mean, SD and CV, the alerts,
// actions and discarded results, and the month's Sigma against the quality goals. It only reads
// the model; the statistics follow the rule and precision of the series statistics.
#pragma once

#include <optional>
#include <vector>

#include "model/USigma.h"
#include "model/UTypes.h"

namespace tervanix {

class TAnalyte;
class TListAnalytes;

struct TMonthLevelSummary {
    const TAnalyte* Analyte = nullptr;
    int Level = 0;
    int N = 0;          // results counted (status 0 to 4)
    int Alerts = 0;     // status 1 or 3
    int Actions = 0;    // status 2 or 4
    int Discarded = 0;  // status 5, not counted in N
    std::optional<long double> Mean; // from one result
    std::optional<long double> SD;   // sample SD (n - 1), from two results
    std::optional<long double> CV;   // in %, when the SD is known and the mean is not 0
    TLevelSigma Sigma;  // the month's CV and mean against the goals
};

// The month's first day and the first day of the next month, at local midnight.
struct TMonth {
    int Year = 2000, Month = 1;
    TDateTime First() const;
    TDateTime End() const;
};

// In the order of the analyte list, then of the levels; levels without a run in the month are left out.
std::vector<TMonthLevelSummary> MonthlySummary(const TListAnalytes& analytes, TMonth month, const TQualityGoals& goals);

} // namespace tervanix
