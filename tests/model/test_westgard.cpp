#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "model/UAnalyte.h"
#include "model/UGaugeScale.h"
#include "model/UWestgard.h"

using namespace tervanix;

namespace {

constexpr float No = std::numeric_limits<float>::quiet_NaN(); // no value for the level
constexpr auto N = TRuleState::None;
constexpr auto W = TRuleState::Warning;
constexpr auto R = TRuleState::Reject;
using Values = std::array<float, 3>;

// Every level: mean 100, alert limits 96/104, action limits 94/106, so s = 2.
class Westgard : public ::testing::Test {
protected:
    std::unique_ptr<TAnalyte> a;

    // Limits typed in as fixed ones, then kept under mobile limits so that the levels take part.
    void Make(int levels) {
        a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, levels, false);
        for (int L = 0; L < levels; ++L) {
            a->LimitsMode[L] = lmFixed;
            a->Current[L].Mean = 100;
            a->Current[L].AlertHalfWidth = 4;
            a->Current[L].ActionHalfWidth = 6;
        }
        a->RecomputeAll();
        for (int L = 0; L < levels; ++L) a->LimitsMode[L] = lmMobile;
    }
    TResu Run(double day, Values v) const {
        TResu r;
        r.DateTime = day;
        for (int L = 0; L < 3; ++L) r.Levels[L] = {std::isnan(v[L]) ? 0.0f : v[L], std::isnan(v[L]) ? qsNoValue : qsInControl, {}};
        ClassifyRun(*a, r);
        return r;
    }
    void Store(double day, Values v) { a->AddPoint(Run(day, v)); }
    // Stores one value per day, oldest first, on level 1 (and the other levels when given).
    void StoreSeries(double firstDay, std::initializer_list<float> values) {
        for (float v : values) Store(firstDay++, {v, v, v});
    }
    void StoreRejected(double day, float v) {
        TResu r = Run(day, {v, v, v});
        for (auto& l : r.Levels) l.Status = qsDiscarded;
        a->AddPoint(r);
    }
    TWestgardResult Eval(Values v, std::array<bool, 3> rejected = {}, bool multirules = true, double day = 100) const {
        return EvaluateRun(*a, Run(day, v), rejected, multirules);
    }
};

TEST_F(Westgard, SingleRunRulesAtTheirLimitsAndAlarmColour) {
    Make(1);
    struct Case { float v; TRuleState r12s, r13s, alarm; } cases[] = {
        {103.99f, N, N, W}, {104, W, N, R}, {96, W, N, R}, {96.01f, N, N, W},
        {105.99f, W, N, R}, {106, W, R, R}, {94, W, R, R}, {100, N, N, W},
    };
    for (const auto& c : cases) {
        const auto r = Eval({c.v, No, No});
        EXPECT_EQ(r.Rules[0][wr12s], c.r12s) << c.v;
        EXPECT_EQ(r.Rules[0][wr13s], c.r13s) << c.v;
        EXPECT_EQ(r.Alarm, c.alarm) << c.v;
        EXPECT_EQ(r.ParticipatingCount, 1);
        EXPECT_FALSE(r.ShowsAcross());
    }
}

TEST_F(Westgard, TwoRunRulesWithinALevelUseTheNearestEarlierValue) {
    Make(1);
    Store(1, {105, No, No});
    EXPECT_EQ(Eval({104, No, No}).Rules[0][wr22s], R);
    EXPECT_EQ(Eval({104, No, No}).Rules[0][wrR4s], N);
    EXPECT_EQ(Eval({95, No, No}).Rules[0][wrR4s], R);
    EXPECT_EQ(Eval({95, No, No}).Rules[0][wr22s], N);
    EXPECT_EQ(Eval({103, No, No}).Rules[0][wr22s], N); // the run itself within the alert limits
    Store(2, {No, No, No}); // no value: skipped
    EXPECT_EQ(Eval({104, No, No}).Rules[0][wr22s], R);
    Store(3, {101, No, No}); // in control: the walk stops there
    EXPECT_EQ(Eval({104, No, No}).Rules[0][wr22s], N);
    StoreRejected(4, 105); // rejected: stops the walk and matches nothing
    Store(3.5, {105, No, No});
    EXPECT_EQ(Eval({104, No, No}).Rules[0][wr22s], N);
}

TEST_F(Westgard, RunDatedBeforeStoredPointsIsComparedWithTheOlderOnes) {
    Make(1);
    Store(10, {95, No, No});
    Store(20, {105, No, No});
    Store(20, {101, No, No}); // same date-time: stored after the previous one
    auto r = Eval({104, No, No}, {}, true, 5);
    EXPECT_EQ(r.PreviousPoint, -1);
    EXPECT_EQ(r.Rules[0][wr22s], N);
    EXPECT_EQ(r.Rules[0][wrR4s], N);
    r = Eval({104, No, No}, {}, true, 15);
    EXPECT_EQ(r.PreviousPoint, 0);
    EXPECT_EQ(r.Rules[0][wrR4s], R);
    r = Eval({104, No, No}, {}, true, 20);
    EXPECT_EQ(r.PreviousPoint, 2);
    EXPECT_EQ(r.Rules[0][wr22s], N);
}

