// The quality goals over the large laboratory's file (300 analytes, ten years of daily runs on three
// levels, goals for every analyte): the Sigma of every level, the monthly summary of one month, the
// two windows filled, and the month's summary drawn as a PDF.
#include <benchmark/benchmark.h>

#include "charts/UMonthlySummary.h"
#include "charts/UQualityPages.h"
#include "dialogs/UQualityGoals.h"
#include "main/ULaboratory.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"

#include "LargeLaboratory.h"

using namespace tervanix;

namespace {

// A month in the middle of the ten years.
const TMonth Month = [] {
    const TDateParts d = DecodeDate(bench::LargeFirstDay + bench::LargeRunsPerAnalyte / 2);
    return TMonth{d.Year, d.Month};
}();

TQualityGoals LargeGoals() {
    TQualityGoals goals;
    for (int i = 0; i < Analytes.Count(); ++i) goals.Set(Analytes[i].Name.view(), {10.0, {3.0, 5.0, 12.0}});
    return goals;
}

void LoadLargeFile() {
    static const bool loaded = (LoadDataFile(bench::LargeFilePath()), true);
    (void)loaded;
}

void BM_SigmaOfEveryLevel(benchmark::State& state) {
    LoadLargeFile();
    const TQualityGoals goals = LargeGoals();
    for (auto _ : state) benchmark::DoNotOptimize(SigmaLines(Analytes, goals));
    state.counters["levels"] = static_cast<double>(SigmaLines(Analytes, goals).size());
}

void BM_MonthlySummary(benchmark::State& state) {
    LoadLargeFile();
    const TQualityGoals goals = LargeGoals();
    for (auto _ : state) benchmark::DoNotOptimize(MonthlySummary(Analytes, Month, goals));
    state.counters["lines"] = static_cast<double>(MonthlySummary(Analytes, Month, goals).size());
}

// What opening the windows costs: the lines computed, their texts and the grids filled.
void BM_QualityGoalsWindowFill(benchmark::State& state) {
    LoadLargeFile();
    TWinQualityGoals window;
    for (auto _ : state) window.Prepare();
}

void BM_MonthlySummaryWindowFill(benchmark::State& state) {
    LoadLargeFile();
    TWinMonthlySummary window;
    for (auto _ : state) window.SetMonth(Month);
}

void BM_MonthlySummaryPdf(benchmark::State& state) {
    LoadLargeFile();
    const TPrintJob job = MonthlySummaryPrintJob(MonthlySummary(Analytes, Month, LargeGoals()), Materials, Month);
    for (auto _ : state) benchmark::DoNotOptimize(RenderPdf(job));
}

BENCHMARK(BM_SigmaOfEveryLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthlySummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QualityGoalsWindowFill)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MonthlySummaryWindowFill)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MonthlySummaryPdf)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
