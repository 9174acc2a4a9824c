#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace mapolt;

// A saved plan of `n` tasks in summary groups of ten, each task linked to the one before,
// assigned to one of 50 resources with five days of usage.
struct PlanOnDisk {
    MemoryPreferences preferences;
    std::filesystem::path file;
    std::size_t bytes = 0;

    explicit PlanOnDisk(int n)
        : file(std::filesystem::temp_directory_path() /
               ("mapolt-bench-" + std::to_string(n) + ".json")) {
        KestilPlannerDocument doc(preferences);
        build(doc, n);
        std::string error;
        if (!doc.writeToURL(file, error))
            throw std::runtime_error(error);
        bytes = std::filesystem::file_size(file);
    }
    ~PlanOnDisk() { std::filesystem::remove(file); }

    static void build(KestilPlannerDocument& doc, int n) {
        Store& s = doc.store();
        Project* project = doc.project();
        std::vector<Resource*> resources;
        for (int r = 0; r < 50; ++r) {
            resources.push_back(s.insert<Resource>());
            resources.back()->setName("Person " + std::to_string(r));
        }
        ATask* summary = nullptr;
        ATask* previousChild = nullptr;
        ATask* previous = nullptr;
        for (int i = 0; i < n; ++i) {
            auto* t = s.insert<ATask>();
            t->setName("Task " + std::to_string(i));
            t->set(&ATask::daysFromStart, static_cast<float>(i / 10));
            t->set(&ATask::elapsedTime, 1.0f);
            t->set(&ATask::project, project);
            if (i % 10 == 0) {
                t->set(&ATask::prevSibling, summary);
                summary = t;
                previousChild = nullptr;
            } else {
                t->set(&ATask::superTask, summary);
                t->set(&ATask::prevSibling, previousChild);
                previousChild = t;
                auto* link = s.insert<DepLink>();
                link->set(&DepLink::dependTask, previous);
                link->set(&DepLink::dependeeTask, t);
                auto* a = s.insert<ATaskResource>();
                a->set(&ATaskResource::task, t);
                a->set(&ATaskResource::resource, resources[static_cast<std::size_t>(i % 50)]);
                a->set(&ATaskResource::perc, 100.0f);
                for (int d = 0; d < 5; ++d) {
                    auto* u = s.insert<AResourceUsage>();
                    u->set(&AResourceUsage::daysFromStart, static_cast<float>(i / 10 + d));
                    u->set(&AResourceUsage::hours, 8.0f);
                    u->set(&AResourceUsage::usedHours, 8.0f);
                    u->set(&AResourceUsage::taskResource, a);
                    u->set(&AResourceUsage::resource, a->resource());
                }
            }
            previous = t;
        }
        doc.taskHelper().reIndexProject();
        s.flushPendingChanges();
        s.undoManager().removeAllActions();
    }
};

void BM_OpenPlan(benchmark::State& state) {
    PlanOnDisk plan(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PlanReadResult result;
        auto doc =
            KestilPlannerDocument::initWithContentsOfURL(plan.file, plan.preferences, result);
        if (!doc)
            state.SkipWithError(result.message.c_str());
        benchmark::DoNotOptimize(doc.get());
        // Closing the document is not part of opening it.
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plan.bytes));
}

void BM_SavePlan(benchmark::State& state) {
    PlanOnDisk plan(static_cast<int>(state.range(0)));
    PlanReadResult result;
    auto doc = KestilPlannerDocument::initWithContentsOfURL(plan.file, plan.preferences, result);
    std::string error;
    for (auto _ : state)
        if (!doc->writeToURL(plan.file, error))
            state.SkipWithError(error.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(plan.bytes));
}

} // namespace

BENCHMARK(BM_OpenPlan)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePlan)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
