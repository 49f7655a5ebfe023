#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/UAnalyte.h"
#include "model/USeriesQueries.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using tervanix::test::MakeRun;

namespace {

constexpr double Day = 46000; // a day number at 00:00

// Runs at the given times (day numbers with their fraction), in date order.
std::unique_ptr<TAnalyte> SeriesAt(const char* name, std::initializer_list<double> times) {
    auto a = std::make_unique<TAnalyte>(name, "mmol/L", 1, 1, false);
    for (double t : times) {
        TResu run = MakeRun(0, {1.0f});
        run.DateTime = t;
        a->AddPoint(run);
    }
    return a;
}

} // namespace

// Whole days, in either order; the times of the bounds do not count.
TEST(SeriesQueries, PointsInDateRangeTakesWholeDays) {
    const auto a = SeriesAt("Urea", {Day + 0.25, Day + 0.75, Day + 3.5});
    const auto range = [&](double d1, double d2) {
        const TPointRange r = PointsInDateRange(*a, d1, d2);
        return std::make_pair(r.First, r.Last);
    };
    EXPECT_EQ(range(Day, Day), std::make_pair(0, 1));
    EXPECT_EQ(range(Day + 3, Day), std::make_pair(0, 2));
    EXPECT_EQ(range(Day + 0.9, Day + 3.1), std::make_pair(0, 2));
    EXPECT_EQ(range(Day + 1, Day + 2), std::make_pair(2, 1));
    EXPECT_EQ(PointsInDateRange(*a, Day + 1, Day + 2).Count(), 0);
}

// The day's runs analyte after analyte, newest first; the runs just before and after stay out.
TEST(SeriesQueries, CollectDayRunsWalksTheDayNewestFirst) {
    TListAnalytes analytes;
    TAnalyte& glucose = analytes.Add(SeriesAt("Glucose", {Day - 0.01, Day, Day + 0.5, Day + 0.99, Day + 1}));
    TAnalyte& urea = analytes.Add(SeriesAt("Urea", {Day + 0.25}));
    analytes.Add(SeriesAt("Albumin", {Day + 2}));
    const std::vector<TDayRun> runs = CollectDayRuns(analytes, Day);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].Analyte, &glucose);
    EXPECT_EQ(runs[0].Point, &glucose.Point(3));
    EXPECT_EQ(runs[1].Point, &glucose.Point(2));
    EXPECT_EQ(runs[2].Point, &glucose.Point(1));
    EXPECT_EQ(runs[3].Analyte, &urea);
    EXPECT_TRUE(CollectDayRuns(analytes, Day + 5).empty());
}
