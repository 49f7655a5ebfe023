// Figures of the data table and of printing to PDF: the data table opening on a long series, the
// data table of ten years of daily runs and a year of three-level charts written as PDF files.
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "charts/UPrnCharts.h"
#include "charts/UPrnData.h"
#include "dialogs/UShowData.h"
#include "model/UAnalyte.h"
#include "model/ULists.h"
#include "model/UDateTime.h"
#include "model/URandom.h"

using namespace tervanix;

namespace {

TLevelTriple Triple(float a, float b, float c) { return {{{a, 0, {}}, {b, 0, {}}, {c, 0, {}}}}; }

// Daily runs of three levels with a comment every tenth run, limits computed.
std::unique_ptr<TAnalyte> DailyRuns(int count) {
    Random().SetSeed(4321);
    auto a = std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false);
    a->GenerateRandomPoints(count, Triple(5.5f, 12, 250), Triple(3, 3, 4), EncodeDate(2016, 1, 1));
    for (int i = 0; i < count; i += 10) a->Point(i).CommentId = a->Comments.Add("recalibrated");
    a->RecomputeAll();
    return a;
}

// From the activation to the first paint of the table, the window shown.
void BM_DataTableOpensOn10000Runs(benchmark::State& state) {
    const auto analyte = DailyRuns(10000);
    TWinShowData dialog;
    for (auto _ : state) {
        dialog.Prepare(*analyte, 9999);
        dialog.show();
        QApplication::processEvents();
        state.PauseTiming();
        dialog.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DataTableOpensOn10000Runs)->Unit(benchmark::kMillisecond);

// Drawing, PDF encoding and the atomic write of the file.
void WritePdfLoop(benchmark::State& state, const TPrintJob& job) {
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("report.pdf")).toStdString();
    for (auto _ : state) WritePdfAtomic(path, job);
}

void BM_PrintDataTableOf3650RunsToPdf(benchmark::State& state) {
    const auto analyte = DailyRuns(3650);
    const TListSerum materials;
    WritePdfLoop(state, DataTableJob(*analyte, materials, {0, 3649}, true));
}
BENCHMARK(BM_PrintDataTableOf3650RunsToPdf)->Unit(benchmark::kMillisecond);

void BM_PrintThreeLevelChartsOf365RunsToPdf(benchmark::State& state) {
    const auto analyte = DailyRuns(365);
    const TListSerum materials;
    WritePdfLoop(state, ChartsJob(*analyte, materials, {0, 364}, {{true, true, true}, true, true}));
}
BENCHMARK(BM_PrintThreeLevelChartsOf365RunsToPdf)->Unit(benchmark::kMillisecond);

} // namespace