TEST_F(Westgard, AcrossLevelTwoTwoAndRangeRules) {
    Make(3);
    auto r = Eval({104, 105, 100});
    EXPECT_EQ(r.Across[wa22s], R);
    EXPECT_EQ(r.Across[waR4s], N);
    r = Eval({104, 96, 100});
    EXPECT_EQ(r.Across[wa22s], N);
    EXPECT_EQ(r.Across[waR4s], R);
    r = Eval({104, 100, 100});
    EXPECT_EQ(r.Across[wa22s], N);
    EXPECT_EQ(r.Across[waR4s], N);
    EXPECT_EQ(r.Alarm, R);
    r = Eval({104, 105, 100}, {true, false, false}); // a rejected level is not counted
    EXPECT_EQ(r.Across[wa22s], N);
    EXPECT_EQ(r.ParticipatingCount, 2);
}

// The low side mirrors the high side: each rule with its sides exchanged.
TEST_F(Westgard, LowSideRulesMirrorTheHighSide) {
    Make(2);
    Store(1, {95, 95, No});
    auto r = Eval({96, 95.5f, No});
    EXPECT_EQ(r.Rules[0][wr22s], R);
    EXPECT_EQ(r.Rules[0][wrR4s], N);
    EXPECT_EQ(r.Across[wa22s], R); // two levels low
    EXPECT_EQ(r.Across[waR4s], N);
    r = Eval({105, 95.5f, No});
    EXPECT_EQ(r.Rules[0][wrR4s], R); // high after low
    EXPECT_EQ(r.Rules[0][wr22s], N);
    EXPECT_EQ(r.Across[waR4s], R);
    StoreSeries(2, {97, 97, 97, 97, 97, 97, 97, 97, 97, 97, 97});
    r = Eval({97, 97, No});
    EXPECT_EQ(r.Counters[0].BelowS, 10); // the walk stops with the tenth result below the mean
    EXPECT_EQ(r.Counters[0].BelowMean, 10);
    EXPECT_EQ(r.Rules[0][wr41s], W);
    EXPECT_EQ(r.Rules[0][wr10m], W);
    StoreSeries(20, {103, 103, 103, 103, 103, 103, 103, 103, 103, 103, 103});
    r = Eval({103, 103, No});
    EXPECT_EQ(r.Counters[0].AboveMean, 10);
    EXPECT_EQ(r.Counters[0].BelowMean, 1);
    EXPECT_EQ(r.Across[wa10m], W);
}

TEST_F(Westgard, FourOneSWithinALevel) {
    Make(1);
    StoreSeries(1, {102.5f, 103});
    EXPECT_EQ(Eval({103, No, No}).Rules[0][wr41s], N); // three beyond +s
    Store(3, {103, No, No});
    EXPECT_EQ(Eval({103, No, No}).Rules[0][wr41s], W); // four beyond +s, run within the alert limits
    EXPECT_EQ(Eval({104, No, No}).Rules[0][wr41s], R); // the run beyond the alert limit: red
    EXPECT_EQ(Eval({102, No, No}).Rules[0][wr41s], N); // exactly on +s is not beyond it
    EXPECT_EQ(Eval({97, No, No}).Rules[0][wr41s], N);
    StoreRejected(4, 90);        // skipped
    Store(5, {No, No, No});      // skipped
    EXPECT_EQ(Eval({103, No, No}).Counters[0].AboveS, 4);
    Store(6, {102, No, No});     // on +s: ends the run beyond s
    EXPECT_EQ(Eval({103, No, No}).Counters[0].AboveS, 1);
    EXPECT_EQ(Eval({103, No, No}).Rules[0][wr41s], N);
}

TEST_F(Westgard, TenMeanCountsStopAtTenAndEndOnTheMean) {
    Make(1);
    StoreSeries(1, {100.5f, 99, 99, 99, 99, 99, 99, 99, 99}); // eight below the mean, the oldest above
    EXPECT_EQ(Eval({99.5f, No, No}).Counters[0].BelowMean, 9);
    EXPECT_EQ(Eval({99.5f, No, No}).Rules[0][wr10m], N);
    Store(20, {99, No, No});
    EXPECT_EQ(Eval({99.5f, No, No}).Rules[0][wr10m], W);
    EXPECT_EQ(Eval({95, No, No}).Rules[0][wr10m], R);
    StoreSeries(21, {99, 99, 99});
    EXPECT_EQ(Eval({99.5f, No, No}).Counters[0].BelowMean, 10);
    const auto onMean = Eval({100, No, No});
    EXPECT_EQ(onMean.Counters[0].BelowMean, 1);
    EXPECT_EQ(onMean.Counters[0].AboveMean, 1);
    Store(30, {100, No, No}); // a stored value on the mean ends the walk without counting
    EXPECT_EQ(Eval({99.5f, No, No}).Counters[0].BelowMean, 1);
}

