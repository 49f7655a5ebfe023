// From launch to the main window shown, on a large laboratory's data file: the load of the data
// file, the creation of the main window and its first showing with the charts painted.
// The file is the one the data file benchmark writes (tervanix_core_bench makes it on its first run).
#include <QApplication>
#include <benchmark/benchmark.h>
#include <filesystem>

#include "main/UMain.h"
#include "model/UDataLoadSave.h"
#include "model/UGlobals.h"

using namespace tervanix;

namespace {

std::string LargeFile() { return (std::filesystem::temp_directory_path() / "tervanix-bench" / "Large.qcf").string(); }

void BM_StartupToMainWindowShown(benchmark::State& state) {
    const std::string file = LargeFile();
    if (!std::filesystem::exists(file)) {
        state.SkipWithError("no large data file: run tervanix_core_bench first");
        return;
    }
    for (auto _ : state) {
        LoadDataFile(file);
        TWinMain window;
        window.SetScreenChecks(false);
        window.show();
        QApplication::processEvents();
        window.PBox()->repaint();
        benchmark::DoNotOptimize(window.CurrentAnalyte());
    }
    state.counters["analytes"] = Analytes.Count();
    Analytes.FreeAll();
    Materials.Clear();
}
BENCHMARK(BM_StartupToMainWindowShown)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
