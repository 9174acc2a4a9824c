#include "allocation_counter.h"

#include "model/entities.h"
#include "model/preferences.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace mapolt;

// An outline of `n` named tasks: groups of ten under summary rows, built through the
// outline service the way the application builds it, then with the undo history dropped.
struct BuiltOutline {
    Store store;
    MemoryPreferences preferences;
    Project* project;
    std::unique_ptr<TaskHelper> helper;

    explicit BuiltOutline(int n) : project(store.insert<Project>()) {
        helper = std::make_unique<TaskHelper>(store, project, preferences);
        ATask* summary = nullptr;
        ATask* previousChild = nullptr;
        for (int i = 0; i < n; ++i) {
            auto* t = store.insert<ATask>();
            t->setName("Task " + std::to_string(i));
            t->set(&ATask::uid, static_cast<std::int32_t>(helper->getUID()));
            t->set(&ATask::project, project);
            if (i % 10 == 0) {
                t->set(&ATask::prevSibling, summary);
                summary = t;
                previousChild = nullptr;
            } else {
                t->set(&ATask::superTask, summary);
                t->set(&ATask::prevSibling, previousChild);
                previousChild = t;
            }
        }
        helper->reIndexProject();
        store.flushPendingChanges();
        store.undoManager().removeAllActions();
    }
};

void BM_ReIndexProject(benchmark::State& state) {
    BuiltOutline o(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        // Shift every number so each pass really writes.
        o.helper->orderNode(o.helper->getRootTask(), static_cast<int>(state.iterations() % 2));
        o.store.undoManager().removeAllActions();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GetRootTask(benchmark::State& state) {
    BuiltOutline o(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(o.helper->getRootTask());
}

void BM_GetLastTask(benchmark::State& state) {
    BuiltOutline o(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(o.helper->getLastTask());
}

void BM_MemoryPerTask(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const std::size_t before = bench::liveHeapBytes();
        auto o = std::make_unique<BuiltOutline>(n);
        const std::size_t after = bench::liveHeapBytes();
        state.counters["bytes_per_task"] =
            static_cast<double>(after - before) / static_cast<double>(n);
    }
}

BENCHMARK(BM_ReIndexProject)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetRootTask)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetLastTask)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemoryPerTask)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