TEST_F(Westgard, AcrossMultiRunRulesForTwoLevels) {
    Make(2);
    Store(1, {103, 103, No});
    auto r = Eval({103, 103, No});
    EXPECT_EQ(AcrossRuleName(wa41s, r.ParticipatingCount), std::string("4:1s"));
    EXPECT_EQ(r.Across[wa41s], W); // two beyond +s in each level
    EXPECT_EQ(Eval({104, 103, No}).Across[wa41s], R);
    EXPECT_EQ(Eval({103, 101, No}).Across[wa41s], N);
    StoreSeries(2, {99, 99, 99});
    EXPECT_EQ(Eval({99, 99, No}).Across[wa10m], N); // four below the mean in each level
    Store(5, {99, 99, No});
    r = Eval({99, 99, No});
    EXPECT_EQ(AcrossRuleName(wa10m, r.ParticipatingCount), std::string("10:m"));
    EXPECT_EQ(r.Across[wa10m], W); // five below the mean in each level
    StoreRejected(6, 99); // a rejected point neither counts nor interrupts
    EXPECT_EQ(Eval({99, 101, No}).Across[wa10m], N);
    EXPECT_EQ(Eval({99, 99, No}).Across[wa10m], W);
}

TEST_F(Westgard, AcrossMultiRunRulesForThreeLevels) {
    Make(3);
    auto r = Eval({103, 103, 103});
    EXPECT_EQ(AcrossRuleName(wa41s, r.ParticipatingCount), std::string("3:1s"));
    EXPECT_EQ(r.Across[wa41s], W);
    EXPECT_EQ(Eval({103, 103, 97}).Across[wa41s], N);
    EXPECT_EQ(Eval({103, 103, 102}).Across[wa41s], N); // exactly on +s is not beyond it
    Store(0.5, {97, 97, 97});
    EXPECT_EQ(Eval({97, 97, 97}).Across[wa41s], W);
    r = Eval({97, 97, No}); // the level without a value is left out of the tallies: 4:1s of two levels
    EXPECT_EQ(r.ParticipatingCount, 2);
    EXPECT_EQ(r.Across[wa41s], W);
    StoreSeries(1, {101, 101});
    r = Eval({101, 101, 101});
    EXPECT_EQ(AcrossRuleName(wa10m, r.ParticipatingCount), std::string("9:m"));
    EXPECT_EQ(r.Across[wa10m], W);
    EXPECT_EQ(Eval({101, 101, 95}).Across[wa10m], N);
}

TEST_F(Westgard, ParticipationFixedRejectedSwitchedOffAndExtraLevels) {
    Make(3);
    a->LimitsMode[2] = lmFixed;
    auto r = Eval({104, 104, 104});
    EXPECT_EQ(r.ParticipatingCount, 2);
    EXPECT_FALSE(r.Evaluated[2]);
    EXPECT_EQ(r.Rules[2][wr12s], N);
    EXPECT_EQ(r.Across[wa22s], R); // the fixed level is not in the tallies: two high levels
    r = Eval({104, 104, 104}, {false, true, false});
    EXPECT_EQ(r.ParticipatingCount, 1);
    EXPECT_FALSE(r.ShowsAcross());
    r = Eval({104, 104, 104}, {}, false);
    EXPECT_EQ(r.ParticipatingCount, 0);
    EXPECT_EQ(r.Rules[0][wr12s], N);
    EXPECT_EQ(r.Alarm, W);
    Make(2);
    r = Eval({100, 100, 104});
    EXPECT_EQ(r.Status[2], qsNoValue);
    EXPECT_FALSE(r.Participating[2]);
    EXPECT_EQ(Eval({100, No, 104}).ParticipatingCount, 1);
}

