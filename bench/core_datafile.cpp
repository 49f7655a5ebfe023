// Load and save of a large laboratory's data file (300 analytes x 3,650 runs, about 48 MB),
// against reading and writing the same bytes with no decoding at all.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "model/UAnalyte.h"
#include "model/UDataLoadSave.h"
#include "model/UFileStore.h"
#include "model/UGlobals.h"
#include "model/URandom.h"

#include "LargeLaboratory.h"

using namespace tervanix;
using tervanix::bench::LargeFilePath;

namespace {

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(LargeFilePath())));
}

// The program's load: read, decode, recompute every analyte's limits, install the lists.
void BM_LoadDataFile(benchmark::State& state) {
    const std::string& path = LargeFilePath();
    for (auto _ : state) LoadDataFile(path);
    SetBytes(state);
}

void BM_SaveDataFile(benchmark::State& state) {
    LoadDataFile(LargeFilePath());
    const std::string target = LargeFilePath() + ".save";
    for (auto _ : state) SaveDataFile(target);
    SetBytes(state);
}

// What `cat` does: read the bytes.
void BM_ReadSameBytes(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadWholeFile(LargeFilePath()));
    SetBytes(state);
}

// What `cp` does: read the bytes and write them to a new file.
void BM_CopySameBytes(benchmark::State& state) {
    const std::string target = LargeFilePath() + ".copy";
    for (auto _ : state) {
        std::filesystem::copy_file(LargeFilePath(), target, std::filesystem::copy_options::overwrite_existing);
    }
    SetBytes(state);
}

BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadSameBytes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CopySameBytes)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
