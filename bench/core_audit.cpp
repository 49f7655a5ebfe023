// The audit trail: one line appended (on a memory file system, so without the cost of the flush,
// and in the temporary folder with it), the check of a 1,000,000-line trail and the read of its
// newest 10,000 entries, which the audit window shows.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/UAuditTrail.h"

#include "LargeAuditTrail.h"

using namespace tervanix;
using tervanix::bench::LargeAuditPath;

namespace {

// A trail of 1,000 lines in the folder, appended to by the benchmark.
std::string FreshTrail(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Tervanix.adt").string();
    std::filesystem::remove(path);
    TAuditNote note;
    note.Action = "run.stored";
    note.Analyte = "Glucose";
    note.Details = bench::StoredRunEntry(2).Details;
    for (int i = 0; i < 1000; ++i)
        AppendAudit(path, {note});
    return path;
}

void AppendOneLine(benchmark::State& state, const std::filesystem::path& folder) {
    const std::string path = FreshTrail(folder);
    TAuditNote note;
    note.Action = "run.stored";
    note.Analyte = "Glucose";
    note.Details = bench::StoredRunEntry(2).Details;
    for (auto _ : state)
        AppendAudit(path, {note});
    std::filesystem::remove(path);
}

void BM_AuditAppendWithoutFlush(benchmark::State& state) {
    if (!std::filesystem::is_directory("/dev/shm")) {
        state.SkipWithError("no memory file system at /dev/shm");
        return;
    }
    AppendOneLine(state, "/dev/shm/tervanix-bench-audit");
}

void BM_AuditAppendFlushed(benchmark::State& state) {
    AppendOneLine(state, std::filesystem::temp_directory_path() / "tervanix-bench" / "audit-append");
}

void BM_AuditVerify1M(benchmark::State& state) {
    const std::string& path = LargeAuditPath();
    for (auto _ : state) {
        const auto check = VerifyAuditFile(path);
        if (!check || !check->Intact() || check->Entries != bench::LargeAuditLines)
            state.SkipWithError("not intact");
    }
}

void BM_AuditNewest10000Of1M(benchmark::State& state) {
    const std::string& path = LargeAuditPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAuditEntries(path, {}, 10000));
}

BENCHMARK(BM_AuditAppendWithoutFlush)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AuditAppendFlushed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AuditVerify1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AuditNewest10000Of1M)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
