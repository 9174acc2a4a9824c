#include "app/project_outline_controller.h"

#include "app/document_bridge.h"
#include "chart/chart_style.h"
#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "table/column_controller.h"
#include "table/table_column.h"
#include "table/typed_cell_value.h"

#include <algorithm>

namespace mapolt {

namespace {

// Task rows carry the task's address; empty rows an odd number, which no address is.
quintptr placeholderId(int k) {
    return (static_cast<quintptr>(k) << 1) | 1u;
}

bool isPlaceholderId(quintptr id) {
    return (id & 1u) != 0;
}

void sortByViewOrder(std::vector<ATask*>& tasks) {
    std::stable_sort(tasks.begin(), tasks.end(), [](const ATask* a, const ATask* b) {
        return a->viewOrder() < b->viewOrder();
    });
}

const std::vector<ATask*> kNoChildren;

// The tree follows the tasks' parents and order, not the values an edit writes.
std::uint64_t outlineRevision(const Store& store) {
    return store.revision(Entity::ATask, {"superTask", "subTasks", "viewOrder"});
}

} // namespace

ProjectOutlineController::ProjectOutlineController(DocumentBridge& bridge, QObject* parent)
    : QAbstractItemModel(parent), bridge_(bridge) {
    columns_ = bridge_.document().columnController().getActiveColumns();
    s_ = buildStructure();
    structureRevision_ = outlineRevision(bridge_.store());
    valueRevision_ = bridge_.store().valueRevision();
    takeFonts();
}

ProjectOutlineController::Structure ProjectOutlineController::buildStructure() const {
    Structure s;
    bridge_.store().forEachLive<ATask>([&s](ATask* t) {
        if (ATask* parent = t->superTask())
            s.children[parent].push_back(t);
        else
            s.roots.push_back(t);
    });
    sortByViewOrder(s.roots);
    s.placeOf.reserve(bridge_.store().count(Entity::ATask));
    for (std::size_t i = 0; i < s.roots.size(); ++i)
        s.placeOf.emplace(s.roots[i], Structure::Place{nullptr, static_cast<int>(i)});
    for (auto& [parent, list] : s.children) {
        sortByViewOrder(list);
        for (std::size_t i = 0; i < list.size(); ++i)
            s.placeOf.emplace(list[i],
                              Structure::Place{const_cast<ATask*>(parent), static_cast<int>(i)});
    }
    return s;
}

const std::vector<ATask*>& ProjectOutlineController::childrenOf(const ATask* task) const {
    const auto found = s_.children.find(task);
    return found != s_.children.end() ? found->second : kNoChildren;
}

void ProjectOutlineController::takeFonts() {
    const ChartStyle style(bridge_.document().styleObject());
    font_ = ChartStyle::fontOf(style.taskList());
    boldFont_ = font_;
    boldFont_.setBold(true);
}

QModelIndex ProjectOutlineController::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= columnCount())
        return {};
    if (!parent.isValid()) {
        const int roots = rootCount();
        if (row < roots)
            return createIndex(row, column, s_.roots[static_cast<std::size_t>(row)]);
        if (row < roots + kPlaceholderRows)
            return createIndex(row, column, placeholderId(row - roots));
        return {};
    }
    const ATask* task = taskAt(parent);
    if (task == nullptr)
        return {};
    const std::vector<ATask*>& children = childrenOf(task);
    if (row >= static_cast<int>(children.size()))
        return {};
    return createIndex(row, column, children[static_cast<std::size_t>(row)]);
}

QModelIndex ProjectOutlineController::parent(const QModelIndex& child) const {
    const ATask* task = taskAt(child);
    if (task == nullptr)
        return {};
    const auto found = s_.placeOf.find(task);
    return found != s_.placeOf.end() ? indexOf(found->second.parent) : QModelIndex();
}

