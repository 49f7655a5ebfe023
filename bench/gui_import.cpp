// The import dialog filled from a 10,000-line text, as the Import command does before showing it.
#include <benchmark/benchmark.h>

#include <QListView>

#include "dialogs/UImport.h"
#include "model/UAnalyte.h"

using namespace tervanix;

namespace {

std::string TenThousandLines() {
    TAnalyte a("Source", "mmol/L", 2, 3, false);
    for (int i = 0; i < 10000; ++i) {
        TLevelResults levels{};
        for (int l = 0; l < 3; ++l) levels[static_cast<std::size_t>(l)] = {static_cast<float>(4 + l * 5 + (i % 13) * 0.1), 0, {}};
        a.AppendStored({40000 + i + 0.4, levels, -1, {}, {}});
    }
    return a.CopyToText();
}

void BM_ImportDialogFill10k(benchmark::State& state) {
    const std::string text = TenThousandLines();
    const TAnalyte target("Glucose", "mmol/L", 2, 3, false);
    TWinImport dialog;
    for (auto _ : state) {
        dialog.FillFromText(text, target);
        // The visible lines are made when painted: one paint of the list is part of the cost.
        benchmark::DoNotOptimize(dialog.LB()->grab());
    }
}
BENCHMARK(BM_ImportDialogFill10k)->Unit(benchmark::kMillisecond);

} // namespace
