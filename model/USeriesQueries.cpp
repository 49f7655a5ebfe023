#include "model/USeriesQueries.h"

#include <utility>

#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/ULists.h"

namespace tervanix {
namespace {

// The first point dated at or after dt (points are in date order).
int FirstAtOrAfter(const TAnalyte& analyte, TDateTime dt) {
    int low = 0, high = analyte.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (analyte.Point(middle).DateTime < dt) low = middle + 1;
        else high = middle;
    }
    return low;
}

} // namespace

TPointRange PointsInDateRange(const TAnalyte& analyte, TDateTime d1, TDateTime d2) {
    double day1 = static_cast<double>(DayNumber(d1));
    double day2 = static_cast<double>(DayNumber(d2));
    if (day1 > day2) std::swap(day1, day2);
    return {FirstAtOrAfter(analyte, day1), FirstAtOrAfter(analyte, day2 + 1) - 1};
}

std::vector<TDayRun> CollectDayRuns(const TListAnalytes& analytes, TDateTime day) {
    std::vector<TDayRun> runs;
    for (int a = 0; a < analytes.Count(); ++a) {
        const TAnalyte& analyte = analytes[a];
        // The series is in date order: walk back from the newest run past the later days, then
        // take the day's runs until an earlier one.
        int i = analyte.Count() - 1;
        while (i >= 0 && analyte.Point(i).DateTime >= day + 1) --i;
        for (; i >= 0 && analyte.Point(i).DateTime >= day; --i) runs.push_back({&analyte, &analyte.Point(i)});
    }
    return runs;
}

std::string LevelMaterialText(const TAnalyte& analyte, const TListSerum& materials, int level) {
    const auto materialOf = [&](int l) -> const TMaterial& {
        return materials.FindById(analyte.MaterialId[static_cast<std::size_t>(l)]);
    };
    const TMaterial& shown = materialOf(level);
    for (int other = 0; other < analyte.LevelCount && other < MaxLevels; ++other)
        if (materialOf(other).Id != shown.Id && materialOf(other).Name.str() == shown.Name.str())
            return shown.Name.str() + " (" + shown.Lot.str() + ")";
    return shown.Name.str();
}

} // namespace tervanix
