#include "app/chart_window_controller.h"

#include "app/app_actions.h"
#include "app/app_contol.h"
#include "app/chart_view.h"
#include "app/document_bridge.h"
#include "app/print_preview.h"
#include "app/project_outline_controller.h"
#include "app/project_outline_view.h"
#include "chart/chart_style.h"
#include "chart/document_chart.h"
#include "document/kestil_planner_document.h"
#include "document/project_start_date.h"
#include "document/task_clipboard.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/task_helper.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr char kNameItem[] = "Project Name Item Identifier";
constexpr char kDateItem[] = "Start Date Item Identifier";
constexpr char kIndentItem[] = "Indent Item Identifier";
constexpr char kOutdentItem[] = "Outdent Item Identifier";
constexpr char kAfterItem[] = "Insert After Item Identifier";
constexpr char kBeforeItem[] = "Insert Before Item Identifier";
constexpr char kUpItem[] = "Move Up Item Identifier";
constexpr char kDownItem[] = "Move Down Item Identifier";
constexpr char kInspectorItem[] = "Show Inspector Identifier";
constexpr char kResourceItem[] = "Show Resource Identifier";
constexpr char kChartItem[] = "Show Chart Identifier";
constexpr char kPrintItem[] = "Show Print Identifier";
constexpr char kFlexibleSpace[] = "Flexible Space";
constexpr char kSpace[] = "Space";
constexpr char kSeparator[] = "Separator";

constexpr int kDefaultTableWidth = 560;

struct ActionItem {
    const char* identifier;
    const char* label;
    const char* image;
    const char* themeName;
    QAction* AppActions::*action;
};

const ActionItem kActionItems[] = {
    {kIndentItem, "Indent", "inndTsk2", "format-indent-more", &AppActions::indent},
    {kOutdentItem, "Outdent", "outTsk2", "format-indent-less", &AppActions::outdent},
    {kAfterItem, "Add After", "insbel2", nullptr, &AppActions::addTaskAfter},
    {kBeforeItem, "Add Before", "insbef2", nullptr, &AppActions::addTaskBefore},
    {kUpItem, "Move Up", "moveup2", "go-up", &AppActions::moveUp},
    {kDownItem, "Move Down", "movedn2", "go-down", &AppActions::moveDown},
    {kInspectorItem, "Inspector", "inspect-but", "document-properties",
     &AppActions::toggleInspector},
    {kResourceItem, "Resources", "Resources", nullptr, &AppActions::toggleResources},
    {kChartItem, "Chart", "charticon", nullptr, &AppActions::showChart},
    {kPrintItem, "Print", "printicon", "document-print-preview", &AppActions::showPrint},
};

const ActionItem* actionItem(const QString& identifier) {
    for (const ActionItem& item : kActionItems)
        if (identifier == QLatin1String(item.identifier))
            return &item;
    return nullptr;
}

QIcon itemIcon(const ActionItem& item) {
    const QIcon ours(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(item.image)));
    return item.themeName != nullptr ? QIcon::fromTheme(QLatin1String(item.themeName), ours) : ours;
}

QDate qDate(Date d) {
    const civil::Ymd ymd = civil::toYmd(d);
    return QDate(ymd.year, ymd.month, ymd.day);
}

} // namespace

