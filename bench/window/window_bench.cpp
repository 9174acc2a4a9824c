// The planner window on generated plans, offscreen: opening to the first paint, a cell edit
// to the repaint that shows the moved tasks, one zoom animation step, one page of scrolling.
#include "app/app_contol.h"
#include "app/chart_view.h"
#include "app/chart_window_controller.h"
#include "app/document_bridge.h"
#include "app/project_outline_controller.h"
#include "app/project_outline_view.h"
#include "app/qt_alert_presenter.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
#include "interchange/json_export.h"
#include "plan_generator.h"
#include "project_generator.h"
#include "table/table_column.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace mapolt;

QApplication& application() {
    static int argc = 1;
    static char name[] = "mapolt_window_bench";
    static char* argv[] = {name, nullptr};
    static QTemporaryDir home;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
    static QApplication app(argc, argv);
    return app;
}

QTemporaryDir& plans() {
    static QTemporaryDir dir;
    return dir;
}

// A plan file of each shape and size, written once.
QString planFile(const std::string& shape, int tasks) {
    static std::map<std::string, QString> made;
    const std::string key = shape + std::to_string(tasks);
    if (auto found = made.find(key); found != made.end())
        return found->second;
    std::string text;
    if (shape == "plan") {
        text = JSONExport().buildJSON(*bench::generatePlan(tasks));
    } else {
        auto chain = bench::chainProject(tasks);
        chain->project->set(&Project::showDivider, true);
        text = JSONExport().buildJSON(chain->store);
    }
    const QString path = plans().filePath(QString::fromStdString(key + ".mapolt"));
    std::string error;
    if (!writeFileAtomically(path.toStdString(), text, error))
        std::abort();
    return made[key] = path;
}

struct OpenWindow {
    AppContol app;
    ChartWindowController* window = nullptr;

    explicit OpenWindow(const QString& path) {
        QtAlertPresenter::setScript([](const Alert& a) { return int(a.buttons.size()) - 1; });
        window = app.openDocument(path);
        if (window == nullptr)
            std::abort();
        window->resize(1400, 900);
        window->show();
        QApplication::processEvents();
    }
    ~OpenWindow() {
        QtAlertPresenter::setScript([](const Alert& a) {
            return a.buttons.size() > 1 ? 1 : 0; // "Discard"
        });
        window->close();
        QApplication::processEvents();
    }
    void repaint() {
        window->chartView().viewport()->repaint();
        window->outlineView().viewport()->repaint();
    }
};

void BM_OpenToFirstPaint(benchmark::State& state) {
    application();
    const QString path = planFile("plan", static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto open = std::make_unique<OpenWindow>(path);
        open->repaint();
        state.PauseTiming();
        open.reset();
        state.ResumeTiming();
    }
}

void BM_EditHoursToRepaint(benchmark::State& state) {
    application();
    OpenWindow open(planFile("chain", static_cast<int>(state.range(0))));
    ProjectOutlineController& model = open.window->outline();
    int hoursColumn = -1;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.columnAt(c)->description() == "Hours")
            hoursColumn = c;
    const QModelIndex first = model.index(0, hoursColumn);
    int hours = 8;
    for (auto _ : state) {
        hours = hours == 8 ? 16 : 8;
        model.setData(first, QString::number(hours), Qt::EditRole);
        open.repaint();
    }
}

void BM_ZoomTick(benchmark::State& state) {
    application();
    OpenWindow open(planFile("plan", static_cast<int>(state.range(0))));
    KestilPlannerDocument& document = open.window->bridge().document();
    bool in = true;
    for (auto _ : state) {
        if (!document.isZooming()) {
            state.PauseTiming();
            in ? document.zoomIn() : document.zoomOut();
            in = !in;
            state.ResumeTiming();
        }
        // One tick of the 15 ms timer: the step, ProjectChanged, the views, the repaint.
        document.tick();
        open.repaint();
    }
}

void BM_ScrollOnePage(benchmark::State& state) {
    application();
    OpenWindow open(planFile("plan", static_cast<int>(state.range(0))));
    QScrollBar* bar = open.window->chartView().verticalScrollBar();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        open.repaint();
    }
}

BENCHMARK(BM_OpenToFirstPaint)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_EditHoursToRepaint)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomTick)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollOnePage)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
