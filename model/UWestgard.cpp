#include "model/UWestgard.h"

#include <algorithm>

namespace tervanix {

const std::array<const char*, LevelRuleCount> LevelRuleNames = {"1:2s", "1:3s", "2:2s", "R:4s", "4:1s", "10:m"};

namespace {

constexpr int SameSideLimit = 10; // a run of ten on one side of the mean is all 10:m needs

bool IsHigh(std::uint8_t status) { return status == qsHighAlert || status == qsHighAction; }
bool IsLow(std::uint8_t status) { return status == qsLowAlert || status == qsLowAction; }
bool IsBeyondAlert(std::uint8_t status) { return IsHigh(status) || IsLow(status); }
bool IsAction(std::uint8_t status) { return status == qsHighAction || status == qsLowAction; }

int LevelsOf(const TAnalyte& analyte) { return std::clamp(static_cast<int>(analyte.LevelCount), 0, MaxLevels); }

// Status of the nearest earlier point with an entry for the level; a rejected point (5) ends the
// search and matches neither side, no point at all counts as "no value".
std::uint8_t PreviousStatus(const TAnalyte& analyte, int level, int previousPoint) {
    for (int i = previousPoint; i >= 0; --i) {
        const std::uint8_t status = analyte.Point(i).Levels[static_cast<std::size_t>(level)].Status;
        if (status != qsNoValue) return status;
    }
    return qsNoValue;
}

struct TTallies {
    int High = 0; // evaluated levels of the run high beyond the alert limit
    int Low = 0;
    std::array<int, 8> T{}; // T1..T8 of the multi-run rules, T[0] being T1
};

// 1:2s, 1:3s and the high/low tallies of the run.
void SingleRunRules(int level, std::uint8_t status, TWestgardResult& result, TTallies& tallies) {
    auto& rules = result.Rules[static_cast<std::size_t>(level)];
    rules[wr12s] = IsBeyondAlert(status) ? TRuleState::Warning : TRuleState::None;
    rules[wr13s] = IsAction(status) ? TRuleState::Reject : TRuleState::None;
    if (IsBeyondAlert(status)) result.Alarm = TRuleState::Reject;
    if (IsHigh(status)) ++tallies.High;
    if (IsLow(status)) ++tallies.Low;
}

// 2:2s and R:4s within the level against its previous result, and R:4s across levels.
void TwoRunRules(const TAnalyte& analyte, int level, std::uint8_t status, const TTallies& tallies,
                 TWestgardResult& result) {
    auto& rules = result.Rules[static_cast<std::size_t>(level)];
    rules[wr22s] = TRuleState::None;
    rules[wrR4s] = TRuleState::None;
    const bool low = IsLow(status);
    if (!low && !IsHigh(status)) return;
    const std::uint8_t previous = PreviousStatus(analyte, level, result.PreviousPoint);
    const int oppositeTally = low ? tallies.High : tallies.Low;
    if (oppositeTally >= 1) result.Across[waR4s] = TRuleState::Reject;
    const bool previousSameSide = low ? IsLow(previous) : IsHigh(previous);
    const bool previousOtherSide = low ? IsHigh(previous) : IsLow(previous);
    if (previousSameSide) rules[wr22s] = TRuleState::Reject;
    if (previousOtherSide) rules[wrR4s] = TRuleState::Reject;
}

// Counts the consecutive results on the run's side of the mean and beyond one s, walking back over
// the stored points with a value that was not rejected.
TRunCounters CountRuns(const TAnalyte& analyte, int level, long double x, long double s, int previousPoint) {
    TRunCounters c;
    if (x > s) c.AboveS = 1;
    if (x < -s) c.BelowS = 1;
    bool beyondSOpen = !(x >= -s && x <= s);
    const long double mean = analyte.Current[static_cast<std::size_t>(level)].Mean;
    for (int i = previousPoint; i >= 0; --i) {
        const TLevelResult& r = analyte.Point(i).Levels[static_cast<std::size_t>(level)];
        if (r.Status == qsNoValue || r.Status == qsDiscarded) continue;
        const long double y = static_cast<long double>(r.Value) - mean;
        bool walkEnds = false;
        if (y < 0 && x < 0) ++c.BelowMean;
        else if (y > 0 && x > 0) ++c.AboveMean;
        else walkEnds = true;
        if (beyondSOpen) {
            if (y < -s && x < -s) ++c.BelowS;
            else if (y > s && x > s) ++c.AboveS;
            else beyondSOpen = false;
        }
        if (walkEnds || c.BelowMean >= SameSideLimit || c.AboveMean >= SameSideLimit) break;
    }
    return c;
}

void MultiRunRules(const TAnalyte& analyte, int level, const TResu& run, TWestgardResult& result, TTallies& tallies) {
    const auto l = static_cast<std::size_t>(level);
    const TLevelStats& current = analyte.Current[l];
    const long double x = static_cast<long double>(run.Levels[l].Value) - current.Mean;
    const TRunCounters c = CountRuns(analyte, level, x, current.AlertHalfWidth / 2, result.PreviousPoint);
    result.Counters[l] = c;

    auto& rules = result.Rules[l];
    // A pattern completed by a run that is itself beyond the alert limit is a rejection.
    const TRuleState firing = rules[wr12s] == TRuleState::Warning ? TRuleState::Reject : TRuleState::Warning;
    rules[wr41s] = (c.BelowS >= 4 || c.AboveS >= 4) ? firing : TRuleState::None;
    rules[wr10m] = (c.BelowMean >= 10 || c.AboveMean >= 10) ? firing : TRuleState::None;

    const std::array<bool, 8> holds = {c.BelowMean >= 3, c.BelowMean >= 5, c.AboveMean >= 3, c.AboveMean >= 5,
                                       c.BelowS >= 1,    c.BelowS >= 2,    c.AboveS >= 1,    c.AboveS >= 2};
    for (std::size_t t = 0; t < holds.size(); ++t) tallies.T[t] += holds[t] ? 1 : 0;
}

// 4:1s and 10:m across two levels (two results beyond s, five on one side, in both levels), or
// 3:1s and 9:m across three (one beyond s, three on one side, in all three).
void AcrossMultiRunRules(const TTallies& tallies, TWestgardResult& result) {
    const auto& T = tallies.T;
    const int n = result.ParticipatingCount;
    if (n == 2) {
        result.Across[wa41s] = (T[5] == 2 || T[7] == 2) ? result.Alarm : TRuleState::None;
        result.Across[wa10m] = (T[1] == 2 || T[3] == 2) ? result.Alarm : TRuleState::None;
    } else if (n == 3) {
        result.Across[wa41s] = (T[4] == 3 || T[6] == 3) ? result.Alarm : TRuleState::None;
        result.Across[wa10m] = (T[0] == 3 || T[2] == 3) ? result.Alarm : TRuleState::None;
    }
}

} // namespace

const char* AcrossRuleName(int rule, int participatingCount) {
    switch (rule) {
    case wa22s: return "2:2s";
    case waR4s: return "R:4s";
    case wa41s: return participatingCount == 3 ? "3:1s" : "4:1s";
    case wa10m: return participatingCount == 3 ? "9:m" : "10:m";
    default: return "";
    }
}

const char* RuleStateName(TRuleState state) {
    switch (state) {
    case TRuleState::Warning: return "warning";
    case TRuleState::Reject: return "reject";
    default: return "none";
    }
}

bool LevelParticipates(const TAnalyte& analyte, const TResu& run, int level, bool rejected, bool multirules) {
    if (level < 0 || level >= LevelsOf(analyte)) return false;
    const auto l = static_cast<std::size_t>(level);
    return analyte.LimitsMode[l] != lmFixed && analyte.Current[l].Status == 0 && run.Levels[l].Status != qsNoValue &&
           multirules && !rejected;
}

void ClassifyRun(const TAnalyte& analyte, TResu& run) {
    TQCPoint point;
    point.DateTime = run.DateTime;
    point.Levels = run.Levels;
    analyte.ClassifyPoint(point);
    run.Levels = point.Levels;
}

TWestgardResult EvaluateRun(const TAnalyte& analyte, const TResu& run, const std::array<bool, MaxLevels>& rejected,
                            bool multirules) {
    TWestgardResult result;
    const int levels = LevelsOf(analyte);
    result.PreviousPoint = analyte.FindInsertPos(run.DateTime) - 1;
    for (int L = 0; L < levels; ++L) {
        const auto l = static_cast<std::size_t>(L);
        result.Status[l] = run.Levels[l].Status;
        result.Participating[l] = LevelParticipates(analyte, run, L, rejected[l], multirules);
        if (result.Participating[l]) ++result.ParticipatingCount;
    }
    if (result.ParticipatingCount == 0) return result;

    // Every level that is neither fixed nor rejected is evaluated, including levels whose limits
    // are not computable: those enter the across-level tallies without participating.
    for (int L = 0; L < levels; ++L) {
        const auto l = static_cast<std::size_t>(L);
        result.Evaluated[l] = analyte.LimitsMode[l] != lmFixed && !rejected[l];
    }
    TTallies tallies;
    for (int L = 0; L < levels; ++L) {
        const auto l = static_cast<std::size_t>(L);
        if (result.Evaluated[l]) SingleRunRules(L, result.Status[l], result, tallies);
    }
    if (tallies.High >= 2 || tallies.Low >= 2) result.Across[wa22s] = TRuleState::Reject;
    for (int L = 0; L < levels; ++L) {
        const auto l = static_cast<std::size_t>(L);
        if (!result.Evaluated[l]) continue;
        TwoRunRules(analyte, L, result.Status[l], tallies, result);
    }
    for (int L = 0; L < levels; ++L) {
        const auto l = static_cast<std::size_t>(L);
        if (result.Evaluated[l] && result.Status[l] != qsNoValue) MultiRunRules(analyte, L, run, result, tallies);
    }
    AcrossMultiRunRules(tallies, result);
    return result;
}

} // namespace tervanix
