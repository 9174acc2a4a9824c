#include "allocation_counter.h"
#include "cache_eviction.h"
#include "project_generator.h"

#include "model/entities.h"
#include "model/preferences.h"
#include "model/store.h"
#include "schedule/dependency_links.h"
#include "schedule/task_editing.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace mapolt;
using Project = std::unique_ptr<bench::GeneratedProject>;

// The generator's shapes with durations that follow the calendars, placed by one full
// recalculation; the groups with people have one of 50 resources on every leaf.
enum class Shape { Chain, Dag, Groups, GroupsWithPeople };

Project placedProject(Shape shape, int n) {
    Project p = shape == Shape::Chain ? bench::chainProject(n)
                : shape == Shape::Dag ? bench::randomDagProject(n)
                                      : bench::summaryGroupsProject(n);
    {
        UndoRegistrationPause quiet(p->store.undoManager());
        for (ATask* t : p->tasks) {
            if (!t->subTasks.empty())
                continue;
            t->setPrimitive(&ATask::adjustElapsed, true);
            t->setPrimitive(&ATask::invalid, true);
        }
        if (shape == Shape::GroupsWithPeople)
            bench::assignPeople(*p);
        p->engine.recalcProject(p->store);
    }
    p->store.flushPendingChanges();
    p->store.undoManager().removeAllActions();
    return p;
}

enum class State { Placed, CalendarChange, NeverPlaced };

// Brings the plan into the state before the timed recalculation.
class StateMaker {
  public:
    StateMaker(bench::GeneratedProject& p, State state) : p_(p), state_(state) {}
    void prepare() {
        UndoRegistrationPause quiet(p_.store.undoManager());
        if (state_ == State::CalendarChange) {
            // A holiday on the first Tuesday comes and goes: every task after it moves.
            if (holiday_ != nullptr) {
                p_.store.deleteRecord(holiday_);
                holiday_ = nullptr;
            } else {
                holiday_ = p_.store.insert<Day>();
                holiday_->set(&Day::date, civil::addDays(p_.project->startDate(), 1));
                holiday_->set(&Day::hours, 0.0f);
                holiday_->set(&Day::cal, p_.calendars.getBaseCalandar());
            }
            p_.calendars.clearCache();
        } else if (state_ == State::NeverPlaced) {
            for (ATask* t : p_.tasks) {
                t->setPrimitive(&ATask::daysFromStart, 0.0f);
                t->setPrimitive(&ATask::elapsedTime, 0.0f);
                t->setPrimitive(&ATask::invalid, true);
            }
        }
        p_.store.flushPendingChanges();
        p_.store.undoManager().removeAllActions();
    }

  private:
    bench::GeneratedProject& p_;
    State state_;
    Day* holiday_ = nullptr;
};

enum class Caches { Warm, Cold };

// The recalculation RecalcProject runs, as one undo step. Counters: the peak of memory above
// the opened plan while it runs and what its undo step keeps, in bytes per task, and the
// allocations it makes per task. Run after
// run, a plan of a thousand tasks stays in the processor's caches; cold runs start from
// memory every time.
void fullRecalculation(benchmark::State& state, Shape shape, State which, Caches caches) {
    const int n = static_cast<int>(state.range(0));
    Project p = placedProject(shape, n);
    StateMaker maker(*p, which);
    std::size_t peak = 0;
    std::size_t kept = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        maker.prepare();
        if (caches == Caches::Cold)
            bench::evictCaches();
        const std::size_t before = bench::liveHeapBytes();
        bench::resetPeakHeapBytes();
        const std::size_t allocationsBefore = bench::allocationCount();
        state.ResumeTiming();
        {
            UndoCommandGroup command(p->store.undoManager());
            p->engine.recalcProject(p->store);
        }
        state.PauseTiming();
        allocations = std::max(allocations, bench::allocationCount() - allocationsBefore);
        peak = std::max(peak, bench::peakHeapBytes() - before);
        kept = std::max(kept, bench::liveHeapBytes() - before);
        state.ResumeTiming();
    }
    state.counters["peak_B_per_task"] = static_cast<double>(peak) / n;
    state.counters["undo_B_per_task"] = static_cast<double>(kept) / n;
    state.counters["allocs_per_task"] = static_cast<double>(allocations) / n;
    state.counters["last_start"] = p->tasks.back()->daysFromStart();
}

