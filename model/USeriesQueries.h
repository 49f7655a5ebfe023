// Queries over the stored series that the windows, the printouts and tervanix-cli share: the
// points of a date range and the runs of one day. They only read the model.
#pragma once

#include <string>
#include <vector>

#include "model/UTypes.h"

namespace tervanix {

class TAnalyte;
class TListAnalytes;
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

// One run of the day and the analyte it belongs to.
struct TDayRun {
    const TAnalyte* Analyte = nullptr;
    const TQCPoint* Point = nullptr;
};

// The runs dated on the day that starts at `day` (00:00), in the order of the analyte list and,
// within an analyte, newest first.
std::vector<TDayRun> CollectDayRuns(const TListAnalytes& analytes, TDateTime day);

// The text a level's control material is shown by: its name, and its lot in brackets when another
// level of the analyte has another material of the same name (two lots of one material), so that
// the levels can be told apart.
std::string LevelMaterialText(const TAnalyte& analyte, const TListSerum& materials, int level);

} // namespace tervanix
