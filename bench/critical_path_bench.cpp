#include "plan_generator.h"
#include "project_generator.h"

#include "model/entities.h"
#include "model/store.h"
#include "schedule/critical_path.h"
#include "schedule/resource_usage_query.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace mapolt;

void runCriticalPath(benchmark::State& state, bench::GeneratedProject& p) {
    CriticalPath cp(p.store);
    cp.setShowEndCP(true);
    for (auto _ : state) {
        cp.calcProjectCp();
        benchmark::DoNotOptimize(cp.getCriticalityOfTask(p.tasks.front()));
    }
    state.counters["critical"] = static_cast<double>(cp.cpTasksCrit().size());
    state.counters["float"] = static_cast<double>(cp.cpTasksFlaot().size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(p.tasks.size()));
}

void BM_CriticalPathChain(benchmark::State& state) {
    auto p = bench::chainProject(static_cast<int>(state.range(0)));
    runCriticalPath(state, *p);
}

void BM_CriticalPathRandomDag(benchmark::State& state) {
    auto p = bench::randomDagProject(static_cast<int>(state.range(0)));
    runCriticalPath(state, *p);
}

void BM_CriticalPathSummaryGroups(benchmark::State& state) {
    auto p = bench::summaryGroupsProject(static_cast<int>(state.range(0)));
    runCriticalPath(state, *p);
}

// A redraw of the usage chart: every resource's load over the sixty days in view.
void BM_UsageQueryRedraw(benchmark::State& state) {
    const std::unique_ptr<Store> plan = bench::generatePlan(static_cast<int>(state.range(0)));
    const std::vector<Resource*> resources = plan->fetch<Resource>();
    ResourceUsageQuery query(*plan);
    const bool afterEdit = state.range(1) != 0;
    AResourceUsage* touched = plan->fetchFirst<AResourceUsage>({}, {});
    std::size_t days = 0;
    for (auto _ : state) {
        if (afterEdit) {
            // Any change to a usage record makes the next redraw regroup the records.
            state.PauseTiming();
            touched->setPrimitive(&AResourceUsage::usedHours, touched->usedHours());
            state.ResumeTiming();
        }
        days = 0;
        for (const Resource* r : resources)
            days += query.usageFor(r, 40.0f, 100.0f).size();
        benchmark::DoNotOptimize(days);
    }
    state.counters["resources"] = static_cast<double>(resources.size());
    state.counters["usage_records"] = static_cast<double>(plan->count(Entity::AResourceUsage));
    state.counters["days_shown"] = static_cast<double>(days);
}

} // namespace

BENCHMARK(BM_CriticalPathChain)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CriticalPathRandomDag)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CriticalPathSummaryGroups)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UsageQueryRedraw)
    ->Args({10'000, 0})
    ->Args({10'000, 1})
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Unit(benchmark::kMicrosecond);
