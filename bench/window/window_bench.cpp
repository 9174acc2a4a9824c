// The planner window on generated plans, offscreen: opening to the first paint, a cell edit
// to the repaint that shows the moved tasks, the outline and link commands near the top of
// the plan, one zoom animation step, one page of scrolling.
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
#include <vector>

namespace {

using namespace mapolt;

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

// The commands of the Task menu on rows near the top of the plan, each taken back between
// runs: from the command to the repaint.
enum class Command { Indent, Outdent, MoveDown, AddAfter, LinkTwenty, Delete, CopyPaste };

// `count` leaves of the first summary group, from its third subtask on.
std::vector<ATask*> leavesNearTheTop(Store& store, std::size_t count) {
    std::vector<ATask*> rows;
    for (ATask* t : store.fetch<ATask>()) {
        if (rows.size() == count + 2)
            break;
        if (t->superTask() != nullptr && t->subTasks.empty())
            rows.push_back(t);
    }
    return {rows.begin() + 2, rows.end()};
}

void BM_CommandToRepaint(benchmark::State& state) {
    OpenWindow open(planFile("plan", static_cast<int>(state.range(1))));
    ChartWindowController& w = *open.window;
    // The generator writes dates and usage without the engine; a plan saved by the planner
    // has them as the engine places them.
    w.bridge().document().recalcProject();
    w.bridge().store().undoManager().removeAllActions();
    QApplication::processEvents();
    const auto command = static_cast<Command>(state.range(0));
    const std::vector<ATask*> rows =
        leavesNearTheTop(w.bridge().store(), command == Command::LinkTwenty ? 20 : 1);
    for (auto _ : state) {
        state.PauseTiming();
        w.outlineView().selectTasks(rows);
        state.ResumeTiming();
        switch (command) {
        case Command::Indent:
            w.indentTask();
            break;
        case Command::Outdent:
            w.outdentTask();
            break;
        case Command::MoveDown:
            w.moveTaskDown();
            break;
        case Command::AddAfter:
            w.addTaskAfter();
            break;
        case Command::LinkTwenty:
            w.makeTree(false);
            break;
        case Command::Delete:
            w.deleteSelection();
            break;
        case Command::CopyPaste:
            w.copy();
            w.paste();
            break;
        }
        open.repaint();
        state.PauseTiming();
        w.undo();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_ZoomTick(benchmark::State& state) {
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
BENCHMARK(BM_CommandToRepaint)
    ->ArgsProduct({{static_cast<int>(Command::Indent), static_cast<int>(Command::Outdent),
                    static_cast<int>(Command::MoveDown), static_cast<int>(Command::AddAfter),
                    static_cast<int>(Command::LinkTwenty), static_cast<int>(Command::Delete),
                    static_cast<int>(Command::CopyPaste)},
                   {10'000, 100'000}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomTick)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollOnePage)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

// The application lives in main(), so that it goes before the statics Qt itself needs.
int main(int argc, char** argv) {
    QTemporaryDir home;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
