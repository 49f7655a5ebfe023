// Two-sided Student's t critical values for the five risks of the control limits.
#pragma once

#include <array>
#include <cstdint>

#include "model/UTypes.h"

namespace tervanix {

// Rows: TRiskIndex 0..4 (5%, 2%, 1%, 0.5%, 0.2%); columns: df 1..30, 40, 60, 120, infinity.
extern const std::array<std::array<long double, 34>, RiskCount> StudentTable;

// The factor for a risk and df >= 1, interpolated between the tabulated degrees of freedom.
long double StudentFactor(TRiskIndex risk, std::int32_t df);

// The risk as printed beside the limits: "5 %", "2 %", "1 %", "0.5 %", "0.2 %" ("?" out of range).
const char* RiskPercentText(TRiskIndex risk);

} // namespace tervanix
