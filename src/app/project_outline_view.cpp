#include "app/project_outline_view.h"

#include "app/document_bridge.h"
#include "app/project_outline_controller.h"
#include "chart/chart_style.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "table/column_controller.h"
#include "table/table_column.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

// The header is as tall as the chart's ruler, so row 0 of both lie side by side.
constexpr int kHeaderHeight = 30;
constexpr int kIndentation = 14;

QStaticText preparedText(const QString& text, const QFont& font) {
    QStaticText layout(text);
    layout.setTextFormat(Qt::PlainText);
    layout.setPerformanceHint(QStaticText::AggressiveCaching);
    layout.prepare(QTransform(), font);
    return layout;
}

} // namespace

QSize OutlineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(view_.rowHeight());
    return size;
}

const QStaticText& OutlineDelegate::laidOut(const QString& text, const QFont& font) const {
    return laidOut_.get(text, font, preparedText);
}

// The text as it fits the cell, elided when too wide. The kept layout's width decides, so a
// text seen before is not shaped again; an elided form is kept under its text and width.
const QStaticText& OutlineDelegate::laidOutToFit(const QString& text, const QFont& font,
                                                 int width) const {
    if (laidOut(text, font).size().width() <= width)
        return laidOut(text, font);
    const QString key = QString::number(width) + QChar(0) + text;
    return laidOut_.get(key, font, [&](const QString&, const QFont& f) {
        return preparedText(QFontMetrics(f).elidedText(text, Qt::ElideRight, width), f);
    });
}

void OutlineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QVariant check = index.data(Qt::CheckStateRole);
    if (check.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const QFont font = qvariant_cast<QFont>(index.data(Qt::FontRole));
    const QFontMetrics metrics(font);
    const QRect area = option.rect.adjusted(3, 0, -3, 0);
    const QStaticText& layout = laidOutToFit(text, font, area.width());
    const Qt::Alignment align =
        Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    const qreal width = layout.size().width();
    const qreal x = align & Qt::AlignRight ? area.right() + 1 - width : area.left();
    const qreal y = area.top() + (area.height() - metrics.height()) / 2.0;
    painter->save();
    painter->setFont(font);
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawStaticText(QPointF(x, y), layout);
    painter->restore();
}

bool OutlineDelegate::eventFilter(QObject* editor, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            view_.moveDownAfterEdit_ = true;
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}

ProjectOutlineView::ProjectOutlineView(DocumentBridge& bridge, ProjectOutlineController& model,
                                       QWidget* parent)
    : QTreeView(parent), bridge_(bridge), outline_(&model) {
    setModel(&model);
    setItemDelegate(new OutlineDelegate(*this));
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The chart's scroll bar moves both; both keep a horizontal bar so their rows stay level.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setAllColumnsShowFocus(true);
    setIndentation(kIndentation);
    setExpandsOnDoubleClick(false);
    setFrameShape(QFrame::NoFrame);
    header()->setFixedHeight(kHeaderHeight);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTreePosition(model.nameSection());

    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& i) { storeExpansion(i, true); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& i) { storeExpansion(i, false); });
    connect(header(), &QHeaderView::sectionResized, this, &ProjectOutlineView::columnResizedByUser);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ProjectOutlineView::selectedTasksChanged);
    connect(&model, &ProjectOutlineController::structureChanged, this, [this] {
        setTreePosition(outline_->nameSection());
        applyColumnWidths();
        arrangeExpansions();
    });
    // The edit goes on at the new task's row once its editor has closed.
    connect(&model, &ProjectOutlineController::taskCreatedFromPlaceholder, this,
            [this](ATask* task, int column) {
                createdTask_ = task;
                createdColumn_ = column;
            });
    refreshLook();
    applyColumnWidths();
    arrangeExpansions();
}

std::vector<ATask*> ProjectOutlineView::selectedTasks() const {
    std::vector<std::pair<int, ATask*>> rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) {
        ATask* task = outline_->taskAt(i);
        if (task != nullptr)
            rows.emplace_back(visualRect(i).top() + verticalOffset(), task);
    }
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<ATask*> out;
    out.reserve(rows.size());
    for (const auto& [y, task] : rows)
        out.push_back(task);
    return out;
}

