// Sigma metrics of a method and the Westgard Sigma rules they advise: Sigma = (TEa - |bias|) / CV,
// from the limits in use (or a month's statistics) against the laboratory's quality goals. Advice
// only: the validation dialog evaluates the rules it always does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/UQualityGoals.h"
#include "model/UTypes.h"

namespace tervanix {

class TAnalyte;

// What a level's Sigma rests on; nothing where there is none.
struct TLevelSigma {
    std::optional<double> TeaPercent;
    std::optional<double> Target;
    std::optional<double> Mean;
    std::optional<double> CV;          // in %
    std::optional<double> BiasPercent; // none when the target is not given or is 0: bias unknown
    std::optional<double> Sigma;
};

// Sigma of a mean and CV against the goals of one level (target of that level, TEa of the
// analyte): bias % = |mean - target| / |target| x 100, taken as 0 when unknown; a Sigma only with
// a CV above 0 and a TEa.
TLevelSigma SigmaAgainstGoals(std::optional<double> mean, std::optional<double> cv, const TAnalyteGoals* goals, int level);

// The Sigma of a level from Current[level]: only for limits that are valid (Status 0) and not
// fixed (a fixed level's CV is not the method's).
TLevelSigma LevelSigma(const TAnalyte& analyte, int level, const TAnalyteGoals* goals);

// The Sigma as it is shown and judged: one decimal, never rounded up (5.96 is 5.9), so that the
// advice never asks for less QC than the method earns; the binary noise of an exact quotient
// (6.6 / 1.1) does not take it below its decimal.
double ShownSigma(double sigma);
std::string SigmaText(double sigma); // "5.9", with the locale's decimal separator

// The colour bands of the Sigma scale.
enum class TSigmaBand { World = 0, Excellent, Good, Marginal, Poor }; // >= 6, 5-6, 4-5, 3-4, < 3
TSigmaBand SigmaBand(double sigma);

// The Westgard Sigma rules for the Sigma, named as the validation dialog names them; an analyte of
// three levels uses "3:1s" and "9:m" for "4:1s" and "10:m".
std::vector<std::string> SigmaRules(double sigma, int levelCount);
// Control measurements per run the rules imply: 2, 2, 4, 4 for two levels (Sigma >= 6, 5-6, 4-5,
// < 4), 3, 3, 3, 6 for three, 1, 1, 2, 2 for one.
int ControlsPerRun(double sigma, int levelCount);
// "1:3s, 2:2s, R:4s - 2 control measurements per run".
std::string SigmaAdviceText(double sigma, int levelCount);

} // namespace tervanix
