// Arithmetic of the validation gauge: where a result sits among its alert and action limits,
// and the graduated scale drawn above it. Drawing itself is the dialog's.
#pragma once

#include <vector>

#include "model/UTypes.h"

namespace tervanix {

constexpr int GaugeWidth = 410;
constexpr int GaugeMargin = 20; // bands and positions start 20 pixels in from each side

struct TGaugeSetup {
    bool HasValue = false;  // false: the gauge shows "No data"
    long double Value = 0;  // the run's result
    long double Centre = 0;
    long double AlertHalfWidth = 0;
    long double ActionHalfWidth = 0;
    long double HalfRange = 1.2;
    bool ShowScale = false; // only with computable limits; otherwise the gauge has no unit
};

struct TGaugeTicks {
    long double Step = 0;
    int Decimals = 0;                 // of every tick label
    std::vector<long double> Values;  // ascending, from the first tick to the centre + half-range
};

// The gauge of one level from the run's result and status and the level's limits in use.
TGaugeSetup SetUpGauge(const TLevelResult& result, const TLevelStats& current);

// Horizontal pixel of a value: the half-range on each side of the centre fills the width less the
// margins; rounded to the nearest pixel, halves to even.
int GaugePos(const TGaugeSetup& gauge, long double value, int width = GaugeWidth);

// Ticks of the scale of a gauge: a decimal step chosen from a span of three half-ranges.
TGaugeTicks GaugeScaleTicks(long double centre, long double halfRange);

// The largest power of ten not above the span (the unit of a scale's step rule).
long double ScaleDecade(long double span);

} // namespace tervanix
