// Cost of one evaluation of the multirules, as the validation dialog runs it after every click.
#include <benchmark/benchmark.h>

#include "model/UAnalyte.h"
#include "model/URandom.h"
#include "model/UWestgard.h"

using namespace tervanix;

namespace {

TLevelTriple Means() { return {{{3, 0, {}}, {5, 0, {}}, {12, 0, {}}}}; }
TLevelTriple Cvs() { return {{{3, 0, {}}, {3, 0, {}}, {3, 0, {}}}}; }

void BM_EvaluateRunOn10000Points(benchmark::State& state) {
    Random().SetSeed(1234);
    TAnalyte a("Glucose", "mmol/L", 1, 3, false);
    a.GenerateRandomPoints(10000, Means(), Cvs(), 40000.5);
    TResu run = a.MakeRandomEntry(Means(), Cvs(), 45000.5);
    ClassifyRun(a, run);
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateRun(a, run, {}, true));
}
BENCHMARK(BM_EvaluateRunOn10000Points)->Unit(benchmark::kMicrosecond);

// The longest walks: the third level has had no value since the first of 10,000 runs.
void BM_EvaluateRunWithALongEmptyLevel(benchmark::State& state) {
    Random().SetSeed(1234);
    TAnalyte a("Glucose", "mmol/L", 1, 3, false);
    a.GenerateRandomPoints(10000, Means(), Cvs(), 40000.5);
    for (int i = 1; i < a.Count(); ++i) a.Point(i).Levels[2].Status = qsNoValue;
    TResu run = a.MakeRandomEntry(Means(), Cvs(), 45000.5);
    ClassifyRun(a, run);
    for (auto _ : state) benchmark::DoNotOptimize(EvaluateRun(a, run, {}, true));
}
BENCHMARK(BM_EvaluateRunWithALongEmptyLevel)->Unit(benchmark::kMicrosecond);

} // namespace
