#include "plan_generator.h"

#include "interchange/json_export.h"
#include "interchange/json_import.h"
#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "model/filters.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <map>
#include <string>

namespace {

using namespace mapolt;

// Plans and their text per size, made once for every benchmark of the run.
struct Plan {
    std::unique_ptr<Store> store;
    std::string text;
};

const Plan& plan(int tasks) {
    static std::map<int, Plan> plans;
    Plan& p = plans[tasks];
    if (!p.store) {
        p.store = bench::generatePlan(tasks);
        p.text = JSONExport().buildJSON(*p.store);
    }
    return p;
}

int tasksOf(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

void setThroughput(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_JsonParse_Mapolt(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    for (auto _ : state) {
        JsonParseResult r = parseJson(text);
        benchmark::DoNotOptimize(r.value);
    }
    setThroughput(state, text.size());
}

void BM_JsonParse_RapidJSON(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse(text.data(), text.size());
        benchmark::DoNotOptimize(d.HasParseError());
    }
    setThroughput(state, text.size());
}

void BM_JsonParse_Nlohmann(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    for (auto _ : state) {
        nlohmann::json j = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(j.size());
    }
    setThroughput(state, text.size());
}

void BM_JsonWrite_Mapolt(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    const JsonParseResult tree = parseJson(text);
    for (auto _ : state) {
        JsonWriteResult r = writeJson(tree.value);
        benchmark::DoNotOptimize(r.text.data());
    }
    setThroughput(state, text.size());
}

void BM_JsonWrite_RapidJSON(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    rapidjson::Document d;
    d.Parse(text.data(), text.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        d.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    setThroughput(state, text.size());
}

void BM_JsonWrite_Nlohmann(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    const nlohmann::json j = nlohmann::json::parse(text);
    for (auto _ : state) {
        std::string out = j.dump();
        benchmark::DoNotOptimize(out.data());
    }
    setThroughput(state, text.size());
}

// Opening: parse, build every record in a fresh store without undo, and the orphan scans
// of the repair that follows.
void BM_JsonPlanOpen(benchmark::State& state) {
    const std::string& text = plan(tasksOf(state)).text;
    for (auto _ : state) {
        auto store = std::make_unique<Store>();
        {
            UndoRegistrationPause pause(store->undoManager());
            if (!JSONImport().createModelFromJSON(text, *store))
                state.SkipWithError("plan did not read");
            benchmark::DoNotOptimize(store->fetch<ATaskResource>(filters::orphanAssignmentFilter));
            benchmark::DoNotOptimize(store->fetch<AResourceUsage>(filters::orphanUsageFilter));
        }
        store->flushPendingChanges();
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    setThroughput(state, text.size());
    state.counters["records"] = 0;
    for (Entity e : fileEntityOrder())
        state.counters["records"] += static_cast<double>(plan(tasksOf(state)).store->count(e));
}

void BM_JsonPlanSave(benchmark::State& state) {
    const Plan& p = plan(tasksOf(state));
    for (auto _ : state) {
        std::string text = JSONExport().buildJSON(*p.store);
        benchmark::DoNotOptimize(text.data());
    }
    setThroughput(state, p.text.size());
}

#define PLAN_SIZES(b) BENCHMARK(b)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)
PLAN_SIZES(BM_JsonParse_Mapolt);
PLAN_SIZES(BM_JsonParse_RapidJSON);
PLAN_SIZES(BM_JsonParse_Nlohmann);
PLAN_SIZES(BM_JsonWrite_Mapolt);
PLAN_SIZES(BM_JsonWrite_RapidJSON);
PLAN_SIZES(BM_JsonWrite_Nlohmann);
PLAN_SIZES(BM_JsonPlanOpen);
PLAN_SIZES(BM_JsonPlanSave);

} // namespace
