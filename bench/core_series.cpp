// Cost of accepting one run into a long series, and of the statistics of a level.
#include <benchmark/benchmark.h>

#include "model/UAnalyte.h"
#include "model/URandom.h"

using namespace tervanix;

namespace {

TLevelTriple Triple(float a, float b, float c) { return {{{a, 0, {}}, {b, 0, {}}, {c, 0, {}}}}; }

std::unique_ptr<TAnalyte> SeriesOf(int points) {
    Random().SetSeed(1234);
    auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 1, 3, true);
    a->GenerateRandomPoints(points, Triple(3, 5, 12), Triple(3, 3, 3), 40000.5);
    return a;
}

// What the entry of a run costs: store it, recompute the limits, classify the stored point.
void BM_AcceptRunInto10000Points(benchmark::State& state) {
    auto a = SeriesOf(10000);
    const TResu run = a->MakeRandomEntry(Triple(3, 5, 12), Triple(3, 3, 3), 45000.5);
    for (auto _ : state) {
        const int pos = a->AddPoint(run);
        a->RecomputeAll();
        a->ClassifyPoint(a->Point(pos));
        benchmark::DoNotOptimize(a->Current);
        state.PauseTiming();
        a->DeletePoint(pos); // keep the series at 10,000 points
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AcceptRunInto10000Points)->Unit(benchmark::kMicrosecond);

void BM_ComputeStats100000Points(benchmark::State& state) {
    auto a = SeriesOf(100000);
    TLevelStats s;
    for (auto _ : state) {
        a->ComputeStats(0, 0, a->Count() - 1, s);
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations() * a->Count());
}
BENCHMARK(BM_ComputeStats100000Points)->Unit(benchmark::kMicrosecond);

} // namespace