QModelIndex ProjectOutlineController::indexOf(const ATask* task, int column) const {
    if (task == nullptr)
        return {};
    const auto found = s_.placeOf.find(task);
    if (found == s_.placeOf.end())
        return {};
    return createIndex(found->second.row, column, const_cast<ATask*>(task));
}

int ProjectOutlineController::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return rootCount() + kPlaceholderRows;
    if (parent.column() > 0)
        return 0;
    const ATask* task = taskAt(parent);
    return task != nullptr ? static_cast<int>(childrenOf(task).size()) : 0;
}

int ProjectOutlineController::columnCount(const QModelIndex&) const {
    return static_cast<int>(columns_.size());
}

bool ProjectOutlineController::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

ATask* ProjectOutlineController::taskAt(const QModelIndex& index) const {
    if (!index.isValid() || isPlaceholderId(index.internalId()))
        return nullptr;
    return static_cast<ATask*>(index.internalPointer());
}

int ProjectOutlineController::placeholderAt(const QModelIndex& index) const {
    if (!index.isValid() || !isPlaceholderId(index.internalId()))
        return -1;
    return static_cast<int>(index.internalId() >> 1);
}

TableColumn* ProjectOutlineController::columnAt(int section) const {
    if (section < 0 || section >= columnCount())
        return nullptr;
    return columns_[static_cast<std::size_t>(section)];
}

int ProjectOutlineController::nameSection() const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i]->coreDataKey() == "name")
            return static_cast<int>(i);
    return 0;
}

std::vector<ATask*> ProjectOutlineController::summaries() const {
    std::vector<ATask*> out;
    out.reserve(s_.children.size());
    for (const auto& [parent, list] : s_.children)
        if (!list.empty())
            out.push_back(const_cast<ATask*>(parent));
    return out;
}

QVariant ProjectOutlineController::data(const QModelIndex& index, int role) const {
    TableColumn* column = columnAt(index.column());
    if (column == nullptr)
        return {};
    if (role == Qt::FontRole) {
        ATask* task = taskAt(index);
        const bool summary =
            task != nullptr && column->coreDataKey() == "name" && !task->subTasks.empty();
        return summary ? boldFont_ : font_;
    }
    if (role == Qt::TextAlignmentRole)
        return column->formatter() == ColumnFormatter::None
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    ATask* task = taskAt(index);
    if (task == nullptr)
        return (role == Qt::DisplayRole || role == Qt::EditRole) && !column->isCheckBox()
                   ? QVariant(QString())
                   : QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (column->isCheckBox())
            return {};
        if (column->coreDataKey() == "name")
            return task->name.absent() ? QString() : qText(task->name());
        const std::optional<std::string> text = column->stringValueForItem(task);
        return text ? qText(*text) : QString();
    }
    case Qt::CheckStateRole: {
        if (!column->isCheckBox())
            return {};
        const Value v = column->valueForItem(task);
        const bool* on = std::get_if<bool>(&v);
        return on != nullptr && *on ? Qt::Checked : Qt::Unchecked;
    }
    case Qt::ToolTipRole:
        if (column->coreDataKey() == "name" && !task->name.absent())
            return qText(task->name());
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags ProjectOutlineController::flags(const QModelIndex& index) const {
    TableColumn* column = columnAt(index.column());
    if (column == nullptr)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (taskAt(index) == nullptr) {
        if (column->editable() && !column->isCheckBox())
            f |= Qt::ItemIsEditable;
        return f | Qt::ItemNeverHasChildren;
    }
    if (column->isCheckBox())
        f |= Qt::ItemIsUserCheckable;
    else if (column->editable())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant ProjectOutlineController::headerData(int section, Qt::Orientation orientation,
                                              int role) const {
    TableColumn* column = columnAt(section);
    if (orientation != Qt::Horizontal || column == nullptr)
        return {};
    if (role == Qt::DisplayRole)
        return qText(column->description());
    return {};
}

bool ProjectOutlineController::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::CheckStateRole)
        return setCheckBox(index, value.toInt() == Qt::Checked);
    if (role != Qt::EditRole)
        return false;
    return editCell(index, value.toString());
}

