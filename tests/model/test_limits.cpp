#include <gtest/gtest.h>

#include <cmath>

#include "model/UAnalyte.h"
#include "model/UGlobals.h"
#include "model/UStudent.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using tervanix::test::AddSeries;
using tervanix::test::MakeRun;

namespace {
double D(long double v) { return static_cast<double>(v); }
} // namespace

TEST(StudentFactor, TableAndInterpolation) {
    EXPECT_EQ(StudentFactor(0, 1), 12.706L);
    EXPECT_EQ(StudentFactor(4, 2), 22.326L);
    EXPECT_EQ(StudentFactor(2, 29), 2.7564L);
    EXPECT_EQ(StudentFactor(0, 30), 2.0423L); // df 30 uses its own column
    EXPECT_NEAR(D(StudentFactor(0, 34)), 2.03382, 1e-12);
    EXPECT_NEAR(D(StudentFactor(0, 50)), 2.0211 - (2.0211 - 2.0003) / 2, 1e-12);
    EXPECT_NEAR(D(StudentFactor(4, 90)), 3.232 - (3.232 - 3.16) / 2, 1e-12);
    EXPECT_EQ(StudentFactor(1, 120), 2.358L);
    EXPECT_NEAR(D(StudentFactor(0, 240)), 1.96995, 1e-12);
    EXPECT_NEAR(D(StudentFactor(3, 1000000)), 2.807, 1e-5); // tends to the normal factor
}

TEST(Statistics, EmptyAndSingleValueLevels) {
    TAnalyte a("G", "u", 1, 1, false);
    EXPECT_EQ(a.Current[0].Status, qsNoValue);
    AddSeries(a, {4.0f});
    a.RecomputeAll();
    const TLevelStats& s = a.Current[0];
    EXPECT_EQ(s.Status, qsNoValue);
    EXPECT_EQ(s.N, 1);
    EXPECT_EQ(D(s.Mean), 4.0);
    EXPECT_EQ(D(s.ChartLow), 0.0);
    EXPECT_EQ(D(s.ChartHigh), 8.0);
    EXPECT_EQ(D(s.AlertHalfWidth), 2.0);
    EXPECT_NEAR(D(s.ActionHalfWidth), 3.2, 1e-15);
    // No limits yet under mobile limits: a new run is in control however far it lies.
    TQCPoint p = a.Point(0);
    p.Levels[0].Value = 100;
    a.ClassifyPoint(p);
    EXPECT_EQ(p.Levels[0].Status, qsInControl);
}

TEST(Statistics, EqualNegativeValuesGiveAScaleDownToTwiceTheMean) {
    TAnalyte a("BE", "mmol/L", 1, 1, false);
    AddSeries(a, {-4.0f, -4.0f});
    a.RecomputeAll();
    const TLevelStats& s = a.AllPoints[0];
    EXPECT_EQ(s.Status, qsNoValue);
    EXPECT_EQ(s.DegreesOfFreedom, 0);
    EXPECT_EQ(D(s.ChartLow), -8.0);
    EXPECT_EQ(D(s.ChartHigh), 0.0);
    EXPECT_EQ(D(s.AlertHalfWidth), 2.0);
    EXPECT_NEAR(D(s.ActionHalfWidth), 3.2, 1e-15);
}

TEST(Statistics, AllZeroValuesGiveTheNeutralScale) {
    TAnalyte a("G", "u", 1, 1, false);
    AddSeries(a, {0.0f, 0.0f, 0.0f});
    a.RecomputeAll();
    const TLevelStats& s = a.AllPoints[0];
    EXPECT_EQ(s.Status, qsNoValue);
    EXPECT_EQ(D(s.ChartLow), -1.0);
    EXPECT_EQ(D(s.ChartHigh), 1.0);
    EXPECT_EQ(D(s.AlertHalfWidth), 0.5);
    EXPECT_NEAR(D(s.ActionHalfWidth), 0.8, 1e-15);
    EXPECT_EQ(s.N, 3);
}

TEST(Statistics, OneTwoThreeWithDefaultRisks) {
    Settings = TSettings{};
    TAnalyte a("G", "u", 1, 1, false);
    AddSeries(a, {1.0f, 2.0f, 3.0f});
    a.RecomputeAll();
    const TLevelStats& s = a.Current[0];
    EXPECT_EQ(s.Status, 0);
    EXPECT_EQ(s.DegreesOfFreedom, 2);
    EXPECT_EQ(D(s.Mean), 2.0);
    EXPECT_NEAR(D(s.AlertHalfWidth), 4.3027, 1e-15);
    EXPECT_NEAR(D(s.ActionHalfWidth), 22.326, 1e-14);
    EXPECT_NEAR(s.CV, 50.0f, 1e-5);
    // The mobile chart range is widened to the action limits.
    EXPECT_NEAR(D(s.ChartHigh), 24.326, 1e-14);
    EXPECT_NEAR(D(s.ChartLow), -20.326, 1e-14);
    EXPECT_EQ(D(a.AllPoints[0].ChartHigh), 3.0);
}