ChartWindowController::ChartWindowController(AppContol& app, std::unique_ptr<DocumentBridge> bridge)
    : app_(app), bridge_(std::move(bridge)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    bridge_->alerts().setParent(this);
    outline_ = new ProjectOutlineController(*bridge_, this);
    table_ = new ProjectOutlineView(*bridge_, *outline_);
    chart_ = new ChartView(*bridge_);
    preview_ = new PrintPreview(*bridge_, chart_->chart().context());
    split_ = new QSplitter(Qt::Horizontal);
    split_->addWidget(table_);
    split_->addWidget(chart_);
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);
    split_->setChildrenCollapsible(false);
    pages_ = new QStackedWidget;
    pages_->addWidget(split_);
    pages_->addWidget(preview_);
    setCentralWidget(pages_);
    // Typing goes straight into the first row's name, as in a new sheet of a spreadsheet.
    table_->setCurrentIndex(outline_->index(0, outline_->nameSection()));
    table_->setFocus();

    nameField_ = new QLineEdit;
    nameField_->setPlaceholderText(tr("Project Name"));
    nameField_->setMinimumWidth(180);
    nameField_->setAccessibleName(tr("Project Name"));
    connect(nameField_, &QLineEdit::editingFinished, this,
            [this] { setProjectName(nameField_->text()); });
    dateField_ = new QDateEdit;
    dateField_->setCalendarPopup(true);
    dateField_->setKeyboardTracking(false);
    dateField_->setAccessibleName(tr("Start Date"));
    connect(dateField_, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        if (!setStartDate(d))
            refreshFields();
    });

    toolbar_ = new QToolBar(tr("Toolbar"));
    toolbar_->setObjectName(QLatin1String(kToolbarIdentifier));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(24, 24));
    addToolBar(toolbar_);
    buildToolbar(app_.toolbarItems());
    app_.actions().fillMenuBar(*menuBar());

    connect(bridge_.get(), &DocumentBridge::projectChanged, this,
            &ChartWindowController::projectChanged);
    connect(bridge_.get(), &DocumentBridge::documentStateChanged, this, [this] {
        updateTitle();
        app_.documentStateChanged(this);
    });
    connect(table_, &ProjectOutlineView::selectedTasksChanged, this,
            &ChartWindowController::selectionChanged);
    connect(chart_, &ChartView::zoomRequested, this,
            [this](int direction) { direction > 0 ? zoomIn() : zoomOut(); });
    connect(split_, &QSplitter::splitterMoved, this, &ChartWindowController::dividerMoved);
    syncScrollBars();

    QSettings& settings = app_.preferences().settings();
    if (!restoreGeometry(
            settings.value(QStringLiteral("%1/geometry").arg(kFrameName)).toByteArray()))
        resize(1280, 800);
    restoreState(settings.value(QStringLiteral("%1/state").arg(kFrameName)).toByteArray());
    placeDivider();
    setShowingTable(bridge_->document().showingTable());
    refreshFields();
    updateTitle();
    // Showing the windows is a change of the project for everything that draws it.
    NotificationCenter::defaultCenter().post(kProjectChanged, &bridge_->document(),
                                             &bridge_->store());
}

ChartWindowController::~ChartWindowController() {
    // Widgets that lose focus or selection while they go must not reach back into the window.
    for (QObject* sender :
         std::initializer_list<QObject*>{nameField_, dateField_, table_, table_->selectionModel(),
                                         chart_, split_, bridge_.get()})
        disconnect(sender, nullptr, this, nullptr);
    // The views read the document until they are gone, so they go before it.
    delete takeCentralWidget();
    delete outline_;
}

std::vector<ATask*> ChartWindowController::selectedTasks() const {
    return table_->selectedTasks();
}

ATask* ChartWindowController::selectedTask() const {
    const std::vector<ATask*> tasks = selectedTasks();
    return tasks.empty() ? nullptr : tasks.front();
}

void ChartWindowController::taskCommand(const QString& name, const std::function<void()>& action) {
    bridge_->command(name, [&] {
        action();
        NotificationCenter::defaultCenter().post(kProjectChanged, this, &bridge_->store());
    });
}

// The summaries above the tasks open, so that what the user just placed stays in sight.
// Expansion is view state, outside the undo history.
void ChartWindowController::expandAncestors(const std::vector<ATask*>& tasks) {
    for (ATask* t : tasks)
        for (ATask* up = t->superTask(); up != nullptr && !up->isExpanded(); up = up->superTask())
            up->setPrimitive(&ATask::isExpanded, true);
}

void ChartWindowController::indentTask() {
    const std::vector<ATask*> tasks = selectedTasks();
    if (tasks.empty())
        return;
    taskCommand(tr("Indent"), [&] {
        bridge_->document().taskHelper().makeSubTask(tasks);
        expandAncestors(tasks);
    });
    table_->selectTasks(tasks);
}

void ChartWindowController::outdentTask() {
    const std::vector<ATask*> tasks = selectedTasks();
    if (tasks.empty())
        return;
    taskCommand(tr("Outdent"), [&] { bridge_->document().taskHelper().makeSuperTask(tasks); });
    table_->selectTasks(tasks);
}

void ChartWindowController::addTaskAfter() {
    ATask* selected = selectedTask();
    ATask* made = nullptr;
    taskCommand(tr("Add Task"), [&] {
        TaskHelper& helper = bridge_->document().taskHelper();
        made = selected != nullptr ? helper.insertTaskAfter(selected) : helper.addEndTask(-1.0f);
    });
    if (made != nullptr)
        table_->selectTasks({made});
}

