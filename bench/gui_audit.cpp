// The audit trail in the program: a run accepted (its audit line, the recompute and the data file
// written, in a small and in a large laboratory) against the audit line alone, and the audit window opened on
// a 1,000,000-line trail until its newest 10,000 entries are shown.
#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "dialogs/UAuditTrail.h"
#include "main/ULaboratory.h"
#include "model/UAnalyte.h"
#include "model/UAuditTrail.h"
#include "model/UDataLoadSave.h"
#include "model/UGlobals.h"

#include "LargeAuditTrail.h"
#include "LargeLaboratory.h"

using namespace tervanix;

namespace {

// Glucose with a year of daily runs in a fresh data folder, the program's laboratory on it.
struct TBenchFolder {
    QTemporaryDir folder;
    std::string savedDir = ProgramDir;
    TBenchFolder() {
        SetProgramDir(folder.path().toStdString());
        Analytes.FreeAll();
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false));
        a.GenerateRandomPoints(365, {{{5, 0, {}}, {10, 0, {}}, {15, 0, {}}}},
                               {{{3, 0, {}}, {3, 0, {}}, {3, 0, {}}}}, 46000.5);
        a.RecomputeAll();
        Laboratory().SaveData();
    }
    ~TBenchFolder() {
        Analytes.FreeAll();
        SetProgramDir(savedDir);
    }
};

TResu Run(TDateTime when) {
    TResu run;
    run.DateTime = when;
    run.AnalyteName = "Glucose";
    run.Operator = "AB";
    for (std::size_t l = 0; l < MaxLevels; ++l)
        run.Levels[l] = {5.0f * float(l + 1), qsInControl, {}};
    return run;
}

void BM_AcceptRunWithAuditLine(benchmark::State& state) {
    TBenchFolder lab;
    TAnalyte& glucose = Analytes[0];
    double when = 46400.5;
    for (auto _ : state)
        Laboratory().StoreRun(glucose, Run(when += 0.001));
}

// The same in the large laboratory (300 analytes, 48 MB data file), as a busy laboratory's file.
void BM_AcceptRunWithAuditLineLargeLaboratory(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string savedDir = ProgramDir;
    SetProgramDir(folder.path().toStdString());
    LoadDataFile(bench::LargeFilePath());
    TAnalyte& first = Analytes[0];
    double when = 46400.5;
    for (auto _ : state)
        Laboratory().StoreRun(first, Run(when += 0.001));
    Analytes.FreeAll();
    Materials.Clear();
    SetProgramDir(savedDir);
}

void BM_AuditLineOfAnAcceptedRun(benchmark::State& state) {
    TBenchFolder lab;
    TAnalyte& glucose = Analytes[0];
    for (auto _ : state)
        Laboratory().Audit({AuditNote("run.stored", QStringLiteral("Glucose"), 0, RunDetails(Run(46400.5), 3),
                                      QStringLiteral("AB"))});
    benchmark::DoNotOptimize(glucose);
}

void BM_AuditWindowShowsNewest10000Of1M(benchmark::State& state) {
    const std::string& path = bench::LargeAuditPath();
    for (auto _ : state) {
        TWinAuditTrail window;
        window.Open(path);
        state.PauseTiming();
        QEventLoop checked;
        QObject::connect(&window, &TWinAuditTrail::ChainChecked, &checked, &QEventLoop::quit);
        if (!window.Checked()) checked.exec();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_AcceptRunWithAuditLine)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_AcceptRunWithAuditLineLargeLaboratory)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_AuditLineOfAnAcceptedRun)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_AuditWindowShowsNewest10000Of1M)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
