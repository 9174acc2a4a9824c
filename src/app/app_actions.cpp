#include "app/app_actions.h"

#include "app/app_contol.h"
#include "app/chart_window_controller.h"
#include "app/document_bridge.h"
#include "document/kestil_planner_document.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace mapolt {

namespace {

bool hasWindow(ChartWindowController* w) {
    return w != nullptr;
}

bool hasSelection(ChartWindowController* w) {
    return w != nullptr && !w->selectedTasks().empty();
}

bool showsChart(ChartWindowController* w) {
    return w != nullptr && !w->isShowingPrint();
}

} // namespace

QAction* AppActions::make(const QString& text, const Rule& enabled,
                          const std::function<void()>& run) {
    auto* action = new QAction(text, this);
    connect(action, &QAction::triggered, this, [run] { run(); });
    rules_.emplace_back(action, enabled);
    return action;
}

QAction* AppActions::make(const QString& text, const Rule& enabled,
                          const std::function<void(ChartWindowController&)>& run) {
    return make(text, enabled, [this, run] {
        if (ChartWindowController* w = app_.front())
            run(*w);
    });
}

AppActions::AppActions(AppContol& app) : QObject(&app), app_(app) {
    using W = ChartWindowController;
    const Rule always = [](W*) { return true; };

    newDocument = make(tr("&New"), always, [this] { app_.newDocument(); });
    newDocument->setShortcut(QKeySequence::New);
    open = make(tr("&Open…"), always, [this] { app_.openWithPanel(); });
    open->setShortcut(QKeySequence::Open);
    close = make(tr("&Close"), hasWindow, [](W& w) { w.close(); });
    close->setShortcut(QKeySequence::Close);
    save = make(tr("&Save"), hasWindow, [this](W& w) { app_.saveDocument(w); });
    save->setShortcut(QKeySequence::Save);
    saveAs = make(tr("Save &As…"), hasWindow, [this](W& w) { app_.saveDocumentAs(w); });
    saveAs->setShortcut(QKeySequence::SaveAs);
    revert = make(
        tr("Re&vert to Saved"),
        [](W* w) {
            return w != nullptr && !w->bridge().filePath().isEmpty() && w->bridge().isModified();
        },
        [this](W& w) { app_.revertDocument(w); });
    importProjectXml = make(tr("Project &XML…"), always, [this] { app_.importProjectXml(); });
    importText = make(tr("&Text Task List…"), hasWindow, [this](W& w) { app_.importText(w); });
    importStyle = make(tr("&Style…"), hasWindow, [this](W& w) { app_.importStyle(w); });
    exportProjectXml =
        make(tr("Project &XML…"), hasWindow, [this](W& w) { app_.exportProjectXml(w); });
    exportTaskList = make(tr("Task &Lists…"), hasWindow, [this](W& w) { app_.exportTaskList(w); });
    exportStyle = make(tr("&Style…"), hasWindow, [this](W& w) { app_.exportStyle(w); });
    exportPdf = make(tr("Export as &PDF…"), hasWindow, [this](W& w) { app_.exportPDF(w); });
    quit = make(tr("&Quit"), always, [this] { app_.quit(); });
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    undo = make(
        tr("&Undo"), [](W* w) { return w != nullptr && w->bridge().canUndo(); },
        [](W& w) { w.undo(); });
    undo->setShortcut(QKeySequence::Undo);
    redo = make(
        tr("&Redo"), [](W* w) { return w != nullptr && w->bridge().canRedo(); },
        [](W& w) { w.redo(); });
    redo->setShortcut(QKeySequence::Redo);
    cut = make(tr("Cu&t"), hasSelection, [](W& w) { w.cut(); });
    cut->setShortcut(QKeySequence::Cut);
    copy = make(tr("&Copy"), hasSelection, [](W& w) { w.copy(); });
    copy->setShortcut(QKeySequence::Copy);
    paste = make(tr("&Paste"), hasWindow, [](W& w) { w.paste(); });
    paste->setShortcut(QKeySequence::Paste);
    deleteTasks = make(tr("&Delete"), hasSelection, [](W& w) { w.deleteSelection(); });
    deleteTasks->setShortcut(QKeySequence::Delete);
    preferences = make(tr("Pre&ferences…"), always, [this] { app_.showPreferences(); });
    preferences->setShortcut(QKeySequence::Preferences);
    preferences->setMenuRole(QAction::PreferencesRole);

    zoomIn = make(tr("Zoom &In"), hasWindow, [](W& w) { w.zoomIn(); });
    zoomIn->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOut = make(tr("Zoom &Out"), hasWindow, [](W& w) { w.zoomOut(); });
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    showBaseline = make(tr("Show &Baseline"), showsChart, [](W& w) { w.toggleBaseline(); });
    showBaseline->setCheckable(true);
    showBaseline->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    showTable = make(tr("Show &Table"), showsChart, [](W& w) { w.toggleTable(); });
    showTable->setCheckable(true);
    showTable->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    switchViews = make(tr("Show Print View"), hasWindow, [](W& w) { w.switchViews(); });
    switchViews->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    showChart = make(tr("Chart"), hasWindow, [](W& w) { w.openChart(); });
    showChart->setToolTip(tr("Chart"));
    showPrint = make(tr("Print"), hasWindow, [](W& w) { w.openPrint(); });
    showPrint->setToolTip(tr("Print"));
    customizeToolbar =
        make(tr("Customize &Toolbar…"), hasWindow, [this] { app_.customizeToolbar(); });
    // The inspector and the resource palette are the floating panels still to come; their
    // toolbar items stand in the default toolbar and stay off until then.
    const Rule noPanelYet = [](W*) { return false; };
    toggleInspector = make(tr("Inspector"), noPanelYet, [] {});
    toggleInspector->setToolTip(tr("Inspector"));
    toggleResources = make(tr("Resources"), noPanelYet, [] {});
    toggleResources->setToolTip(tr("Resources"));

    addTaskAfter = make(tr("Add Task &After"), showsChart, [](W& w) { w.addTaskAfter(); });
    addTaskAfter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    addTaskAfter->setToolTip(tr("Add After"));
    addTaskBefore = make(tr("Add Task &Before"), showsChart, [](W& w) { w.addTask(); });
    addTaskBefore->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return));
    addTaskBefore->setToolTip(tr("Add Before"));
    addBlankTask = make(tr("Add Blank Row After"), showsChart, [](W& w) { w.addBlankTask(); });
    insertBlankTask =
        make(tr("Add Blank Row Before"), showsChart, [](W& w) { w.insertBlankTask(); });
    addEndTask = make(tr("Add Task at &End"), showsChart, [](W& w) { w.addEndTask(); });
    indent = make(tr("&Indent"), hasSelection, [](W& w) { w.indentTask(); });
    indent->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketRight));
    indent->setToolTip(tr("Indent Task"));
    outdent = make(tr("&Outdent"), hasSelection, [](W& w) { w.outdentTask(); });
    outdent->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    outdent->setToolTip(tr("Outdent"));
    moveUp = make(tr("Move &Up"), hasSelection, [](W& w) { w.moveTaskUp(); });
    moveUp->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
    moveUp->setToolTip(tr("Move Up"));
    moveDown = make(tr("Move &Down"), hasSelection, [](W& w) { w.moveTaskDown(); });
    moveDown->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
    moveDown->setToolTip(tr("Move Down"));
    makeTree = make(tr("Link in a &Chain"), hasSelection, [](W& w) { w.makeTree(false); });
    makeTree->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    makeTreeWithSuper =
        make(tr("Link in a Chain Under the &First"), hasSelection, [](W& w) { w.makeTree(true); });
    refreshProject = make(tr("Re&fresh"), hasWindow, [](W& w) { w.refreshProject(); });
    refreshProject->setShortcut(QKeySequence::Refresh);
    recalcProject = make(tr("&Recalculate Project"), hasWindow, [](W& w) { w.recalcProject(); });
    recalcProject->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    update();
}