TEST(Statistics, MeanOfZeroWithSpreadHasNoCV) {
    TAnalyte a("G", "u", 1, 1, false);
    a.Current[0].CV = 12.5f;
    AddSeries(a, {-1.0f, 1.0f});
    a.RecomputeAll();
    EXPECT_EQ(a.Current[0].Status, qsNoValue);
    EXPECT_EQ(a.Current[0].DegreesOfFreedom, 1);
    EXPECT_NEAR(D(a.Current[0].AlertHalfWidth), 12.706 * std::sqrt(2.0), 1e-12);
}

TEST(Statistics, DiscardedAndEmptyValuesAreNotCounted) {
    TAnalyte a("G", "u", 1, 2, false);
    AddSeries(a, {1.0f, 2.0f, 3.0f});
    TResu discarded = MakeRun(10, {1000.0f});
    discarded.Levels[0].Status = qsDiscarded;
    a.AddPoint(discarded);
    a.AddPoint(MakeRun(11, {std::nullopt, 5.0f}));
    a.RecomputeAll();
    EXPECT_EQ(a.AllPoints[0].N, 3);
    EXPECT_EQ(a.AllPoints[0].DiscardedCount, 1);
    EXPECT_EQ(D(a.AllPoints[0].Mean), 2.0);
    EXPECT_EQ(D(a.AllPoints[0].Max), 3.0);
    EXPECT_EQ(a.AllPoints[1].N, 1);
}

TEST(Statistics, LevelsBeyondTheCountChangeNothing) {
    TAnalyte a("G", "u", 1, 1, false);
    a.AddPoint(MakeRun(1, {1.0f, 7.0f, 8.0f}));
    a.AddPoint(MakeRun(2, {3.0f, 9.0f, 10.0f}));
    const TLevelStats before = a.Current[1];
    a.RecomputeAll();
    a.ClassifyAll();
    EXPECT_EQ(a.Current[1].N, before.N);
    EXPECT_EQ(a.Point(0).Levels[1].Status, qsInControl); // as stored, not reclassified
    EXPECT_EQ(a.Point(0).Levels[1].Value, 7.0f);
}

// RecomputeAll walks the series once for every level; each level must get exactly what a walk
// of its own gives, to the last bit of the extended sums.
TEST(Statistics, OneWalkOverAllLevelsEqualsOneWalkPerLevel) {
    for (int levels = 1; levels <= MaxLevels; ++levels) {
        TAnalyte a("G", "u", 2, levels, false);
        for (int i = 0; i < 500; ++i) {
            TResu run = MakeRun(i, {0.1f * static_cast<float>(i % 37) + 3.3f, -1e-3f * static_cast<float>(i), 1e6f + static_cast<float>(i % 5)});
            if (i % 7 == 0) run.Levels[i % 3].Status = qsDiscarded;
            if (i % 11 == 0) run.Levels[(i + 1) % 3].Status = qsNoValue;
            a.AddPoint(run);
        }
        a.RecomputeAll();
        for (int level = 0; level < levels; ++level) {
            TLevelStats alone;
            a.ComputeStats(level, 0, a.Count() - 1, alone);
            const TLevelStats& all = a.AllPoints[level];
            for (auto field : {&TLevelStats::Mean, &TLevelStats::AlertHalfWidth, &TLevelStats::ActionHalfWidth,
                               &TLevelStats::Min, &TLevelStats::Max, &TLevelStats::ChartLow, &TLevelStats::ChartHigh})
                EXPECT_EQ(all.*field, alone.*field) << levels << " levels, level " << level;
            EXPECT_EQ(all.N, alone.N);
            EXPECT_EQ(all.DiscardedCount, alone.DiscardedCount);
            EXPECT_EQ(all.CV, alone.CV);
        }
    }
}

