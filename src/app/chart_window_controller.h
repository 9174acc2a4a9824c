#pragma once

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <vector>

class QDateEdit;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QToolBar;

namespace mapolt {

class AppContol;
class ATask;
class ChartView;
class DocumentBridge;
class PrintPreview;
class ProjectOutlineController;
class ProjectOutlineView;

// A document's main window: the toolbar, the task table beside the Gantt chart (or the
// print preview instead), the project's name and start date, and the task commands.
// Closing it closes the document.
class ChartWindowController final : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr char kToolbarIdentifier[] = "Chart View Toolbar Identifier";
    static constexpr char kFrameName[] = "ChartWindow";

    ChartWindowController(AppContol& app, std::unique_ptr<DocumentBridge> bridge);
    ~ChartWindowController() override;

    DocumentBridge& bridge() { return *bridge_; }
    ProjectOutlineController& outline() { return *outline_; }
    ProjectOutlineView& outlineView() { return *table_; }
    ChartView& chartView() { return *chart_; }
    QToolBar& toolbar() { return *toolbar_; }
    QLineEdit& projectNameField() { return *nameField_; }
    QDateEdit& startDateField() { return *dateField_; }

    // The tasks of the selected rows in row order; the selected task is the first of them.
    std::vector<ATask*> selectedTasks() const;
    ATask* selectedTask() const;

    // Task commands, each one undo step.
    void indentTask();
    void outdentTask();
    void addTaskAfter();
    void addTask();
    void addBlankTask();
    void insertBlankTask();
    void addEndTask();
    void moveTaskUp();
    void moveTaskDown();
    void makeTree(bool firstTaskIsSuper);
    void refreshProject();
    void recalcProject();

    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void deleteSelection();

    void zoomIn();
    void zoomOut();
    void toggleBaseline();
    void toggleTable();
    void setShowingTable(bool shown);
    void openChart();
    void openPrint();
    void switchViews();
    bool isShowingPrint() const;
    QString viewTitle() const;

    void setProjectName(const QString& name);
    // False when the user declined to move tasks to the new start.
    bool setStartDate(const QDate& date);

    // The toolbar's items by identifier, in order; and the default order.
    static QStringList defaultToolbarItems();
    static QStringList allowedToolbarItems();
    static QString toolbarItemLabel(const QString& identifier);
    void setToolbarItems(const QStringList& identifiers);

    void updateTitle();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void projectChanged();
    void refreshFields();
    void buildToolbar(const QStringList& identifiers);
    void placeDivider();
    void dividerMoved();
    void selectionChanged();
    void syncScrollBars();
    void taskCommand(const QString& name, const std::function<void()>& action);
    void expandAncestors(const std::vector<ATask*>& tasks);

    AppContol& app_;
    std::unique_ptr<DocumentBridge> bridge_;
    ProjectOutlineController* outline_;
    ProjectOutlineView* table_;
    ChartView* chart_;
    PrintPreview* preview_;
    QSplitter* split_;
    QStackedWidget* pages_;
    QToolBar* toolbar_;
    QLineEdit* nameField_;
    QDateEdit* dateField_;
    bool syncingScroll_ = false;
    bool dividerPlaced_ = false;
};

} // namespace mapolt