void AppActions::fillMenuBar(QMenuBar& bar) const {
    QMenu* file = bar.addMenu(tr("&File"));
    file->addAction(newDocument);
    file->addAction(open);
    QMenu* recent = file->addMenu(tr("Open &Recent"));
    connect(recent, &QMenu::aboutToShow, recent, [this, recent] {
        recent->clear();
        for (const QString& path : app_.recentDocuments()) {
            QAction* item = recent->addAction(QFileInfo(path).completeBaseName());
            item->setToolTip(path);
            connect(item, &QAction::triggered, &app_, [this, path] { app_.openRecent(path); });
        }
        if (recent->isEmpty())
            recent->addAction(tr("No Recent Documents"))->setEnabled(false);
    });
    file->addSeparator();
    file->addAction(close);
    file->addAction(save);
    file->addAction(saveAs);
    file->addAction(revert);
    file->addSeparator();
    QMenu* import = file->addMenu(tr("&Import"));
    import->addAction(importProjectXml);
    import->addAction(importText);
    import->addAction(importStyle);
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    exportMenu->addAction(exportProjectXml);
    exportMenu->addAction(exportTaskList);
    exportMenu->addAction(exportStyle);
    file->addAction(exportPdf);
    file->addSeparator();
    file->addAction(quit);

    QMenu* edit = bar.addMenu(tr("&Edit"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addAction(cut);
    edit->addAction(copy);
    edit->addAction(paste);
    edit->addAction(deleteTasks);
    edit->addSeparator();
    edit->addAction(preferences);

    QMenu* view = bar.addMenu(tr("&View"));
    view->addAction(zoomIn);
    view->addAction(zoomOut);
    view->addSeparator();
    view->addAction(showBaseline);
    view->addAction(showTable);
    view->addAction(switchViews);
    view->addSeparator();
    view->addAction(customizeToolbar);

    QMenu* task = bar.addMenu(tr("&Task"));
    task->addAction(addTaskAfter);
    task->addAction(addTaskBefore);
    task->addAction(addEndTask);
    task->addAction(addBlankTask);
    task->addAction(insertBlankTask);
    task->addSeparator();
    task->addAction(indent);
    task->addAction(outdent);
    task->addAction(moveUp);
    task->addAction(moveDown);
    task->addSeparator();
    task->addAction(makeTree);
    task->addAction(makeTreeWithSuper);
    task->addSeparator();
    task->addAction(refreshProject);
    task->addAction(recalcProject);
}

void AppActions::update() {
    ChartWindowController* front = app_.front();
    for (const auto& [action, rule] : rules_)
        action->setEnabled(rule(front));
    undo->setText(front != nullptr ? front->bridge().undoTitle() : tr("Undo"));
    redo->setText(front != nullptr ? front->bridge().redoTitle() : tr("Redo"));
    showBaseline->setChecked(front != nullptr && front->bridge().document().showingBase());
    showTable->setChecked(front != nullptr && front->bridge().document().showingTable());
    switchViews->setText(front != nullptr ? front->viewTitle() : tr("Show Print View"));
}

} // namespace mapolt
