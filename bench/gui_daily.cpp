// The daily QC summary of one day over the large laboratory's file (300 analytes, ten years of
// daily runs): the day's runs collected, and the window's list filled with their lines and marks;
// also the day's sheet drawn as a PDF.
#include <QCalendarWidget>
#include <benchmark/benchmark.h>

#include "charts/UDailyQC.h"
#include "model/UDateTime.h"
#include "model/UGlobals.h"

#include "LargeLaboratory.h"

using namespace tervanix;

namespace {

// A day in the middle of the series (the walk passes five years of later runs) and the last day.
constexpr double MiddleDay = bench::LargeFirstDay + bench::LargeRunsPerAnalyte / 2;
constexpr double LastDay = bench::LargeFirstDay + bench::LargeRunsPerAnalyte - 1;

void LoadLargeFile() {
    static const bool loaded = (LoadDataFile(bench::LargeFilePath()), true);
    (void)loaded;
}

void BM_CollectDayRuns(benchmark::State& state) {
    LoadLargeFile();
    const double day = state.range(0) ? LastDay : MiddleDay;
    for (auto _ : state) benchmark::DoNotOptimize(CollectDayRuns(Analytes, day));
    state.counters["runs"] = static_cast<double>(CollectDayRuns(Analytes, day).size());
}

// What a click on the calendar costs: the walk, 300 lines of text and the list rebuilt.
void BM_DailySummaryFill(benchmark::State& state) {
    LoadLargeFile();
    TWinDailyQC window;
    const TDateParts d = DecodeDate(state.range(0) ? LastDay : MiddleDay);
    window.Calendar()->setSelectedDate(QDate(d.Year, d.Month, d.Day));
    for (auto _ : state) window.FillDayList();
}

void BM_DailySheetPdf(benchmark::State& state) {
    LoadLargeFile();
    const std::vector<TDayRun> runs = CollectDayRuns(Analytes, MiddleDay);
    const TPrintJob job = DailyPrintJob(runs, MiddleDay);
    for (auto _ : state) benchmark::DoNotOptimize(RenderPdf(job));
}

BENCHMARK(BM_CollectDayRuns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailySummaryFill)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailySheetPdf)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
