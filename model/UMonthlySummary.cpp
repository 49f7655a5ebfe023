#include "model/UMonthlySummary.h"

#include <cmath>

#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/ULevelSums.h"
#include "model/USeriesQueries.h"

namespace tervanix {

TDateTime TMonth::First() const { return EncodeDate(Year, Month, 1); }
TDateTime TMonth::End() const { return First() + DaysInMonth(Year, Month); }

namespace {

TMonthLevelSummary SummariseLevel(const TAnalyte& analyte, int level, TPointRange range, const TAnalyteGoals* goals) {
    TLevelSums sums;
    TMonthLevelSummary s;
    s.Analyte = &analyte;
    s.Level = level;
    for (int i = range.First; i <= range.Last; ++i) {
        const TLevelResult& r = analyte.Point(i).Levels[static_cast<std::size_t>(level)];
        sums.Add(r);
        s.Alerts += r.Status == qsHighAlert || r.Status == qsLowAlert;
        s.Actions += r.Status == qsHighAction || r.Status == qsLowAction;
    }
    s.N = sums.N;
    s.Discarded = sums.Discarded;
    if (sums.N >= 1) s.Mean = sums.Mean();
    if (sums.N >= 2) s.SD = sums.SD();
    if (s.SD && std::isfinite(*s.SD) && std::fabs(*s.Mean) >= 1e-10L) s.CV = *s.SD * 100 / std::fabs(*s.Mean);
    const auto asDouble = [](const std::optional<long double>& v) {
        return v && std::isfinite(*v) ? std::optional<double>(static_cast<double>(*v)) : std::nullopt;
    };
    s.Sigma = SigmaAgainstGoals(asDouble(s.Mean), asDouble(s.CV), goals, level);
    return s;
}

} // namespace

std::vector<TMonthLevelSummary> MonthlySummary(const TListAnalytes& analytes, TMonth month, const TQualityGoals& goals) {
    std::vector<TMonthLevelSummary> lines;
    for (int a = 0; a < analytes.Count(); ++a) {
        const TAnalyte& analyte = analytes[a];
        const TPointRange range = PointsInDateRange(analyte, month.First(), month.End() - 1);
        if (range.Count() == 0) continue;
        const TAnalyteGoals* analyteGoals = goals.Find(analyte.Name.view());
        for (int level = 0; level < analyte.LevelCount && level < MaxLevels; ++level) {
            TMonthLevelSummary line = SummariseLevel(analyte, level, range, analyteGoals);
            if (line.N + line.Discarded > 0) lines.push_back(std::move(line));
        }
    }
    return lines;
}

} // namespace tervanix
