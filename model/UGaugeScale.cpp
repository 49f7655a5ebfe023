#include "model/UGaugeScale.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tervanix {

namespace {

constexpr long double NoLimitsAlert = 0.5L;
constexpr long double NoLimitsAction = 0.8L;
constexpr long double NoLimitsHalfRange = 1.2L;
constexpr int MaxTicks = 100; // far above what any step yields; guards against a step lost in rounding

long double RoundHalfEven(long double x) {
    const long double below = std::floor(x);
    const long double fraction = x - below;
    if (fraction > 0.5L) return below + 1;
    if (fraction < 0.5L) return below;
    return std::fmod(below, 2.0L) == 0 ? below : below + 1;
}

// Without limits the result sits on the alert boundary on the side where it lies relative to the
// earlier values, or in the middle when there are none or it equals their mean.
long double NoLimitsCentre(long double v, const TLevelStats& current) {
    if (current.N == 0 || std::fabs(v - current.Mean) < 1e-10L) return v;
    return current.Mean >= v ? v + NoLimitsAlert : v - NoLimitsAlert;
}


long double ScaleStep(long double span) {
    const long double unit = ScaleDecade(span);
    const long double ratio = span / unit;
    if (ratio < 1.2L) return 0.1L * unit;
    if (ratio < 2.4L) return 0.2L * unit;
    if (ratio < 3) return 0.4L * unit;
    if (ratio < 6) return 0.5L * unit;
    return unit;
}

// Decimals that show the step: 0.5 needs one, 0.04 two. A relative tolerance keeps a step of
// 0.01 computed as 0.1 x 0.1 from needing a third.
int StepDecimals(long double step) {
    int decimals = 0;
    for (long double p = 1; p > step * (1 + 1e-9L) && decimals < 30; p /= 10) ++decimals;
    return decimals;
}

} // namespace

long double ScaleDecade(long double span) {
    long double unit = 1;
    if (span > 1) {
        unit = 10;
        while (unit < span) unit *= 10;
        return unit / 10;
    }
    while (unit > span) unit /= 10;
    return unit;
}

TGaugeSetup SetUpGauge(const TLevelResult& result, const TLevelStats& current) {
    TGaugeSetup g;
    if (result.Status == qsNoValue) return g;
    g.HasValue = true;
    g.Value = result.Value;
    g.ShowScale = current.Status == 0;
    if (current.Status == 0) {
        g.Centre = current.Mean;
        g.AlertHalfWidth = current.AlertHalfWidth;
        g.ActionHalfWidth = current.ActionHalfWidth;
        g.HalfRange = 1.1L * std::max(g.ActionHalfWidth, std::fabs(g.Value - current.Mean));
    } else {
        g.Centre = NoLimitsCentre(g.Value, current);
        g.AlertHalfWidth = NoLimitsAlert;
        g.ActionHalfWidth = NoLimitsAction;
        g.HalfRange = NoLimitsHalfRange;
    }
    // Fixed limits typed with zero deviations and a result on the target leave no range to scale.
    if (!(g.HalfRange > 0) || !std::isfinite(g.HalfRange)) g.HalfRange = NoLimitsHalfRange;
    return g;
}

int GaugePos(const TGaugeSetup& gauge, long double value, int width) {
    const long double R = gauge.HalfRange;
    const long double x = GaugeMargin + (value + R - gauge.Centre) / (2 * R) * (width - 2 * GaugeMargin);
    if (std::isnan(x)) return GaugeMargin;
    // Far outside the gauge only the side matters; keep the pixel within what a painter accepts.
    return static_cast<int>(std::clamp(RoundHalfEven(x), -1e6L, 1e6L));
}

TGaugeTicks GaugeScaleTicks(long double centre, long double halfRange) {
    TGaugeTicks ticks;
    const long double span = 3 * halfRange;
    if (!(span > 0) || !std::isfinite(span) || !std::isfinite(centre)) return ticks;
    ticks.Step = ScaleStep(span);
    ticks.Decimals = ticks.Step >= 1 ? 0 : StepDecimals(ticks.Step);
    const long double lo = centre - halfRange;
    const long double whole = std::trunc(lo / ticks.Step);
    const long double first = (lo >= 0 ? whole + 1 : whole) * ticks.Step;
    const long double last = centre + halfRange;
    for (int k = 0; k < MaxTicks; ++k) {
        const long double t = first + k * ticks.Step;
        if (t > last) break;
        ticks.Values.push_back(t);
    }
    return ticks;
}

} // namespace tervanix
