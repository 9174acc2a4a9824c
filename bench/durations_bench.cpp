#include "allocation_counter.h"
#include "project_generator.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mapolt;

// Every task invalid, then every duration computed, as after opening a file (no undo).
void BM_DurationsOfInvalidTasks(benchmark::State& state) {
    auto g = bench::durationProject(static_cast<int>(state.range(0)));
    std::size_t allocated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        g->markAllInvalid();
        g->store.flushPendingChanges();
        state.ResumeTiming();
        const std::size_t before = bench::allocatedBytes();
        {
            UndoRegistrationPause quiet(g->store.undoManager());
            for (ATask* t : g->tasks)
                benchmark::DoNotOptimize(g->engine.calcDaysForTask(t));
        }
        allocated += bench::allocatedBytes() - before;
    }
    state.counters["bytes_per_task"] =
        static_cast<double>(allocated) / static_cast<double>(state.iterations() * state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same with the undo manager recording, as when an edit recalculates.
void BM_DurationsOfInvalidTasksRecorded(benchmark::State& state) {
    auto g = bench::durationProject(static_cast<int>(state.range(0)));
    std::size_t allocated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        g->store.undoManager().removeAllActions();
        g->markAllInvalid();
        g->store.flushPendingChanges();
        state.ResumeTiming();
        const std::size_t before = bench::allocatedBytes();
        for (ATask* t : g->tasks)
            benchmark::DoNotOptimize(g->engine.calcDaysForTask(t));
        allocated += bench::allocatedBytes() - before;
    }
    state.counters["bytes_per_task"] =
        static_cast<double>(allocated) / static_cast<double>(state.iterations() * state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The first computation after the usage records are gone: every record is created.
void BM_DurationsCreatingUsage(benchmark::State& state) {
    auto g = bench::durationProject(static_cast<int>(state.range(0)));
    std::size_t allocated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (AResourceUsage* u : g->store.fetch<AResourceUsage>())
            g->store.deleteRecord(u);
        g->store.undoManager().removeAllActions();
        g->markAllInvalid();
        g->store.flushPendingChanges();
        state.ResumeTiming();
        const std::size_t before = bench::allocatedBytes();
        {
            UndoRegistrationPause quiet(g->store.undoManager());
            for (ATask* t : g->tasks)
                benchmark::DoNotOptimize(g->engine.calcDaysForTask(t));
        }
        allocated += bench::allocatedBytes() - before;
    }
    state.counters["bytes_per_task"] =
        static_cast<double>(allocated) / static_cast<double>(state.iterations() * state.range(0));
    state.counters["usage_records"] = static_cast<double>(g->store.count(Entity::AResourceUsage));
}

BENCHMARK(BM_DurationsOfInvalidTasks)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DurationsOfInvalidTasksRecorded)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DurationsCreatingUsage)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
