// Import of a spreadsheet's text into a three-level analyte, as `tervanix-cli import` does it:
// the data file read, 100,000 lines parsed, the runs added with limits and classes recomputed, and
// the data file written back.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/UAnalyte.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UFormat.h"
#include "model/UImportText.h"

using namespace tervanix;

namespace {

// One run a day from 1980 on, time and three values, as the export writes them.
std::string ImportText(int lines) {
    TAnalyte a("Source", "mmol/L", 2, 3, false);
    TResu run;
    for (int i = 0; i < lines; ++i) {
        run.DateTime = 29221 + i + 0.4 + (i % 7) * 0.01;
        for (int l = 0; l < 3; ++l) run.Levels[static_cast<std::size_t>(l)] = {static_cast<float>(4 + l * 5 + (i % 13) * 0.1), 0, {}};
        a.AppendStored({run.DateTime, run.Levels, -1, {}, {}});
    }
    return a.CopyToText();
}

void BM_ParseImportText(benchmark::State& state) {
    const std::string text = ImportText(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ParseImportText(text));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseImportText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CliImport100k(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "tervanix-bench";
    std::filesystem::create_directories(dir);
    const std::string textPath = (dir / "import100k.txt").string();
    const std::string dataPath = (dir / "Import.qcf").string();
    WriteFileAtomic(textPath, ImportText(100000), "Cannot write");
    TListAnalytes empty;
    empty.Add(std::make_unique<TAnalyte>("Glucose", "mmol/L", 2, 3, false));
    const std::string emptyFile = EncodeDataFile(TListSerum(), empty);
    for (auto _ : state) {
        state.PauseTiming();
        WriteFileAtomic(dataPath, emptyFile, "Cannot write");
        state.ResumeTiming();
        TListSerum materials;
        TListAnalytes analytes;
        DecodeDataFile(*ReadWholeFile(dataPath), materials, analytes);
        const std::vector<TImportRun> runs = ParseImportText(*ReadWholeFile(textPath, MaxImportTextBytes));
        AddImportedRuns(analytes[0], runs);
        WriteFileAtomic(dataPath, EncodeDataFile(materials, analytes), "Cannot write");
    }
}
BENCHMARK(BM_CliImport100k)->Unit(benchmark::kMillisecond);

} // namespace
