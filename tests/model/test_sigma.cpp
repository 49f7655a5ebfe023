#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/UAnalyte.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"
#include "model/UStudent.h"
#include "model/UMonthlySummary.h"
#include "model/USigma.h"
#include "support/AnalyteBuilders.h"

using namespace tervanix;
using tervanix::test::AddSeries;
using tervanix::test::MakeRun;

namespace {

using TRules = std::vector<std::string>;
const TRules Rules6 = {"1:3s"};
const TRules Rules5 = {"1:3s", "2:2s", "R:4s"};
const TRules Rules4 = {"1:3s", "2:2s", "R:4s", "4:1s"};
const TRules Rules3 = {"1:3s", "2:2s", "R:4s", "4:1s", "10:m"};

} // namespace

// Each band from its lower edge exactly, with the rules and the controls per run it implies; an
// exact quotient that binary arithmetic leaves just below its decimal keeps its band.
TEST(Sigma, BandEdgesAndAdvice) {
    struct TCase {
        double Tea, Cv, Mean, Target;
        double Sigma;
        TSigmaBand Band;
        TRules Rules;
        int Controls;
    };
    const TCase cases[] = {
        {12, 2, 100, 0, 6.0, TSigmaBand::World, Rules6, 2},
        {6.6, 1.1, 100, 0, 6.0, TSigmaBand::World, Rules6, 2},
        {11, 2, 102, 100, 4.5, TSigmaBand::Good, Rules4, 4},  // bias 2 %
        {12, 2, 98, 100, 5.0, TSigmaBand::Excellent, Rules5, 2},
        {8, 2, 100, 100, 4.0, TSigmaBand::Good, Rules4, 4},
        {7.98, 2, 100, 100, 3.99, TSigmaBand::Marginal, Rules3, 4},
        {6, 2, 100, 100, 3.0, TSigmaBand::Marginal, Rules3, 4},
        {5.9, 2, 100, 100, 2.95, TSigmaBand::Poor, Rules3, 4},
        {3, 2, -95, -100, -1.0, TSigmaBand::Poor, Rules3, 4}, // a negative target: bias 5 %
    };
    for (const TCase& c : cases) {
        const TAnalyteGoals goals{c.Tea, {c.Target == 0 ? std::nullopt : std::optional(c.Target)}};
        const TLevelSigma s = SigmaAgainstGoals(c.Mean, c.Cv, &goals, 0);
        ASSERT_TRUE(s.Sigma) << c.Tea;
        EXPECT_NEAR(*s.Sigma, c.Sigma, 1e-9) << c.Tea;
        EXPECT_EQ(SigmaBand(*s.Sigma), c.Band) << c.Tea;
        EXPECT_EQ(SigmaRules(*s.Sigma, 2), c.Rules) << c.Tea;
        EXPECT_EQ(ControlsPerRun(*s.Sigma, 2), c.Controls) << c.Tea;
    }
    EXPECT_EQ(SigmaText(5.96), "5.9"); // never rounded up
    EXPECT_EQ(SigmaText(6.6 / 1.1), "6.0");
    EXPECT_EQ(SigmaRules(3.5, 3), (TRules{"1:3s", "2:2s", "R:4s", "3:1s", "9:m"}));
    EXPECT_EQ(SigmaAdviceText(4.2, 3), "1:3s, 2:2s, R:4s, 3:1s - 3 control measurements per run");
    EXPECT_EQ(ControlsPerRun(3.5, 3), 6);
    EXPECT_EQ(SigmaAdviceText(6.1, 1), "1:3s - 1 control measurement per run");
}

// No Sigma without TEa, without valid limits or for fixed limits; without a target the bias is
// unknown and taken as 0.
TEST(Sigma, LevelsWithoutSigma) {
    TAnalyte a("Glucose", "mmol/L", 2, 3, false);
    for (int day = 0; day < 4; ++day) a.AddPoint(MakeRun(46000 + day, {4.0f + day % 2, 6.0f + day % 2, 8.0f}));
    a.LimitsMode[1] = lmFixed;
    a.RecomputeAll();
    const TAnalyteGoals goals{10.0, {4.0, 6.5, 8.0}};
    const TLevelSigma valid = LevelSigma(a, 0, &goals);
    ASSERT_TRUE(valid.Sigma && valid.CV && valid.BiasPercent);
    EXPECT_NEAR(*valid.BiasPercent, 12.5, 1e-9);
    EXPECT_NEAR(*valid.Sigma, (10 - 12.5) / *valid.CV, 1e-9);
    EXPECT_FALSE(LevelSigma(a, 1, &goals).Sigma);         // fixed
    EXPECT_FALSE(LevelSigma(a, 1, &goals).Mean);
    EXPECT_FALSE(LevelSigma(a, 2, &goals).Sigma);         // all values equal: no valid limits
    EXPECT_FALSE(LevelSigma(a, 0, nullptr).Sigma);        // no goals
    const TAnalyteGoals noTea{std::nullopt, {4.0}};
    EXPECT_FALSE(LevelSigma(a, 0, &noTea).Sigma);
    const TAnalyteGoals noTarget{10.0, {std::nullopt}};
    const TLevelSigma unknownBias = LevelSigma(a, 0, &noTarget);
    EXPECT_FALSE(unknownBias.BiasPercent);
    EXPECT_NEAR(*unknownBias.Sigma, 10 / *valid.CV, 1e-9);
    const TAnalyteGoals zeroTarget{10.0, {0.0}};
    EXPECT_FALSE(LevelSigma(a, 0, &zeroTarget).BiasPercent);
}

