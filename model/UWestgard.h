// Westgard multirules for a run awaiting validation: within each level against the earlier stored
// points of that level, and across the levels of the run. The rules only advise the operator;
// nothing here changes the analyte or the run.
#pragma once

#include <array>
#include <cstdint>

#include "model/UAnalyte.h"
#include "model/UTypes.h"

namespace tervanix {

// The colour of a rule marker: none (not lit), warning (yellow), reject (red).
enum class TRuleState : std::uint8_t { None = 0, Warning = 1, Reject = 2 };

// Per-level rules, in the order of their markers.
enum TLevelRule : int { wr12s = 0, wr13s, wr22s, wrR4s, wr41s, wr10m };
constexpr int LevelRuleCount = 6;
// Across-level rules; their markers take positions 3 to 6 of a level's row.
enum TAcrossRule : int { wa22s = 0, waR4s, wa41s, wa10m };
constexpr int AcrossRuleCount = 4;

extern const std::array<const char*, LevelRuleCount> LevelRuleNames; // "1:2s" ... "10:m"
// Name of an across-level rule for 2 participating levels ("4:1s", "10:m") or 3 ("3:1s", "9:m").
const char* AcrossRuleName(int rule, int participatingCount);
const char* RuleStateName(TRuleState state); // "none", "warning", "reject"

// The consecutive-results counters of one level, the run included.
struct TRunCounters {
    int BelowMean = 1;
    int AboveMean = 1;
    int BelowS = 0; // below mean - s, s being half the alert half-width
    int AboveS = 0;
};

struct TWestgardResult {
    int PreviousPoint = -1; // last stored point dated at or before the run, -1 when none
    std::array<bool, MaxLevels> Participating{};
    int ParticipatingCount = 0;
    // Levels whose rules were computed (also those with uncomputable limits that do not participate).
    std::array<bool, MaxLevels> Evaluated{};
    std::array<std::uint8_t, MaxLevels> Status{qsNoValue, qsNoValue, qsNoValue}; // the run's, 6 beyond LevelCount
    std::array<std::array<TRuleState, LevelRuleCount>, MaxLevels> Rules{};
    std::array<TRunCounters, MaxLevels> Counters{};
    std::array<TRuleState, AcrossRuleCount> Across{};
    TRuleState Alarm = TRuleState::Warning; // red once an evaluated level is beyond its alert limit

    bool ShowsAcross() const { return ParticipatingCount == 2 || ParticipatingCount == 3; }
};

// Whether a level of the run takes part in the multirules and has its markers drawn.
bool LevelParticipates(const TAnalyte& analyte, const TResu& run, int level, bool rejected, bool multirules);

// Classifies the run's levels against the current limits, as a stored point would be.
void ClassifyRun(const TAnalyte& analyte, TResu& run);

// Evaluates the rules for a classified run. Cheap and without side effects: the validation dialog
// calls it again after every reject/retrieve and every change of the multirules switch.
TWestgardResult EvaluateRun(const TAnalyte& analyte, const TResu& run, const std::array<bool, MaxLevels>& rejected,
                            bool multirules);

} // namespace tervanix
