#include "document/kestil_planner_document.h"
#include "interchange/text_file_importer.h"
#include "model/entities.h"
#include "model/outline_check.h"
#include "model/preferences.h"
#include "schedule/task_editing.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace mapolt;

// Lines of ten groups, as a spreadsheet writes them.
std::string taskLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "Group " + std::to_string(i % 10) + "\tTask " + std::to_string(i) + "\tx\t1.5\n";
    return text;
}

void BM_TextImport(benchmark::State& state) {
    const std::string text = taskLines(static_cast<int>(state.range(0)));
    MemoryPreferences preferences;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<KestilPlannerDocument>(preferences);
        state.ResumeTiming();
        TextFileImporter importer(doc->taskHelper());
        benchmark::DoNotOptimize(importer.importFromText(text));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One chain of summaries, each the only subtask of the one above.
std::unique_ptr<KestilPlannerDocument> deepOutline(int levels, const Preferences& preferences) {
    auto doc = std::make_unique<KestilPlannerDocument>(preferences);
    Store& store = doc->store();
    ATask* parent = nullptr;
    for (int i = 0; i < levels; ++i) {
        auto* t = store.insert<ATask>();
        t->setName("Level " + std::to_string(i));
        t->set(&ATask::project, doc->project());
        t->set(&ATask::hours, 8.0f);
        t->set(&ATask::superTask, parent);
        parent = t;
    }
    doc->taskHelper().reIndexProject();
    store.flushPendingChanges();
    store.undoManager().removeAllActions();
    return doc;
}

void BM_ScheduleDeepOutline(benchmark::State& state) {
    MemoryPreferences preferences;
    auto doc = deepOutline(static_cast<int>(state.range(0)), preferences);
    for (auto _ : state) {
        doc->taskLengthCalc().invalidateProject(doc->store());
        doc->recalcProject();
        doc->store().undoManager().removeAllActions();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The deepest task's work grows by a day and shrinks back on alternate runs: every level
// above it rolls up again.
void BM_EditDeepOutline(benchmark::State& state) {
    MemoryPreferences preferences;
    auto doc = deepOutline(static_cast<int>(state.range(0)), preferences);
    doc->recalcProject();
    ATask* deepest = doc->taskHelper().outlineOrder().back();
    bool grow = true;
    for (auto _ : state) {
        changeWork(doc->taskLengthCalc(), deepest, grow ? 16.0f : 8.0f);
        grow = !grow;
        state.PauseTiming();
        doc->store().undoManager().removeAllActions();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CheckDeepOutline(benchmark::State& state) {
    MemoryPreferences preferences;
    auto doc = deepOutline(static_cast<int>(state.range(0)), preferences);
    for (auto _ : state)
        benchmark::DoNotOptimize(checkOutlineStructure(doc->store()));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_TextImport)->Arg(16'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScheduleDeepOutline)->Arg(100)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditDeepOutline)->Arg(100)->Arg(1'000)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckDeepOutline)->Arg(10'000)->Unit(benchmark::kMillisecond);