void ProjectOutlineView::selectTasks(const std::vector<ATask*>& tasks) {
    QItemSelection selection;
    for (ATask* task : tasks) {
        const QModelIndex i = outline_->indexOf(task);
        if (i.isValid())
            selection.select(i, i);
    }
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!tasks.empty()) {
        const QModelIndex current =
            outline_->indexOf(tasks.back(), std::max(0, currentIndex().column()));
        if (current.isValid()) {
            selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
            // The chart follows the table's scrolling.
            scrollTo(current);
        }
    }
}

void ProjectOutlineView::selectObjectNumber(ATask* task) {
    std::vector<ATask*> above;
    for (ATask* t = task != nullptr ? task->superTask() : nullptr; t != nullptr; t = t->superTask())
        above.push_back(t);
    for (auto it = above.rbegin(); it != above.rend(); ++it)
        expand(outline_->indexOf(*it));
    const QModelIndex i = outline_->indexOf(task);
    if (!i.isValid())
        return;
    scrollTo(i);
    selectTasks({task});
}

void ProjectOutlineView::refreshLook() {
    KestilPlannerDocument& document = bridge_.document();
    const int height = std::max(1, static_cast<int>(document.rowHeight()));
    const ChartStyle style(document.styleObject());
    QPalette p = palette();
    p.setColor(QPalette::Base, style.colour(ColourSlot::Background, QColor(Qt::white)));
    setPalette(p);
    gridColour_ = style.colour(ColourSlot::Grid, QColor(0xd8, 0xd8, 0xd8));
    if (height != rowHeight_) {
        rowHeight_ = height;
        // Uniform rows take their height from the first row: lay them out again.
        doItemsLayout();
    }
}

void ProjectOutlineView::arrangeExpansions() {
    arranging_ = true;
    for (ATask* task : outline_->summaries()) {
        const QModelIndex i = outline_->indexOf(task);
        if (isExpanded(i) != task->isExpanded())
            setExpanded(i, task->isExpanded());
    }
    arranging_ = false;
}

// A view state: neither undone nor marking the document; the chart follows the new rows.
void ProjectOutlineView::storeExpansion(const QModelIndex& index, bool expanded) {
    ATask* task = outline_->taskAt(index);
    if (arranging_ || task == nullptr || task->isExpanded() == expanded)
        return;
    task->setPrimitive(&ATask::isExpanded, expanded);
    NotificationCenter::defaultCenter().post(kProjectChanged, this, &bridge_.store());
}

void ProjectOutlineView::applyColumnWidths() {
    applyingWidths_ = true;
    for (int section = 0; section < outline_->columnCount(); ++section)
        if (TableColumn* column = outline_->columnAt(section))
            header()->resizeSection(section, static_cast<int>(std::lround(column->width())));
    applyingWidths_ = false;
}

void ProjectOutlineView::columnResizedByUser(int section, int, int newSize) {
    TableColumn* column = outline_->columnAt(section);
    if (applyingWidths_ || column == nullptr)
        return;
    column->setWidth(static_cast<float>(newSize));
    // Column widths are layout, like the divider: kept with the document, never undone.
    UndoRegistrationPause pause(bridge_.store().undoManager());
    bridge_.document().columnController().setColumnWidths();
}

void ProjectOutlineView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    painter->save();
    painter->setPen(gridColour_);
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter->restore();
}

void ProjectOutlineView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool moveDown = moveDownAfterEdit_;
    moveDownAfterEdit_ = false;
    QTreeView::closeEditor(editor, hint);
    if (createdTask_ != nullptr) {
        const QModelIndex at = outline_->indexOf(createdTask_, createdColumn_);
        createdTask_ = nullptr;
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
    }
    if (!moveDown)
        return;
    const QModelIndex current = currentIndex();
    const QModelIndex below = indexBelow(current.sibling(current.row(), 0));
    if (below.isValid())
        selectionModel()->setCurrentIndex(below.sibling(below.row(), current.column()),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
}

} // namespace mapolt