void ChartWindowController::addTask() {
    ATask* selected = selectedTask();
    taskCommand(tr("Add Task"), [&] {
        TaskHelper& helper = bridge_->document().taskHelper();
        if (selected != nullptr)
            helper.insertTaskBefore(selected);
        else
            helper.addEndTask(-1.0f);
    });
}

void ChartWindowController::addBlankTask() {
    ATask* selected = selectedTask();
    taskCommand(tr("Add Blank Row"), [&] {
        TaskHelper& helper = bridge_->document().taskHelper();
        if (selected != nullptr)
            helper.insertBlankTaskAfter(selected);
        else
            helper.addBlankTask();
    });
}

void ChartWindowController::insertBlankTask() {
    ATask* selected = selectedTask();
    taskCommand(tr("Add Blank Row"), [&] {
        TaskHelper& helper = bridge_->document().taskHelper();
        if (selected != nullptr)
            helper.insertBlankTaskBefore(selected);
        else
            helper.addBlankTask();
    });
}

void ChartWindowController::addEndTask() {
    ATask* made = nullptr;
    taskCommand(tr("Add Task"), [&] { made = bridge_->document().taskHelper().addEndTask(-1.0f); });
    if (made != nullptr)
        table_->selectTasks({made});
}

void ChartWindowController::moveTaskUp() {
    ATask* selected = selectedTask();
    if (selected == nullptr)
        return;
    taskCommand(tr("Move Up"), [&] { bridge_->document().taskHelper().moveTaskUp(selected); });
    table_->selectTasks({selected});
}

void ChartWindowController::moveTaskDown() {
    ATask* selected = selectedTask();
    if (selected == nullptr)
        return;
    taskCommand(tr("Move Down"), [&] { bridge_->document().taskHelper().moveTaskDown(selected); });
    table_->selectTasks({selected});
}

void ChartWindowController::makeTree(bool firstTaskIsSuper) {
    const std::vector<ATask*> tasks = selectedTasks();
    if (tasks.empty())
        return;
    taskCommand(tr("Link Tasks"),
                [&] { bridge_->document().taskHelper().makeTree(tasks, firstTaskIsSuper); });
    table_->selectTasks(tasks);
}

void ChartWindowController::refreshProject() {
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &bridge_->store());
}

void ChartWindowController::recalcProject() {
    bridge_->command(tr("Recalculate"), [&] { bridge_->document().recalcProject(); });
}

void ChartWindowController::undo() {
    const std::vector<ATask*> tasks = selectedTasks();
    bridge_->undo();
    table_->selectTasks(tasks);
}

void ChartWindowController::redo() {
    const std::vector<ATask*> tasks = selectedTasks();
    bridge_->redo();
    table_->selectTasks(tasks);
}

void ChartWindowController::copy() {
    bridge_->document().taskClipboard().copy(selectedTasks());
}

void ChartWindowController::cut() {
    const std::vector<ATask*> tasks = selectedTasks();
    if (tasks.empty())
        return;
    bridge_->command(tr("Cut"), [&] { bridge_->document().taskClipboard().cut(tasks); });
}

void ChartWindowController::paste() {
    const std::vector<ATask*> tasks = selectedTasks();
    std::vector<ATask*> pasted;
    bridge_->command(tr("Paste"), [&] {
        pasted = bridge_->document().taskClipboard().paste(tasks);
        expandAncestors(pasted);
    });
    if (!pasted.empty())
        table_->selectTasks(pasted);
}

void ChartWindowController::deleteSelection() {
    const std::vector<ATask*> tasks = selectedTasks();
    if (tasks.empty())
        return;
    bridge_->command(tr("Delete"), [&] {
        bridge_->document().taskClipboard().deleteTasks(tasks);
        NotificationCenter::defaultCenter().post(kProjectChanged, this, &bridge_->store());
    });
}

void ChartWindowController::zoomIn() {
    bridge_->document().zoomIn();
    bridge_->startAnimationIfNeeded();
}

void ChartWindowController::zoomOut() {
    bridge_->document().zoomOut();
    bridge_->startAnimationIfNeeded();
}

void ChartWindowController::toggleBaseline() {
    KestilPlannerDocument& document = bridge_->document();
    document.setShowingBase(!document.showingBase());
    bridge_->startAnimationIfNeeded();
    app_.actions().update();
}

