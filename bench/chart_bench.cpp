#include "appearance/preset_styles.h"
#include "chart/chart_image.h"
#include "chart/document_chart.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace mapolt;

constexpr int kVisibleRows = 60;
constexpr int kViewWidth = 1600;

QGuiApplication& application() {
    static int argc = 1;
    static char name[] = "mapolt_bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(argc, argv);
    return app;
}

// `n` tasks in 100 expanded summary groups, each task linked to the one before in its group,
// every other one assigned to one of ten coloured resources, a milestone per group; drawn
// with the Clean preset.
struct ChartProject {
    MemoryPreferences preferences;
    KestilPlannerDocument document{preferences};
    std::unique_ptr<DocumentChart> chart;

    explicit ChartProject(int n) {
        application();
        Store& s = document.store();
        Project* project = document.project();
        applyPresetStyle(*project, *presetNamed("Clean"));
        UndoRegistrationPause pause(s.undoManager());
        std::vector<Resource*> resources;
        for (int r = 0; r < 10; ++r) {
            auto* res = s.insert<Resource>();
            res->setName("Person " + std::to_string(r));
            res->set(&Resource::colour,
                     insertColour(s, {0.1f * static_cast<float>(r), 0.5f, 0.8f, 1.0f}));
            resources.push_back(res);
        }
        const int perGroup = n / 100;
        int order = 0;
        for (int g = 0; g < 100; ++g) {
            auto* summary = s.insert<ATask>();
            summary->setName("Group " + std::to_string(g));
            summary->set(&ATask::viewOrder, order++);
            summary->set(&ATask::isExpanded, true);
            summary->set(&ATask::project, project);
            ATask* previous = nullptr;
            float day = 0.0f;
            auto* milestone = s.insert<MileStone>();
            milestone->setName("Group " + std::to_string(g) + " done");
            for (int k = 0; k < perGroup - 1; ++k) {
                auto* t = s.insert<ATask>();
                t->setName("Task " + std::to_string(g) + "." + std::to_string(k));
                t->set(&ATask::viewOrder, order++);
                t->set(&ATask::superTask, summary);
                t->set(&ATask::daysFromStart, day);
                t->set(&ATask::elapsedTime, 1.0f + static_cast<float>(k % 4));
                t->set(&ATask::percComp, static_cast<float>((k * 37) % 100));
                // As read from a plan file: durations already computed.
                t->set(&ATask::invalid, false);
                if (k % 2 == 0) {
                    auto* a = s.insert<ATaskResource>();
                    a->set(&ATaskResource::perc, k % 4 == 0 ? 100.0f : 50.0f);
                    a->set(&ATaskResource::resource, resources[static_cast<std::size_t>(k % 10)]);
                    a->set(&ATaskResource::task, t);
                }
                if (previous != nullptr) {
                    auto* l = s.insert<DepLink>();
                    l->set(&DepLink::dependTask, previous);
                    l->set(&DepLink::dependeeTask, t);
                }
                day += t->elapsedTime();
                previous = t;
            }
            summary->set(&ATask::daysFromStart, 0.0f);
            summary->set(&ATask::elapsedTime, day);
            summary->set(&ATask::invalid, false);
            milestone->addTo(&MileStone::tasks, previous);
        }
        s.flushPendingChanges();
        chart = std::make_unique<DocumentChart>(document);
    }
};

ChartProject& projectOf(int n) {
    static std::map<int, std::unique_ptr<ChartProject>> projects;
    auto& p = projects[n];
    if (!p)
        p = std::make_unique<ChartProject>(n);
    return *p;
}

// The 60 rows in the middle of the project, scrolled to where their bars are.
void BM_DrawVisibleRows(benchmark::State& state) {
    ChartProject& p = projectOf(static_cast<int>(state.range(0)));
    BaseProjectView& view = p.chart->view();
    const ChartGeometry& g = p.chart->context().geometry();
    const int first = view.totalRows() / 2;
    const float x = g.chartX(view.getTaskList()[static_cast<std::size_t>(first)]->daysFromStart());
    const QRectF rect(std::max(0.0f, x - 400.0f), g.rowTop(first), kViewWidth,
                      kVisibleRows * g.rowHeight);
    QImage image = makeChartImage(kViewWidth, static_cast<int>(rect.height()));
    for (auto _ : state) {
        QPainter painter(&image);
        painter.translate(-rect.x(), -rect.y());
        painter.setClipRect(rect);
        view.drawChartRect(painter, rect);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows"] = static_cast<double>(view.totalRows());
}
BENCHMARK(BM_DrawVisibleRows)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