TEST(Limits, LockedLimitsComeFromTheIntervalAndFollowInsertions) {
    TAnalyte a("G", "u", 1, 1, false);
    AddSeries(a, {10, 11, 12, 13, 14, 30, 40});
    a.LimitsMode[0] = lmLocked;
    a.LockFirst[0] = 0;
    a.LockLast[0] = 4;
    a.RecomputeAll();
    EXPECT_EQ(a.Current[0].N, 5);
    EXPECT_EQ(D(a.Current[0].Mean), 12.0);
    EXPECT_EQ(a.AllPoints[0].N, 7);
    // The chart range comes from the whole series, widened to the locked action limits.
    EXPECT_EQ(D(a.Current[0].ChartHigh), 40.0);
    EXPECT_EQ(D(a.Current[0].ChartLow), std::min(10.0, D(a.Current[0].Mean - a.Current[0].ActionHalfWidth)));
    a.AddPoint(MakeRun(0, {12.0f})); // before the interval
    a.RecomputeAll();
    EXPECT_EQ(a.LockFirst[0], 1);
    EXPECT_EQ(a.Current[0].N, 5);
    EXPECT_EQ(D(a.Current[0].Mean), 12.0);
}

TEST(Limits, ALockShrunkToOnePointFallsBackToMobile) {
    TAnalyte a("G", "u", 1, 1, false);
    AddSeries(a, {10, 11, 12, 13});
    a.LimitsMode[0] = lmLocked;
    a.LockFirst[0] = 1;
    a.LockLast[0] = 2;
    a.DeletePoint(2);
    EXPECT_EQ(a.LockLast[0], 1);
    a.RecomputeAll();
    EXPECT_EQ(a.LimitsMode[0], lmMobile);
    EXPECT_EQ(a.LockFirst[0], -1);
    EXPECT_EQ(a.LockLast[0], -1);
    EXPECT_EQ(a.Current[0].N, 3);
}

TEST(Limits, FixedLimitsKeepTheUsersValues) {
    TAnalyte a("G", "u", 0, 1, true);
    AddSeries(a, {38, 41, 50});
    a.LimitsMode[0] = lmFixed;
    a.Current[0].Mean = 42;
    a.Current[0].AlertHalfWidth = 2;
    a.Current[0].ActionHalfWidth = 3;
    a.RecomputeAll();
    EXPECT_EQ(D(a.Current[0].Mean), 42.0);
    EXPECT_EQ(a.Current[0].Status, 0);
    EXPECT_EQ(D(a.Current[0].ChartHigh), 50.0); // widened to the points
    EXPECT_EQ(D(a.Current[0].ChartLow), 38.0);
    // Every point erased: the chart is exactly the action range.
    a.EraseLevel(0);
    a.LimitsMode[0] = lmFixed; // erasing returns a level to mobile; a fixed level without points:
    a.Current[0].Mean = 42;
    a.Current[0].AlertHalfWidth = 2;
    a.Current[0].ActionHalfWidth = 3;
    a.RecomputeAll();
    EXPECT_EQ(D(a.Current[0].ChartHigh), 45.0);
    EXPECT_EQ(D(a.Current[0].ChartLow), 39.0);
}

TEST(Limits, CommonCVPoolsTheLevelsThatAreNotFixed) {
    TAnalyte a("G", "u", 1, 3, true);
    // Level 1 CV 10% over 3 values, level 2 CV 10% over 3 values, level 3 fixed.
    a.AddPoint(MakeRun(1, {9, 18, 1}));
    a.AddPoint(MakeRun(2, {10, 20, 2}));
    a.AddPoint(MakeRun(3, {11, 22, 3}));
    a.LimitsMode[2] = lmFixed;
    a.Current[2].Mean = 2;
    a.Current[2].AlertHalfWidth = 0.5L;
    a.Current[2].ActionHalfWidth = 1;
    a.RecomputeAll();
    EXPECT_EQ(a.Current[0].DegreesOfFreedom, 4);
    EXPECT_NEAR(a.Current[0].CV, 10.0f, 1e-4);
    EXPECT_NEAR(D(a.Current[0].AlertHalfWidth), 2.7764 * 0.1 * 10, 1e-9);
    EXPECT_NEAR(D(a.Current[1].ActionHalfWidth), 7.173 * 0.1 * 20, 1e-9);
    EXPECT_EQ(D(a.Current[2].AlertHalfWidth), 0.5);
    EXPECT_EQ(a.Current[2].DegreesOfFreedom, 0);
}

