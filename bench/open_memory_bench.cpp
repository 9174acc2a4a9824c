#include "allocation_counter.h"
#include "project_generator.h"

#include "document/kestil_planner_document.h"
#include "interchange/json_export.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace mapolt;

enum class Shape { Dag, Groups, GroupsWithPeople };

// The generator's shape placed by a full recalculation (the people's usage records with it),
// saved as a plan file.
struct SavedShape {
    std::filesystem::path file;
    std::size_t bytes = 0;

    SavedShape(Shape shape, int n)
        : file(std::filesystem::temp_directory_path() /
               ("mapolt-open-memory-" + std::to_string(static_cast<int>(shape)) + "-" +
                std::to_string(n) + ".json")) {
        auto p = shape == Shape::Dag ? bench::randomDagProject(n) : bench::summaryGroupsProject(n);
        {
            UndoRegistrationPause quiet(p->store.undoManager());
            if (shape == Shape::GroupsWithPeople)
                bench::assignPeople(*p);
            p->engine.recalcProject(p->store);
        }
        p->store.flushPendingChanges();
        const std::string text = JSONExport().buildJSON(p->store);
        std::ofstream(file, std::ios::binary) << text;
        bytes = text.size();
    }
    ~SavedShape() { std::filesystem::remove(file); }
};

// Opening a saved plan. Counters, in bytes per task: the peak of memory while it opens and
// what the opened document keeps, both above what was allocated before, and the file's size.
void openShape(benchmark::State& state, Shape shape) {
    const int n = static_cast<int>(state.range(0));
    const SavedShape saved(shape, n);
    MemoryPreferences preferences;
    std::size_t peak = 0;
    std::size_t live = 0;
    for (auto _ : state) {
        const std::size_t before = bench::liveHeapBytes();
        bench::resetPeakHeapBytes();
        PlanReadResult read;
        auto doc = KestilPlannerDocument::initWithContentsOfURL(saved.file, preferences, read);
        if (!doc) {
            state.SkipWithError(read.message.c_str());
            return;
        }
        peak = bench::peakHeapBytes() - before;
        live = bench::liveHeapBytes() - before;
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["peak_B_per_task"] = static_cast<double>(peak) / n;
    state.counters["live_B_per_task"] = static_cast<double>(live) / n;
    state.counters["file_B_per_task"] = static_cast<double>(saved.bytes) / n;
}

} // namespace

BENCHMARK_CAPTURE(openShape, Dag, Shape::Dag)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(openShape, Groups, Shape::Groups)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(openShape, GroupsWithPeople, Shape::GroupsWithPeople)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
