// Reference-data figures: opening the analyte dialog on a large laboratory, and the OK of a lot
// change that archives the series of every analyte measured on the material.
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>

#include "LargeLaboratory.h"
#include "dialogs/UDefAnalytes.h"
#include "dialogs/UDefSerum.h"
#include "main/ULaboratory.h"
#include "main/UMessages.h"
#include "main/UTabList.h"
#include "model/UDataLoadSave.h"
#include "model/UGlobals.h"

namespace tervanix {
namespace {

constexpr int AnalyteCount = 300;
constexpr int RunsPerAnalyte = 60;

// Every question answered OK, nothing shown.
class TAnswerOK final : public IMessageService {
public:
    TMsgButton Show(const QString&, TMsgType, TMsgButtons) override { return TMsgButton::OK; }
};

// 300 analytes of three levels with two months of runs, all measured on one material on level 1.
std::int32_t FillLaboratory() {
    Analytes.FreeAll();
    Materials = TListSerum();
    const std::int32_t id = Materials.AddMaterial("Lyphochek", "L1").Id;
    Materials.AddMaterial("Other", "O1");
    for (int i = 0; i < AnalyteCount; ++i) {
        TAnalyte& a = Analytes.Add(std::make_unique<TAnalyte>("Analyte " + std::to_string(i), "mmol/L", 2, 3, false));
        a.MaterialId = {id, id + 1, id + 1};
        for (int d = 0; d < RunsPerAnalyte; ++d) {
            TResu run;
            run.DateTime = 46000 + d + 0.5;
            for (int l = 0; l < 3; ++l) run.Levels[l] = {static_cast<float>(5 + l + (d % 7) * 0.1), qsInControl, {}};
            a.AddPoint(run);
        }
        a.RecomputeAll();
    }
    return id;
}

void BM_OpenDefAnalytes300(benchmark::State& state) {
    FillLaboratory();
    TWinDefAnalytes dialog;
    for (auto _ : state) {
        dialog.show(); // activation: the working copy is filled from the live list
        QApplication::processEvents();
        dialog.hide();
        QApplication::processEvents();
    }
    state.counters["lines"] = dialog.LBox()->count();
    Analytes.FreeAll();
}
BENCHMARK(BM_OpenDefAnalytes300)->Unit(benchmark::kMillisecond);

// The OK of a lot change on the laboratory that `fill` builds: every series measured on the
// first material's lot is archived and erased, the limits recomputed, then the data file is saved.
template <typename Fill>
void LotChangeOK(benchmark::State& state, Fill fill) {
    QTemporaryDir folder;
    const std::string savedDir = ProgramDir;
    SetProgramDir(folder.path().toStdString());
    TAnswerOK answers;
    IMessageService* previous = SetMessageService(&answers);
    TWinDefSerum dialog;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& e : std::filesystem::directory_iterator(ProgramDir)) std::filesystem::remove(e.path());
        fill();
        dialog.show();
        QApplication::processEvents();
        dialog.LBSerum()->setCurrentRow(0);
        dialog.EditLot()->setText(QStringLiteral("L2"));
        dialog.EraseClick();
        state.ResumeTiming();
        // The OK's path: the laboratory applies the edit, recomputes and writes the file.
        Laboratory().EditAnalyteDefinitions({}, [&dialog] { dialog.ApplyWorkingCopy(); });
        state.PauseTiming();
        dialog.hide();
        state.ResumeTiming();
    }
    int archives = 0;
    for (const auto& e : std::filesystem::directory_iterator(ProgramDir)) archives += e.path().extension() == ".qca";
    state.counters["archives"] = archives;
    SetMessageService(previous);
    Analytes.FreeAll();
    Materials = TListSerum();
    SetProgramDir(savedDir);
}

// Two months of runs per analyte.
void BM_LotChangeOK300(benchmark::State& state) { LotChangeOK(state, [] { FillLaboratory(); }); }
BENCHMARK(BM_LotChangeOK300)->Unit(benchmark::kMillisecond)->Iterations(10);

// Ten years of daily runs per analyte (the shared large data file, about 48 MB).
void BM_LotChangeOK300TenYears(benchmark::State& state) {
    LotChangeOK(state, [] { LoadDataFile(bench::LargeFilePath()); });
}
BENCHMARK(BM_LotChangeOK300TenYears)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace tervanix
