// The running sums of one level over a range of points, in series order: what the statistics of a
// level (the limits, the monthly summary) are computed from, so that every figure the laboratory
// reads follows the same rule and the same extended precision.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/UTypes.h"

namespace tervanix {

// Status 5 (discarded) is counted apart and status 6 (no value) skipped: neither is a value.
// Sum and squares are extended accumulators; Min and Max are kept as the values are stored, in
// single precision, which widens them exactly (1e10 is a single too). Used as locals, the sums
// stay in registers.
struct TLevelSums {
    std::int32_t N = 0;
    std::int32_t Discarded = 0;
    long double Sum = 0, Squares = 0;
    float Min = 1e10f, Max = -1e10f;

    void Add(const TLevelResult& r) {
        if (r.Status == qsDiscarded) {
            ++Discarded;
        } else if (r.Status != qsNoValue) {
            const long double v = r.Value;
            ++N;
            Sum += v;
            Squares += v * v;
            Min = std::min(Min, r.Value);
            Max = std::max(Max, r.Value);
        }
    }

    long double Mean() const { return Sum / N; }
    // The sample SD (n - 1); needs N >= 2. Rounding can leave a tiny negative variance for nearly
    // equal values, which is none.
    long double SD() const { return std::sqrt(std::max(0.0L, (Squares - Sum * Sum / N) / (N - 1))); }
};

} // namespace tervanix