TEST(Limits, CommonCVGivesLimitsToASingleValueLevel) {
    TAnalyte a("G", "u", 1, 2, true);
    a.AddPoint(MakeRun(1, {9, 20}));
    a.AddPoint(MakeRun(2, {10}));
    a.AddPoint(MakeRun(3, {11}));
    a.RecomputeAll();
    EXPECT_EQ(a.Current[1].Status, 0);
    EXPECT_EQ(a.Current[1].DegreesOfFreedom, 2);
    EXPECT_NEAR(D(a.Current[1].AlertHalfWidth), 4.3027 * 0.1 * 20, 1e-9);
}

TEST(Limits, CommonCVLimitsLieOnBothSidesOfANegativeMean) {
    TAnalyte a("BE", "mmol/L", 1, 2, true);
    a.AddPoint(MakeRun(1, {9, -18}));
    a.AddPoint(MakeRun(2, {10, -20}));
    a.AddPoint(MakeRun(3, {11, -22}));
    a.RecomputeAll();
    EXPECT_NEAR(a.Current[1].CV, 10.0f, 1e-4);
    EXPECT_NEAR(D(a.Current[1].AlertHalfWidth), 2.7764 * 0.1 * 20, 1e-9);
    EXPECT_NEAR(D(a.Current[1].ActionHalfWidth), 7.173 * 0.1 * 20, 1e-9);
    EXPECT_NEAR(D(a.Current[1].ChartLow), -20 - 7.173 * 2, 1e-9);
    TQCPoint p;
    p.Levels[1] = {-20.5f, qsInControl, {}};
    a.ClassifyPoint(p);
    EXPECT_EQ(p.Levels[1].Status, qsInControl);
}

TEST(Classification, BoundariesCountAsBeyond) {
    TAnalyte a("G", "u", 1, 1, false);
    a.LimitsMode[0] = lmFixed;
    a.Current[0].Mean = 10;
    a.Current[0].AlertHalfWidth = 2;
    a.Current[0].ActionHalfWidth = 3;
    a.RecomputeAll();
    const auto classify = [&a](float v, std::uint8_t status = qsInControl) {
        TQCPoint p;
        p.Levels[0] = {v, status, {}};
        a.ClassifyPoint(p);
        return p.Levels[0].Status;
    };
    EXPECT_EQ(classify(10), qsInControl);
    EXPECT_EQ(classify(11.5f), qsInControl);
    EXPECT_EQ(classify(12), qsHighAlert);
    EXPECT_EQ(classify(13), qsHighAction);
    EXPECT_EQ(classify(8), qsLowAlert);
    EXPECT_EQ(classify(7), qsLowAction);
    EXPECT_EQ(classify(100, qsDiscarded), qsDiscarded);
    EXPECT_EQ(classify(100, qsNoValue), qsNoValue);
}

// Values so large that the statistics overflow: the limits are not computable (status 6), every
// number of them finite, never a silent "in control" against infinite limits.
TEST(Statistics, LimitsThatAreNotFiniteAreNotComputable) {
    TAnalyte a("Glucose", "mmol/L", 1, 3, true); // common CV
    for (int i = 0; i < 10; ++i) a.AddPoint(MakeRun(i + 1, {3.0f + 0.1f * (i % 3), 5.0f + 0.1f * (i % 2), 12.0f + 0.2f * (i % 4)}));
    a.AddPoint(MakeRun(20, {3.4e38f, 3.4e38f, 3.4e38f}));
    a.AddPoint(MakeRun(21, {-3.4e38f, -3.4e38f, -3.4e38f}));
    a.RecomputeAll();
    for (int level = 0; level < 3; ++level) {
        const TLevelStats& c = a.Current[static_cast<std::size_t>(level)];
        EXPECT_EQ(c.Status, qsNoValue) << level;
        for (long double v : {c.Mean, c.AlertHalfWidth, c.ActionHalfWidth, c.ChartLow, c.ChartHigh})
            EXPECT_TRUE(std::isfinite(v)) << level;
        EXPECT_TRUE(std::isfinite(c.CV)) << level;
    }
    EXPECT_FALSE(IsStorableResult(3.4e38L));
    EXPECT_FALSE(IsStorableResult(-1.0000001e20L));
    EXPECT_FALSE(IsStorableResult(std::nanl("")));
    EXPECT_TRUE(IsStorableResult(-1e20L));
    EXPECT_TRUE(IsStorableResult(0.0L));
}

TEST(Texts, ControlCharactersAreDropped) {
    EXPECT_EQ(WithoutControlCharacters("GL\tU\r\n\x7F" "1\x01"), "GLU1");
    EXPECT_EQ(WithoutControlCharacters("\xB5mol/L"), "\xB5mol/L"); // 8-bit letters stay
}
