#include "plan_generator.h"

#include "model/entities.h"
#include "model/store.h"
#include "schedule/critical_path.h"
#include "schedule/resource_usage_query.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace mapolt;

// Placed projects for the trace, which reads only dates, links and the outline: every task
// starts when its latest predecessor ends, so the path to the end runs through the project.
struct PlacedProject {
    Store store;
    Project* project = store.insert<Project>();
    std::vector<ATask*> tasks;

    ATask* task(float length, ATask* summary = nullptr) {
        auto* t = store.insert<ATask>();
        t->set(&ATask::project, project);
        t->set(&ATask::elapsedTime, length);
        if (summary != nullptr)
            t->set(&ATask::superTask, summary);
        tasks.push_back(t);
        return t;
    }
    void link(ATask* from, ATask* to, double lag = 0.0) {
        auto* l = store.insert<DepLink>();
        l->set(&DepLink::dependTask, from);
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::daysBetween, lag);
        const float start = from->daysFromStart() + from->elapsedTime() + static_cast<float>(lag);
        if (start > to->daysFromStart())
            to->set(&ATask::daysFromStart, start);
    }
    // Each summary spans its subtasks.
    void spanSummaries(const std::vector<ATask*>& summaries) {
        for (ATask* s : summaries) {
            float start = 1e30f;
            float end = -1e30f;
            for (const ATask* sub : s->subTasks) {
                start = std::min(start, sub->daysFromStart());
                end = std::max(end, CriticalPath::endOf(sub));
            }
            s->set(&ATask::daysFromStart, start);
            s->set(&ATask::elapsedTime, end - start);
        }
    }
};

// One long chain: the whole project is critical and the trace is as deep as the project.
std::unique_ptr<PlacedProject> chain(int n) {
    auto p = std::make_unique<PlacedProject>();
    ATask* previous = nullptr;
    for (int i = 0; i < n; ++i) {
        ATask* t = p->task(1.0f);
        if (previous != nullptr)
            p->link(previous, t);
        previous = t;
    }
    return p;
}

// About one and a half predecessors per task among the hundred tasks before it, one link in
// five with a lag; in `groups` summary groups when asked.
std::unique_ptr<PlacedProject> randomDag(int n, int groups, std::uint32_t seed) {
    auto p = std::make_unique<PlacedProject>();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> length(1, 5);
    std::vector<ATask*> summaries;
    for (int g = 0; g < groups; ++g)
        summaries.push_back(p->task(0.0f));
    std::vector<ATask*> leaves;
    for (int i = 0; i < n - groups; ++i) {
        ATask* summary =
            groups > 0 ? summaries[static_cast<std::size_t>(i * groups / (n - groups))] : nullptr;
        ATask* t = p->task(static_cast<float>(length(rng)), summary);
        const int preds = i == 0 ? 0 : (rng() % 2 == 0 ? 1 : 2);
        for (int k = 0; k < preds; ++k) {
            const int back = 1 + static_cast<int>(rng() % static_cast<unsigned>(std::min(i, 100)));
            p->link(leaves[static_cast<std::size_t>(i - back)], t, rng() % 5 == 0 ? 1.0 : 0.0);
        }
        leaves.push_back(t);
    }
    p->spanSummaries(summaries);
    return p;
}

void runCriticalPath(benchmark::State& state, PlacedProject& p) {
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
    auto p = chain(static_cast<int>(state.range(0)));
    runCriticalPath(state, *p);
}

void BM_CriticalPathRandomDag(benchmark::State& state) {
    auto p = randomDag(static_cast<int>(state.range(0)), 0, 7);
    runCriticalPath(state, *p);
}

void BM_CriticalPathSummaryGroups(benchmark::State& state) {
    auto p = randomDag(static_cast<int>(state.range(0)), 100, 11);
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