// The month by the run's local date: 00:00 of the 1st belongs to the month, the last second
// before it to the month before; statuses counted apart; a month without runs is empty.
TEST(MonthlySummary, MonthBoundariesAndCounts) {
    TListAnalytes analytes;
    TAnalyte& a = analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 2, false));
    analytes.Add(std::make_unique<TAnalyte>("Urea", "mmol/L", 2, 1, false)); // no runs
    const TDateTime feb1 = EncodeDate(2026, 2, 1), mar1 = EncodeDate(2026, 3, 1);
    const TDateTime lastSecond = EncodeTime(23, 59, 59, 0);
    struct TRun {
        TDateTime When;
        float Value;
        std::uint8_t Status;
    };
    const TRun runs[] = {
        {feb1 - 1 + lastSecond, 100, qsInControl}, // January
        {feb1, 4.0f, qsInControl},
        {feb1 + 3.5, 5.0f, qsHighAlert},
        {feb1 + 4.5, 6.0f, qsLowAlert},
        {feb1 + 5.5, 9.0f, qsHighAction},
        {feb1 + 6.5, 50.0f, qsDiscarded},
        {mar1 - 1 + lastSecond, 1.0f, qsLowAction},
        {mar1, 100, qsInControl}, // March
    };
    for (const TRun& r : runs) {
        TResu run = MakeRun(0, {r.Value});
        run.DateTime = r.When;
        run.Levels[0].Status = r.Status;
        a.AddPoint(run);
    }
    const TQualityGoals goals;
    const std::vector<TMonthLevelSummary> feb = MonthlySummary(analytes, {2026, 2}, goals);
    ASSERT_EQ(feb.size(), 1u); // level 2 has no value, Urea no run
    const TMonthLevelSummary& s = feb[0];
    EXPECT_EQ(s.Analyte, &a);
    EXPECT_EQ(s.N, 5);
    EXPECT_EQ(s.Alerts, 2);
    EXPECT_EQ(s.Actions, 2);
    EXPECT_EQ(s.Discarded, 1);
    // The same figures as the series statistics of those points, in the same precision.
    TLevelStats series;
    a.ComputeStats(0, 1, 6, series);
    EXPECT_EQ(*s.Mean, series.Mean);
    EXPECT_EQ(static_cast<float>(*s.CV), series.CV);
    EXPECT_NEAR(static_cast<double>(*s.SD), static_cast<double>(series.AlertHalfWidth / StudentFactor(Settings.AlertRisk, 4)), 1e-14);
    EXPECT_FALSE(s.Sigma.Sigma);
    EXPECT_TRUE(MonthlySummary(analytes, {2026, 4}, goals).empty());
    EXPECT_EQ(MonthlySummary(analytes, {2026, 1}, goals).at(0).N, 1);
    EXPECT_FALSE(MonthlySummary(analytes, {2026, 1}, goals).at(0).SD);
    EXPECT_EQ(MonthlySummary(analytes, {2026, 3}, goals).at(0).N, 1);
    EXPECT_EQ(TMonth({2025, 12}).End(), EncodeDate(2026, 1, 1));
    EXPECT_EQ(TMonth({9999, 12}).End(), EncodeDate(9999, 12, 31) + 1); // the last month the calendar has
}

// The month's Sigma: its own CV and mean against TEa and target.
TEST(MonthlySummary, MonthSigma) {
    TListAnalytes analytes;
    TAnalyte& a = analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 1, false));
    AddSeries(a, {99, 101, 99, 101}, EncodeDate(2026, 5, 3));
    TQualityGoals goals;
    goals.Set("GLUCOSE", {10.0, {98.0}});
    const TMonthLevelSummary s = MonthlySummary(analytes, {2026, 5}, goals).at(0);
    ASSERT_TRUE(s.Sigma.Sigma);
    EXPECT_NEAR(*s.Sigma.BiasPercent, 2 / 98.0 * 100, 1e-9);
    EXPECT_NEAR(*s.Sigma.Sigma, (10 - 2 / 98.0 * 100) / static_cast<double>(*s.CV), 1e-9);
}
