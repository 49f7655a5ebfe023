// Statistics, control limits and classification of an analyte's levels.
#include <algorithm>
#include <cmath>

#include "model/UAnalyte.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/ULevelSums.h"
#include "model/UStudent.h"

namespace tervanix {
namespace {

constexpr long double Tiny = 1e-10L;

// No value to compute on: a neutral scale around zero.
void SetEmptyStats(TLevelStats& s) {
    s.Mean = 0;
    s.ChartLow = -1;
    s.ChartHigh = 1;
    s.AlertHalfWidth = 0.5L;
    s.ActionHalfWidth = 0.8L;
    s.DegreesOfFreedom = 0;
    s.Status = qsNoValue;
}

// Values without spread: no SD, a scale and half-widths in proportion to the mean.
void SetNoSpreadStats(TLevelStats& s) {
    if (std::fabs(s.Mean) < Tiny) {
        SetEmptyStats(s);
        return;
    }
    s.Status = qsNoValue;
    s.DegreesOfFreedom = 0;
    s.ChartLow = s.Mean - std::fabs(s.Mean);
    s.ChartHigh = s.Mean + std::fabs(s.Mean);
    s.AlertHalfWidth = std::fabs(0.5L * s.Mean);
    s.ActionHalfWidth = std::fabs(0.8L * s.Mean);
}

void RefuseNonFiniteLimits(TLevelStats& s, const TLevelStats& all);

// Mean, SD, CV, degrees of freedom, chart range and half-widths of the sums; the CV is left as it
// was when it cannot be computed.
void FinishValues(const TLevelSums& sums, TLevelStats& s) {
    s.NotComputable = false;
    const std::int32_t N = sums.N;
    s.N = N;
    s.DiscardedCount = sums.Discarded;
    s.Min = sums.Min;
    s.Max = sums.Max;
    if (N == 0) {
        SetEmptyStats(s);
        return;
    }
    s.Mean = sums.Mean();
    if (static_cast<long double>(sums.Max) - sums.Min < Tiny) {
        SetNoSpreadStats(s);
        return;
    }
    s.ChartLow = sums.Min;
    s.ChartHigh = sums.Max;
    s.DegreesOfFreedom = N - 1;
    const long double sd = sums.SD();
    if (std::fabs(s.Mean) < Tiny) {
        s.Status = qsNoValue;
    } else {
        s.CV = static_cast<float>(sd * 100 / std::fabs(s.Mean));
        s.Status = 0;
    }
    s.AlertHalfWidth = StudentFactor(Settings.AlertRisk, N - 1) * sd;
    s.ActionHalfWidth = StudentFactor(Settings.ActionRisk, N - 1) * sd;
}

// Every range's statistics, not only the limits in use, are refused when they overflow, so no
// printout shows an infinite CV.
void Finish(const TLevelSums& sums, TLevelStats& s) {
    FinishValues(sums, s);
    RefuseNonFiniteLimits(s, s);
}

// Limits that are not finite (values so large that a CV or a half-width overflows) are not
// computable: status qsNoValue, and finite placeholders for the scale so that nothing draws or
// compares infinities.
void RefuseNonFiniteLimits(TLevelStats& s, const TLevelStats& all) {
    const bool finite = std::isfinite(s.Mean) && std::isfinite(s.AlertHalfWidth) && std::isfinite(s.ActionHalfWidth) &&
                        std::isfinite(s.CV) && std::isfinite(s.ChartLow) && std::isfinite(s.ChartHigh);
    if (finite) return;
    s.NotComputable = true;
    s.Status = qsNoValue;
    if (!std::isfinite(s.Mean)) s.Mean = 0;
    s.CV = 0;
    s.AlertHalfWidth = 0;
    s.ActionHalfWidth = 0;
    s.DegreesOfFreedom = 0;
    const bool range = all.N > 0 && std::isfinite(all.Min) && std::isfinite(all.Max) && all.Max > all.Min;
    s.ChartLow = range ? all.Min : s.Mean - 1;
    s.ChartHigh = range ? all.Max : s.Mean + 1;
}

void WidenToActionLimits(TLevelStats& s) {
    s.ChartHigh = std::max(s.ChartHigh, s.Mean + s.ActionHalfWidth);
    s.ChartLow = std::min(s.ChartLow, s.Mean - s.ActionHalfWidth);
}

} // namespace

std::string CVText(const TLevelStats& s, int precision) {
    if (s.NotComputable) return NotComputableText;
    return s.Status != 0 ? std::string() : FormatFixed(s.CV, precision, 1);
}

void TAnalyte::ComputeStats(int level, int first, int last, TLevelStats& s) const {
    TLevelSums sums;
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    for (int i = first; i <= last; ++i) sums.Add(Point(i).Levels[level]);
    Finish(sums, s);
}

namespace {
// AllPoints of the first Levels levels in one walk over the series: a long history is read from
// memory once, and the sums of each level keep their own order. Three named sums rather than an
// array, so that the compiler keeps every one in registers.
template <int Levels>
void WholeSeriesStats(const std::vector<TQCPoint*>& points, std::array<TLevelStats, MaxLevels>& out) {
    TLevelSums first, second, third;
    for (const TQCPoint* p : points) {
        first.Add(p->Levels[0]);
        if constexpr (Levels > 1) second.Add(p->Levels[1]);
        if constexpr (Levels > 2) third.Add(p->Levels[2]);
    }
    Finish(first, out[0]);
    if constexpr (Levels > 1) Finish(second, out[1]);
    if constexpr (Levels > 2) Finish(third, out[2]);
}
} // namespace

void TAnalyte::ComputeWholeSeriesStats(int levels) {
    if (levels == 1) WholeSeriesStats<1>(points_, AllPoints);
    if (levels == 2) WholeSeriesStats<2>(points_, AllPoints);
    if (levels == 3) WholeSeriesStats<3>(points_, AllPoints);
}

void TAnalyte::SetMobileChartRange(int level) {
    if (Current[level].N >= 1) WidenToActionLimits(Current[level]);
}

void TAnalyte::RecomputeLevel(int level) {
    ComputeStats(level, 0, Count() - 1, AllPoints[level]);
    SetCurrentLimits(level);
}

// Current from AllPoints (already computed) by the level's limits mode.
void TAnalyte::SetCurrentLimits(int level) {
    switch (LimitsMode[level]) {
    case lmLocked: {
        ComputeStats(level, LockFirst[level], LockLast[level], Current[level]);
        if (Current[level].Status != qsNoValue) {
            Current[level].ChartLow = AllPoints[level].ChartLow;
            Current[level].ChartHigh = AllPoints[level].ChartHigh;
            SetMobileChartRange(level);
            return;
        }
        // The interval no longer yields limits: back to mobile limits.
        LimitsMode[level] = lmMobile;
        LockFirst[level] = LockLast[level] = -1;
        [[fallthrough]];
    }
    case lmMobile:
        Current[level] = AllPoints[level];
        SetMobileChartRange(level);
        return;
    case lmFixed:
    default: {
        TLevelStats& c = Current[level];
        c.Status = 0;
        c.NotComputable = false;
        c.ChartHigh = c.Mean + c.ActionHalfWidth;
        c.ChartLow = c.Mean - c.ActionHalfWidth;
        const TLevelStats& all = AllPoints[level];
        if (all.N + all.DiscardedCount >= 1) {
            c.ChartHigh = std::max(c.ChartHigh, all.Max);
            c.ChartLow = std::min(c.ChartLow, all.Min);
        }
        return;
    }
    }
}

void TAnalyte::RecomputeAll() {
    const int levels = std::clamp(LevelCount, 0, MaxLevels);
    ComputeWholeSeriesStats(levels);
    for (int level = 0; level < levels; ++level) SetCurrentLimits(level);
    if (HasOption(aoCommonCV)) ApplyCommonCV();
    for (int level = 0; level < levels; ++level) RefuseNonFiniteLimits(Current[level], AllPoints[level]);
}

void TAnalyte::ApplyCommonCV() {
    long double sum = 0;
    std::int32_t dfTotal = 0;
    for (int level = 0; level < LevelCount && level < MaxLevels; ++level) {
        const TLevelStats& c = Current[level];
        if (LimitsMode[level] == lmFixed || c.Status != 0) continue;
        const long double cv = c.CV / 100.0L;
        sum += cv * cv * c.DegreesOfFreedom;
        dfTotal += c.DegreesOfFreedom;
    }
    if (dfTotal <= 0) return;
    const long double cvc = std::sqrt(sum / dfTotal);
    for (int level = 0; level < LevelCount && level < MaxLevels; ++level) {
        TLevelStats& c = Current[level];
        if (LimitsMode[level] == lmFixed || c.N <= 0) continue;
        // The CV is relative to the size of the mean: a level with a negative mean (base excess)
        // still gets limits on both sides of it.
        const long double sd = cvc * std::fabs(c.Mean);
        c.Status = 0;
        c.CV = static_cast<float>(cvc * 100);
        c.AlertHalfWidth = StudentFactor(Settings.AlertRisk, dfTotal) * sd;
        c.ActionHalfWidth = StudentFactor(Settings.ActionRisk, dfTotal) * sd;
        c.DegreesOfFreedom = dfTotal;
        c.ChartHigh = std::max(c.Mean + c.ActionHalfWidth, AllPoints[level].ChartHigh);
        c.ChartLow = std::min(c.Mean - c.ActionHalfWidth, AllPoints[level].ChartLow);
    }
}

void TAnalyte::ClassifyPoint(TQCPoint& point) const {
    for (int level = 0; level < LevelCount && level < MaxLevels; ++level) {
        TLevelResult& r = point.Levels[level];
        if (r.Status == qsDiscarded || r.Status == qsNoValue) continue;
        const TLevelStats& c = Current[level];
        if (LimitsMode[level] == lmMobile && c.Status == qsNoValue) {
            r.Status = qsInControl;
            continue;
        }
        const long double v = r.Value;
        if (c.Mean - v >= c.ActionHalfWidth)
            r.Status = qsLowAction;
        else if (c.Mean - v >= c.AlertHalfWidth)
            r.Status = qsLowAlert;
        else if (v - c.Mean >= c.ActionHalfWidth)
            r.Status = qsHighAction;
        else if (v - c.Mean >= c.AlertHalfWidth)
            r.Status = qsHighAlert;
        else
            r.Status = qsInControl;
    }
}

void TAnalyte::ClassifyAll() {
    for (TQCPoint* p : points_) ClassifyPoint(*p);
}

} // namespace tervanix
