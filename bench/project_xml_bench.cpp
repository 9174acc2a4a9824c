#include "document/atomic_file_writer.h"
#include "interchange/project_export.h"
#include "interchange/project_importer.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "model/task_helper.h"
#include "schedule/calandar_access.h"
#include "schedule/task_length_calc.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace mapolt;

// A store with its project and services, as a fresh document has them.
struct Planner {
    Store store;
    MemoryPreferences preferences;
    Project* project = store.insert<Project>();
    CalandarAccess calendars{store};
    TaskLengthCalc engine{store, calendars};
    TaskHelper helper{store, project, preferences};

    Planner() {
        project->set(&Project::name, std::string("Generated"));
        project->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
        calendars.getBaseCalandar();
        store.undoManager().disableUndoRegistration();
    }
};

// `n` tasks in summary groups of ten, each subtask linked to the one before it, every subtask
// assigned to one of 50 resources; written as project XML.
std::string generatedProjectXml(int n) {
    Planner p;
    std::vector<Resource*> resources;
    for (int r = 0; r < 50; ++r) {
        auto* res = p.store.insert<Resource>();
        res->setName("Person " + std::to_string(r));
        auto* cal = p.store.insert<Calandar>();
        cal->set(&Calandar::superCalandar, p.calendars.getBaseCalandar());
        res->set(&Resource::cal, cal);
        resources.push_back(res);
    }
    ATask* summary = nullptr;
    ATask* previousChild = nullptr;
    for (int i = 0; i < n; ++i) {
        auto* t = p.store.insert<ATask>();
        t->setName("Task " + std::to_string(i));
        t->set(&ATask::daysFromStart, static_cast<float>(i / 10));
        t->set(&ATask::hours, 8.0f);
        t->set(&ATask::elapsedTime, 1.0f);
        t->set(&ATask::project, p.project);
        if (i % 10 == 0) {
            t->set(&ATask::prevSibling, summary);
            summary = t;
            previousChild = nullptr;
            continue;
        }
        t->set(&ATask::superTask, summary);
        t->set(&ATask::prevSibling, previousChild);
        if (previousChild != nullptr) {
            auto* link = p.store.insert<DepLink>();
            link->set(&DepLink::dependeeTask, t);
            previousChild->addTo(&ATask::dependTasks, link);
        }
        previousChild = t;
        auto* a = p.store.insert<ATaskResource>();
        a->set(&ATaskResource::task, t);
        a->set(&ATaskResource::resource, resources[static_cast<std::size_t>(i) % 50]);
        a->set(&ATaskResource::perc, 100.0f);
    }
    p.helper.reIndexProject();
    ProjectExport exporter;
    return exporter.exportProject(p.store, p.engine);
}

struct XmlOnDisk {
    std::filesystem::path file;
    std::size_t bytes;
    explicit XmlOnDisk(int n)
        : file(std::filesystem::temp_directory_path() /
               ("mapolt-bench-" + std::to_string(n) + ".xml")) {
        const std::string text = generatedProjectXml(n);
        std::ofstream(file, std::ios::binary) << text;
        bytes = text.size();
    }
    ~XmlOnDisk() { std::filesystem::remove(file); }
};

void BM_ProjectXmlImport(benchmark::State& state) {
    const XmlOnDisk xml(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        // Making the empty document and tearing it down are not part of the import.
        state.PauseTiming();
        auto p = std::make_unique<Planner>();
        state.ResumeTiming();
        ProjectImportTarget target{p->store, p->project, p->helper, p->calendars, p->engine};
        ProjectImporter importer(target);
        std::string error;
        if (!importer.importFile(xml.file, error))
            throw std::runtime_error(error);
        benchmark::DoNotOptimize(importer.counts().tasks);
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
    state.counters["file_MB"] = static_cast<double>(xml.bytes) / 1e6;
}
BENCHMARK(BM_ProjectXmlImport)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_ProjectXmlExport(benchmark::State& state) {
    const XmlOnDisk xml(static_cast<int>(state.range(0)));
    Planner p;
    ProjectImportTarget target{p.store, p.project, p.helper, p.calendars, p.engine};
    ProjectImporter importer(target);
    std::string error;
    if (!importer.importFile(xml.file, error))
        throw std::runtime_error(error);
    const std::filesystem::path out = xml.file.string() + ".out.xml";
    std::size_t bytes = 0;
    for (auto _ : state) {
        ProjectExport exporter;
        const std::string text = exporter.exportProject(p.store, p.engine);
        if (!writeFileAtomically(out, text, error))
            throw std::runtime_error(error);
        bytes = text.size();
    }
    std::filesystem::remove(out);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ProjectXmlExport)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
