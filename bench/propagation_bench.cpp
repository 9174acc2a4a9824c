#include "project_generator.h"
#include "support/literal_propagation.h"

#include "model/entities.h"
#include "model/store.h"
#include "schedule/task_editing.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

using namespace mapolt;

using Generator = std::function<std::unique_ptr<bench::GeneratedProject>(int)>;

const Generator kChain = [](int n) { return bench::chainProject(n); };
const Generator kRandomDag = [](int n) { return bench::randomDagProject(n); };
const Generator kSummaryGroups = [](int n) { return bench::summaryGroupsProject(n); };

// The first task that is no summary: the head of the chain of links.
ATask* headOf(bench::GeneratedProject& p) {
    for (ATask* t : p.tasks)
        if (t->subTasks.empty())
            return t;
    return p.tasks.front();
}

// The head's work grows by a day and shrinks back on alternate runs, so every run moves
// every task downstream of it.
void headEdit(benchmark::State& state, const Generator& generate, bool literal) {
    auto p = generate(static_cast<int>(state.range(0)));
    ATask* head = headOf(*p);
    const float hours = head->hours();
    testing::LiteralPropagation oracle(p->store, p->engine,
                                       testing::LiteralPropagation::WalkOrder::Stored);
    ScheduleEngine& engine = literal ? static_cast<ScheduleEngine&>(oracle) : p->engine;
    ATask* last = p->tasks.back();
    bool grow = true;
    for (auto _ : state) {
        state.PauseTiming();
        p->store.undoManager().removeAllActions();
        state.ResumeTiming();
        changeWork(engine, head, grow ? hours + 8.0f : hours);
        grow = !grow;
        benchmark::DoNotOptimize(last->daysFromStart());
    }
    state.counters["last_start"] = last->daysFromStart();
}

void BM_HeadEditChain(benchmark::State& s) {
    headEdit(s, kChain, false);
}
void BM_HeadEditRandomDag(benchmark::State& s) {
    headEdit(s, kRandomDag, false);
}
void BM_HeadEditSummaryGroups(benchmark::State& s) {
    headEdit(s, kSummaryGroups, false);
}
// The recursive reference walk, for the ratio: at 1,000 tasks only, as it revisits a task
// once per path that reaches it.
void BM_HeadEditChainReference(benchmark::State& s) {
    headEdit(s, kChain, true);
}
void BM_HeadEditRandomDagReference(benchmark::State& s) {
    headEdit(s, kRandomDag, true);
}
void BM_HeadEditSummaryGroupsReference(benchmark::State& s) {
    headEdit(s, kSummaryGroups, true);
}

} // namespace

BENCHMARK(BM_HeadEditChain)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadEditRandomDag)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadEditSummaryGroups)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadEditChainReference)->Arg(1'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadEditRandomDagReference)->Arg(1'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadEditSummaryGroupsReference)->Arg(1'000)->Unit(benchmark::kMillisecond);
