#include "model/USigma.h"

#include <algorithm>
#include <cmath>

#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/UWestgard.h"

namespace tervanix {

TLevelSigma SigmaAgainstGoals(std::optional<double> mean, std::optional<double> cv, const TAnalyteGoals* goals, int level) {
    TLevelSigma s;
    s.Mean = mean;
    s.CV = cv;
    if (goals) {
        s.TeaPercent = goals->TeaPercent;
        s.Target = goals->Targets[static_cast<std::size_t>(level)];
    }
    // A negative target (a base excess) is measured by its size.
    if (mean && s.Target && *s.Target != 0) s.BiasPercent = std::fabs(*mean - *s.Target) / std::fabs(*s.Target) * 100;
    if (cv && *cv > 0 && s.TeaPercent && std::isfinite(*cv))
        s.Sigma = (*s.TeaPercent - s.BiasPercent.value_or(0)) / *cv;
    return s;
}

TLevelSigma LevelSigma(const TAnalyte& analyte, int level, const TAnalyteGoals* goals) {
    const auto l = static_cast<std::size_t>(level);
    const TLevelStats& c = analyte.Current[l];
    const bool statistics = level < analyte.LevelCount && analyte.LimitsMode[l] != lmFixed && c.Status == 0;
    if (!statistics) return SigmaAgainstGoals(std::nullopt, std::nullopt, goals, level);
    return SigmaAgainstGoals(static_cast<double>(c.Mean), static_cast<double>(c.CV), goals, level);
}

double ShownSigma(double sigma) { return std::floor(sigma * 10 + 1e-6) / 10; }

std::string SigmaText(double sigma) { return FormatFixed(ShownSigma(sigma), 18, 1); }

TSigmaBand SigmaBand(double sigma) {
    const double shown = ShownSigma(sigma);
    if (shown >= 6) return TSigmaBand::World;
    if (shown >= 5) return TSigmaBand::Excellent;
    if (shown >= 4) return TSigmaBand::Good;
    if (shown >= 3) return TSigmaBand::Marginal;
    return TSigmaBand::Poor;
}

namespace {
// How many rules the band asks for, in the order 1:3s, 2:2s, R:4s, 4:1s, 10:m.
int RuleCount(double sigma) {
    const double shown = ShownSigma(sigma);
    return shown >= 6 ? 1 : shown >= 5 ? 3 : shown >= 4 ? 4 : 5;
}
} // namespace

std::vector<std::string> SigmaRules(double sigma, int levelCount) {
    const int across = levelCount == 3 ? 3 : 2;
    const std::string names[] = {LevelRuleNames[wr13s], LevelRuleNames[wr22s], LevelRuleNames[wrR4s],
                                 AcrossRuleName(wa41s, across), AcrossRuleName(wa10m, across)};
    return {names, names + RuleCount(sigma)};
}

int ControlsPerRun(double sigma, int levelCount) {
    const int rules = RuleCount(sigma);
    if (levelCount >= 3) return rules == 5 ? 6 : 3;
    return std::max(levelCount, 1) * (rules >= 4 ? 2 : 1);
}

std::string SigmaAdviceText(double sigma, int levelCount) {
    std::string text;
    for (const std::string& rule : SigmaRules(sigma, levelCount)) text += (text.empty() ? "" : ", ") + rule;
    const int controls = ControlsPerRun(sigma, levelCount);
    return text + " - " + std::to_string(controls) + (controls == 1 ? " control measurement" : " control measurements") +
           " per run";
}

} // namespace tervanix