// A level with uncomputable limits is evaluated without participating: it enters the tallies, which
// are still compared with the count of participating levels, and it can light the alarm.
TEST_F(Westgard, LevelWithoutLimitsEntersTheTalliesOnly) {
    Make(3);
    a->Current[2].Status = qsNoValue;
    a->Current[2].AlertHalfWidth = 50;
    Store(1, {103, 103, 200});
    EXPECT_EQ(Eval({103, 103, No}).Across[wa41s], W); // two levels twice beyond +s
    auto r = Eval({103, 103, 200});
    EXPECT_EQ(r.ParticipatingCount, 2);
    EXPECT_TRUE(r.Evaluated[2]);
    EXPECT_EQ(r.Counters[2].AboveS, 2);
    EXPECT_EQ(r.Across[wa41s], N); // three levels in the tally, two expected
    EXPECT_EQ(r.Alarm, W);         // a mobile level without limits classifies in control
    a->LimitsMode[2] = lmLocked;
    r = Eval({103, 103, 200});
    EXPECT_EQ(r.Status[2], qsHighAction);
    EXPECT_EQ(r.Rules[2][wr13s], R);
    EXPECT_EQ(r.Alarm, R);
}

TEST(GaugeScale, SetUpFromLimitsOrWithoutThem) {
    TLevelStats s;
    s.Status = 0; s.Mean = 100; s.AlertHalfWidth = 4; s.ActionHalfWidth = 6; s.N = 20;
    auto g = SetUpGauge({110, qsHighAction, {}}, s);
    EXPECT_TRUE(g.ShowScale);
    EXPECT_NEAR(static_cast<double>(g.HalfRange), 11, 1e-9);
    EXPECT_NEAR(static_cast<double>(SetUpGauge({101, qsInControl, {}}, s).HalfRange), 6.6, 1e-9);
    EXPECT_FALSE(SetUpGauge({101, qsNoValue, {}}, s).HasValue);
    s.Status = qsNoValue;
    g = SetUpGauge({90, qsInControl, {}}, s);
    EXPECT_FALSE(g.ShowScale);
    EXPECT_EQ(g.Centre, 90.5L); // the result on the lower alert boundary
    EXPECT_EQ(SetUpGauge({110, qsInControl, {}}, s).Centre, 109.5L);
    s.N = 0;
    EXPECT_EQ(SetUpGauge({110, qsInControl, {}}, s).Centre, 110);
    EXPECT_EQ(SetUpGauge({110, qsInControl, {}}, s).HalfRange, 1.2L);
    // Zero deviations typed for fixed limits and a result on the target: still a usable gauge.
    s.Status = 0; s.Mean = 5; s.AlertHalfWidth = s.ActionHalfWidth = 0;
    g = SetUpGauge({5, qsInControl, {}}, s);
    EXPECT_GT(g.HalfRange, 0);
    EXPECT_EQ(GaugePos(g, 5), 205);
}

TEST(GaugeScale, PositionsRoundHalvesToEven) {
    TGaugeSetup g;
    g.Centre = 0; g.HalfRange = 1;
    EXPECT_EQ(GaugePos(g, -1), 20);
    EXPECT_EQ(GaugePos(g, 1), 390);
    EXPECT_EQ(GaugePos(g, 0), 205);
    EXPECT_EQ(GaugePos(g, 0, 41), 20); // 20.5
    EXPECT_EQ(GaugePos(g, 2, 41), 22); // 21.5
    EXPECT_EQ(GaugePos(g, std::nanl(""), 41), 20);
}

void ExpectTicks(const TGaugeTicks& t, std::vector<double> expected) {
    ASSERT_EQ(t.Values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(static_cast<double>(t.Values[i]), expected[i], 1e-12);
}

TEST(GaugeScale, TicksFollowTheStepRule) {
    auto t = GaugeScaleTicks(100, 5); // span 15: unit 10, step 2
    EXPECT_NEAR(static_cast<double>(t.Step), 2, 1e-15);
    EXPECT_EQ(t.Decimals, 0);
    ExpectTicks(t, {96, 98, 100, 102, 104});
    t = GaugeScaleTicks(0, 0.5L); // span 1.5: unit 1, step 0.2, the first tick toward zero
    EXPECT_EQ(t.Decimals, 1);
    ExpectTicks(t, {-0.4, -0.2, 0, 0.2, 0.4});
    t = GaugeScaleTicks(1, 0.11L / 3); // span 0.11: unit 0.1, step 0.01
    EXPECT_NEAR(static_cast<double>(t.Step), 0.01, 1e-15);
    EXPECT_EQ(t.Decimals, 2);
    struct Case { long double span, step; } steps[] = {{1, 0.1L}, {2, 0.2L}, {2.5L, 0.4L}, {5, 0.5L}, {7, 1}, {100, 10}};
    for (const auto& c : steps)
        EXPECT_NEAR(static_cast<double>(GaugeScaleTicks(50, c.span / 3).Step), static_cast<double>(c.step), 1e-12) << static_cast<double>(c.span);
    EXPECT_TRUE(GaugeScaleTicks(3, 0).Values.empty());
    EXPECT_LE(GaugeScaleTicks(1e15L, 1e-9L).Values.size(), 100u);
}

} // namespace