bool ProjectOutlineController::editCell(const QModelIndex& index, const QString& text) {
    TableColumn* column = columnAt(index.column());
    ATask* task = taskAt(index);
    const int placeholder = placeholderAt(index);
    if (column == nullptr || !column->editable() || (task == nullptr && placeholder < 0))
        return false;
    if (task == nullptr && text.isEmpty())
        return false;
    if (task != nullptr && text == data(index, Qt::EditRole).toString())
        return false;
    const std::optional<Value> value = valueFromTypedText(*column, text.toStdString());
    if (!value)
        return false;
    ATask* edited = task;
    bridge_.command(tr("Typing"), [&] {
        if (edited == nullptr) {
            TaskHelper& helper = bridge_.document().taskHelper();
            for (int k = 0; k < placeholder; ++k)
                helper.addBlankTask();
            edited = helper.addEndTask(-1.0f);
        }
        if (edited != nullptr)
            column->setValueForItem(edited, *value);
        NotificationCenter::defaultCenter().post(kProjectChanged, this, &bridge_.store());
    });
    if (task == nullptr && edited != nullptr)
        emit taskCreatedFromPlaceholder(edited, index.column());
    return true;
}

bool ProjectOutlineController::setCheckBox(const QModelIndex& index, bool on) {
    TableColumn* column = columnAt(index.column());
    ATask* task = taskAt(index);
    if (column == nullptr || task == nullptr || !column->isCheckBox())
        return false;
    bridge_.command(qText(column->description()), [&] {
        column->setValueForItem(task, Value{on});
        NotificationCenter::defaultCenter().post(kProjectChanged, this, &bridge_.store());
    });
    return true;
}

void ProjectOutlineController::refresh() {
    const Store& store = bridge_.store();
    const std::vector<TableColumn*>& active =
        bridge_.document().columnController().getActiveColumns();
    if (active != columns_) {
        beginResetModel();
        columns_ = active;
        s_ = buildStructure();
        takeFonts();
        endResetModel();
        structureRevision_ = outlineRevision(store);
        valueRevision_ = store.valueRevision();
        emit structureChanged();
        return;
    }
    const std::uint64_t outline = outlineRevision(store);
    if (store.valueRevision() == valueRevision_ && outline == structureRevision_)
        return;
    valueRevision_ = store.valueRevision();
    takeFonts();
    if (outline != structureRevision_) {
        structureRevision_ = outline;
        Structure next = buildStructure();
        if (!(next == s_)) {
            applyStructure(std::move(next));
            return;
        }
    }
    const int rows = rowCount();
    if (rows > 0 && columnCount() > 0)
        // Only what cells show changed, not their sizes: the view keeps its row layout.
        emit dataChanged(
            index(0, 0), index(rows - 1, columnCount() - 1),
            {Qt::DisplayRole, Qt::EditRole, Qt::CheckStateRole, Qt::FontRole, Qt::ToolTipRole});
}

// Every persistent index (selection, current cell, expanded rows, open editors) follows its
// task to its new row; one whose task is gone becomes invalid.
void ProjectOutlineController::applyStructure(Structure next) {
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<std::pair<quintptr, int>> keys;
    keys.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& i : before)
        keys.emplace_back(i.internalId(), i.column());
    s_ = std::move(next);
    QModelIndexList after;
    after.reserve(before.size());
    for (const auto& [id, column] : keys) {
        if (isPlaceholderId(id)) {
            const int k = static_cast<int>(id >> 1);
            after.push_back(createIndex(rootCount() + k, column, id));
        } else {
            after.push_back(indexOf(reinterpret_cast<const ATask*>(id), column));
        }
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
    emit structureChanged();
}

} // namespace mapolt