void ChartWindowController::toggleTable() {
    setShowingTable(!bridge_->document().showingTable());
}

void ChartWindowController::setShowingTable(bool shown) {
    KestilPlannerDocument& document = bridge_->document();
    document.setShowingTable(shown);
    // View state, kept with the project without an undo step.
    if (Project* p = document.project())
        p->setPrimitive(&Project::showDivider, shown);
    table_->setVisible(shown);
    if (shown)
        placeDivider();
    app_.actions().update();
}

void ChartWindowController::placeDivider() {
    Project* p = bridge_->document().project();
    const float stored = p != nullptr ? p->dividerPosition() : 0.0f;
    const int total = split_->width();
    const int left = stored > 0.0f ? static_cast<int>(std::lround(stored)) : kDefaultTableWidth;
    split_->setSizes({left, std::max(100, total - left)});
}

void ChartWindowController::dividerMoved() {
    Project* p = bridge_->document().project();
    if (p != nullptr && table_->isVisible())
        p->setPrimitive(&Project::dividerPosition, static_cast<float>(split_->sizes().value(0)));
}

void ChartWindowController::openChart() {
    pages_->setCurrentWidget(split_);
    app_.actions().update();
}

void ChartWindowController::openPrint() {
    preview_->calcSize();
    pages_->setCurrentWidget(preview_);
    app_.actions().update();
}

void ChartWindowController::switchViews() {
    isShowingPrint() ? openChart() : openPrint();
}

bool ChartWindowController::isShowingPrint() const {
    return pages_->currentWidget() == preview_;
}

QString ChartWindowController::viewTitle() const {
    return isShowingPrint() ? tr("Show Chart View") : tr("Show Print View");
}

void ChartWindowController::setProjectName(const QString& name) {
    Project* p = bridge_->document().project();
    if (p == nullptr || (!p->name.absent() && qText(p->name()) == name) ||
        (p->name.absent() && name.isEmpty()))
        return;
    taskCommand(tr("Project Name"), [&] { p->set(&Project::name, name.toStdString()); });
}

bool ChartWindowController::setStartDate(const QDate& date) {
    Project* p = bridge_->document().project();
    if (p == nullptr || !date.isValid() || date == qDate(p->startDate()))
        return true;
    bool changed = false;
    bridge_->command(tr("Start Date"), [&] {
        changed = mapolt::setStartDate(bridge_->store(),
                                       civil::fromYmd(date.year(), date.month(), date.day()),
                                       &bridge_->alerts());
    });
    return changed;
}

void ChartWindowController::projectChanged() {
    table_->refreshLook();
    outline_->refresh();
    chart_->setExtraRows(ProjectOutlineController::kPlaceholderRows);
    chart_->refresh();
    chart_->setSelectedTasks(selectedTasks());
    if (isShowingPrint())
        preview_->calcSize();
    refreshFields();
    updateTitle();
    app_.documentStateChanged(this);
}

void ChartWindowController::refreshFields() {
    Project* p = bridge_->document().project();
    if (p == nullptr)
        return;
    const QString name = p->name.absent() ? QString() : qText(p->name());
    if (!nameField_->hasFocus() && nameField_->text() != name)
        nameField_->setText(name);
    const QDate start = qDate(p->startDate());
    if (dateField_->date() != start) {
        const QSignalBlocker quiet(dateField_);
        dateField_->setDate(start);
    }
}

void ChartWindowController::selectionChanged() {
    chart_->setSelectedTasks(selectedTasks());
    app_.actions().update();
}

// One scroll bar for both: the chart's. The table's own bar is hidden and follows it, and
// the chart follows the table when the table scrolls itself (the keyboard, an edit).
void ChartWindowController::syncScrollBars() {
    QScrollBar* chartBar = chart_->verticalScrollBar();
    QScrollBar* tableBar = table_->verticalScrollBar();
    connect(chartBar, &QScrollBar::valueChanged, this, [this, tableBar](int v) {
        if (syncingScroll_)
            return;
        syncingScroll_ = true;
        tableBar->setValue(v);
        syncingScroll_ = false;
    });
    connect(tableBar, &QScrollBar::valueChanged, this, [this, chartBar](int v) {
        if (syncingScroll_)
            return;
        syncingScroll_ = true;
        chartBar->setValue(v);
        syncingScroll_ = false;
    });
    connect(tableBar, &QScrollBar::rangeChanged, this, [chartBar, tableBar](int, int max) {
        if (max > chartBar->maximum())
            chartBar->setMaximum(max);
        chartBar->setValue(tableBar->value());
    });
}

