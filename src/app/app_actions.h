#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace mapolt {

class AppContol;
class ChartWindowController;

// Every menu and toolbar command of the application, made once with its shortcut and the
// rule that enables it. The commands act on the front document's window.
class AppActions final : public QObject {
    Q_OBJECT

  public:
    explicit AppActions(AppContol& app);

    // File
    QAction* newDocument;
    QAction* open;
    QAction* close;
    QAction* save;
    QAction* saveAs;
    QAction* revert;
    QAction* importProjectXml;
    QAction* importText;
    QAction* importStyle;
    QAction* exportProjectXml;
    QAction* exportTaskList;
    QAction* exportStyle;
    QAction* exportPdf;
    QAction* quit;
    // Edit
    QAction* undo;
    QAction* redo;
    QAction* cut;
    QAction* copy;
    QAction* paste;
    QAction* deleteTasks;
    QAction* preferences;
    // View
    QAction* zoomIn;
    QAction* zoomOut;
    QAction* showBaseline;
    QAction* showTable;
    QAction* switchViews;
    QAction* showChart;
    QAction* showPrint;
    QAction* customizeToolbar;
    QAction* toggleInspector;
    QAction* toggleResources;
    // Task
    QAction* addTaskAfter;
    QAction* addTaskBefore;
    QAction* addBlankTask;
    QAction* insertBlankTask;
    QAction* addEndTask;
    QAction* indent;
    QAction* outdent;
    QAction* moveUp;
    QAction* moveDown;
    QAction* makeTree;
    QAction* makeTreeWithSuper;
    QAction* refreshProject;
    QAction* recalcProject;

    // The menu bar of a chart window, over these actions.
    void fillMenuBar(QMenuBar& bar) const;
    // Enables, checks and names every action for the front window (none: only what needs
    // no document).
    void update();

  private:
    using Rule = std::function<bool(ChartWindowController*)>;
    QAction* make(const QString& text, const Rule& enabled, const std::function<void()>& run);
    QAction* make(const QString& text, const Rule& enabled,
                  const std::function<void(ChartWindowController&)>& run);

    AppContol& app_;
    std::vector<std::pair<QAction*, Rule>> rules_;
    QMenu* recentMenu_ = nullptr;
};

} // namespace mapolt
