// Small builders for test analytes and runs.
#pragma once

#include <initializer_list>
#include <optional>

#include "model/UAnalyte.h"

namespace tervanix::test {

// A run on day `day` at noon; nullopt levels carry no value.
inline TResu MakeRun(double day, std::initializer_list<std::optional<float>> values, std::string comment = {},
                 std::string op = {}) {
    TResu r;
    r.DateTime = day + 0.5;
    int level = 0;
    for (const auto& v : values) {
        r.Levels[level] = v ? TLevelResult{*v, qsInControl, {}} : TLevelResult{0, qsNoValue, {}};
        ++level;
    }
    r.Comment = std::move(comment);
    r.Operator = std::move(op);
    return r;
}

// One run per day on level 1 only, starting at day 1.
inline void AddSeries(TAnalyte& a, std::initializer_list<float> values, double firstDay = 1) {
    double day = firstDay;
    for (float v : values) a.AddPoint(MakeRun(day++, {v}));
}

} // namespace tervanix::test