QStringList ChartWindowController::defaultToolbarItems() {
    return {kChartItem,  kPrintItem,     kNameItem,     kDateItem,     kFlexibleSpace,
            kIndentItem, kOutdentItem,   kAfterItem,    kBeforeItem,   kUpItem,
            kDownItem,   kFlexibleSpace, kResourceItem, kInspectorItem};
}

QStringList ChartWindowController::allowedToolbarItems() {
    return {kChartItem,    kPrintItem,     kNameItem,      kDateItem, kIndentItem,
            kOutdentItem,  kAfterItem,     kBeforeItem,    kUpItem,   kDownItem,
            kResourceItem, kInspectorItem, kFlexibleSpace, kSpace,    kSeparator};
}

QString ChartWindowController::toolbarItemLabel(const QString& identifier) {
    if (const ActionItem* item = actionItem(identifier))
        return tr(item->label);
    if (identifier == QLatin1String(kNameItem))
        return tr("Project Name");
    if (identifier == QLatin1String(kDateItem))
        return tr("Start Date");
    if (identifier == QLatin1String(kFlexibleSpace))
        return tr("Flexible Space");
    if (identifier == QLatin1String(kSpace))
        return tr("Space");
    if (identifier == QLatin1String(kSeparator))
        return tr("Separator");
    return identifier;
}

void ChartWindowController::setToolbarItems(const QStringList& identifiers) {
    buildToolbar(identifiers);
}

void ChartWindowController::buildToolbar(const QStringList& identifiers) {
    // The fields outlive the toolbar's items: take them back before the items go.
    nameField_->hide();
    dateField_->hide();
    nameField_->setParent(this);
    dateField_->setParent(this);
    toolbar_->clear();
    AppActions& actions = app_.actions();
    for (const QString& id : identifiers) {
        if (const ActionItem* item = actionItem(id)) {
            QAction* action = actions.*(item->action);
            action->setIcon(itemIcon(*item));
            action->setIconText(tr(item->label));
            toolbar_->addAction(action);
        } else if (id == QLatin1String(kNameItem) || id == QLatin1String(kDateItem)) {
            QWidget* field = id == QLatin1String(kNameItem) ? static_cast<QWidget*>(nameField_)
                                                            : static_cast<QWidget*>(dateField_);
            auto* box = new QWidget;
            auto* layout = new QVBoxLayout(box);
            layout->setContentsMargins(4, 0, 4, 0);
            layout->setSpacing(2);
            layout->addWidget(field);
            auto* label = new QLabel(toolbarItemLabel(id));
            label->setAlignment(Qt::AlignHCenter);
            layout->addWidget(label);
            field->show();
            toolbar_->addWidget(box);
        } else if (id == QLatin1String(kFlexibleSpace) || id == QLatin1String(kSpace)) {
            auto* spacer = new QWidget;
            if (id == QLatin1String(kFlexibleSpace))
                spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            else
                spacer->setFixedWidth(24);
            toolbar_->addWidget(spacer);
        } else if (id == QLatin1String(kSeparator)) {
            toolbar_->addSeparator();
        }
    }
}

void ChartWindowController::updateTitle() {
    setWindowTitle(QStringLiteral("%1[*] — Mapolt").arg(bridge_->displayName()));
    setWindowModified(bridge_->isModified());
    setWindowFilePath(bridge_->filePath());
}

void ChartWindowController::closeEvent(QCloseEvent* event) {
    if (!app_.mayCloseWindow(*this)) {
        event->ignore();
        return;
    }
    QSettings& settings = app_.preferences().settings();
    settings.setValue(QStringLiteral("%1/geometry").arg(kFrameName), saveGeometry());
    settings.setValue(QStringLiteral("%1/state").arg(kFrameName), saveState());
    event->accept();
    app_.windowClosed(*this);
}

// The divider goes where it was once the window has its size.
void ChartWindowController::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!dividerPlaced_) {
        dividerPlaced_ = true;
        // Once the layout has given the split its width.
        QTimer::singleShot(0, this, &ChartWindowController::placeDivider);
    }
}

void ChartWindowController::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        app_.setFront(this);
}

} // namespace mapolt