// The first leaf's work grows by a day and shrinks back on alternate runs, so every run
// moves every task downstream of it.
void headEdit(benchmark::State& state, Shape shape) {
    Project p = placedProject(shape, static_cast<int>(state.range(0)));
    ATask* head = *std::find_if(p->tasks.begin(), p->tasks.end(),
                                [](const ATask* t) { return t->subTasks.empty(); });
    const float hours = head->hours();
    bool grow = true;
    for (auto _ : state) {
        state.PauseTiming();
        p->store.undoManager().removeAllActions();
        state.ResumeTiming();
        changeWork(p->engine, head, grow ? hours + 8.0f : hours);
        grow = !grow;
    }
    state.counters["last_start"] = p->tasks.back()->daysFromStart();
}

// `count` new links among the first leaves in one command, each from a leaf to the one `gap`
// places below it, taken back between runs. As linking a selection of rows makes them, each
// places what it reaches before the next is made.
void linksAtHead(benchmark::State& state, Shape shape, std::size_t count, std::size_t gap) {
    Project p = placedProject(shape, static_cast<int>(state.range(0)));
    std::vector<ATask*> leaves;
    for (ATask* t : p->tasks)
        if (t->subTasks.empty() && leaves.size() <= count * gap)
            leaves.push_back(t);
    MemoryPreferences preferences;
    DependencyLinks links(p->store, preferences, p->engine);
    for (auto _ : state) {
        {
            UndoCommandGroup command(p->store.undoManager());
            for (std::size_t k = 0; k < count; ++k)
                links.makeDepenantFrom(leaves[k * gap], leaves[(k + 1) * gap]);
        }
        state.PauseTiming();
        p->store.undoManager().undo();
        p->store.undoManager().removeAllActions();
        state.ResumeTiming();
    }
    state.counters["last_start"] = p->tasks.back()->daysFromStart();
}

// Every summary queued and run, as after tasks are pasted into the plan.
void allSummaries(benchmark::State& state, Shape shape) {
    Project p = placedProject(shape, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        {
            UndoCommandGroup command(p->store.undoManager());
            p->engine.recalcAllSupers(p->store);
        }
        state.PauseTiming();
        p->store.undoManager().removeAllActions();
        state.ResumeTiming();
    }
    state.counters["last_start"] = p->tasks.back()->daysFromStart();
}

// A thousand, ten thousand and a hundred thousand tasks, timed in milliseconds.
void registerBySize(const std::string& name, std::function<void(benchmark::State&)> run) {
    benchmark::RegisterBenchmark(name.c_str(), std::move(run))
        ->Arg(1'000)
        ->Arg(10'000)
        ->Arg(100'000)
        ->Unit(benchmark::kMillisecond);
}

void registerAll() {
    const std::pair<Shape, const char*> shapes[] = {{Shape::Chain, "Chain"},
                                                    {Shape::Dag, "Dag"},
                                                    {Shape::Groups, "Groups"},
                                                    {Shape::GroupsWithPeople, "GroupsPeople"}};
    const std::pair<State, const char*> states[] = {{State::Placed, "Placed"},
                                                    {State::CalendarChange, "CalendarChange"},
                                                    {State::NeverPlaced, "NeverPlaced"}};
    const std::pair<Caches, const char*> caches[] = {{Caches::Warm, "BM_Recalc/"},
                                                     {Caches::Cold, "BM_RecalcCold/"}};
    const std::pair<void (*)(benchmark::State&, Shape), const char*> edits[] = {
        {headEdit, "/Head"},
        {allSummaries, "/AllSummaries"},
        {[](benchmark::State& s, Shape shape) { linksAtHead(s, shape, 1, 3); }, "/LinkAtHead"},
        {[](benchmark::State& s, Shape shape) { linksAtHead(s, shape, 20, 2); },
         "/TwentyLinksAtHead"}};
    for (const auto& [shape, shapeName] : shapes) {
        for (const auto& [cache, family] : caches)
            for (const auto& [which, stateName] : states)
                registerBySize(std::string(family) + shapeName + "/" + stateName,
                               [shape, which, cache](benchmark::State& s) {
                                   fullRecalculation(s, shape, which, cache);
                               });
        for (const auto& [edit, editName] : edits)
            registerBySize(std::string("BM_Edit/") + shapeName + editName,
                           [shape, edit](benchmark::State& s) { edit(s, shape); });
    }
    // TaskJuggler 3 takes about 3.3 s to schedule this plan.
    benchmark::RegisterBenchmark("BM_Recalc/Dag/NeverPlaced5000",
                                 [](benchmark::State& s) {
                                     fullRecalculation(s, Shape::Dag, State::NeverPlaced,
                                                       Caches::Warm);
                                 })
        ->Arg(5'000)
        ->Unit(benchmark::kMillisecond);
}

const bool registered = (registerAll(), true);

} // namespace
