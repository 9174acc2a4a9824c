#include "allocation_counter.h"
#include "project_generator.h"

#include "document/atomic_file_writer.h"
#include "interchange/project_export.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

using namespace mapolt;

// Project XML of the summary-groups shape written to a file. Counter: the peak of memory
// above the plan while the file is made, in bytes per task.
void BM_ExportXmlToFile(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto p = bench::summaryGroupsProject(n);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("mapolt-export-memory-" + std::to_string(n));
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = bench::liveHeapBytes();
        bench::resetPeakHeapBytes();
        std::string error;
        const bool written = writeFileAtomically(
            file,
            [&](const ByteWriter& write) {
                return ProjectExport().exportProject(p->store, p->engine, write);
            },
            error);
        if (!written) {
            state.SkipWithError(error.c_str());
            return;
        }
        peak = bench::peakHeapBytes() - before;
    }
    state.counters["peak_B_per_task"] = static_cast<double>(peak) / n;
    state.counters["file_B_per_task"] = static_cast<double>(std::filesystem::file_size(file)) / n;
    std::filesystem::remove(file);
}

} // namespace

BENCHMARK(BM_ExportXmlToFile)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
