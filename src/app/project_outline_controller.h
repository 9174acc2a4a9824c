#pragma once

#include <QAbstractItemModel>
#include <QFont>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace mapolt {

class ATask;
class DocumentBridge;
class TableColumn;

// The task outline as a Qt item model: the root tasks in row order, each with its subtasks,
// then 30 empty rows that create tasks when typed into. Cell values and edits go to the
// document's column objects. A change of the project updates the rows in place (a layout
// change that keeps selection and expansion on the same tasks), never by a reset, and a
// change that moves no row only repaints.
class ProjectOutlineController final : public QAbstractItemModel {
    Q_OBJECT

  public:
    static constexpr int kPlaceholderRows = 30;

    explicit ProjectOutlineController(DocumentBridge& bridge, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    ATask* taskAt(const QModelIndex& index) const;
    // Which empty row (0 to 29) the index is, or -1 for a task row.
    int placeholderAt(const QModelIndex& index) const;
    QModelIndex indexOf(const ATask* task, int column = 0) const;
    TableColumn* columnAt(int section) const;
    // The section of the column with the task names, where the outline's tree is drawn.
    int nameSection() const;
    int rootCount() const { return static_cast<int>(s_.roots.size()); }
    // The tasks that have subtasks, for restoring their expansion.
    std::vector<ATask*> summaries() const;

    // Brings the rows, columns and fonts in line with the project.
    void refresh();

  signals:
    // Typing into an empty row made `task`; the edit continues on its row.
    void taskCreatedFromPlaceholder(ATask* task, int column);
    // Rows were added, removed or moved, or the columns changed.
    void structureChanged();

  private:
    struct Structure {
        std::vector<ATask*> roots;
        std::unordered_map<const ATask*, std::vector<ATask*>> children;
        // Each task's parent and row under it as the rows were built, so that the model
        // answers consistently until the next refresh even while the store has moved on.
        // Keyed by address only: a task the store has freed since is never read.
        struct Place {
            ATask* parent = nullptr;
            int row = 0;
        };
        std::unordered_map<const ATask*, Place> placeOf;
        bool operator==(const Structure& other) const {
            return roots == other.roots && children == other.children;
        }
    };
    Structure buildStructure() const;
    void applyStructure(Structure next);
    bool editCell(const QModelIndex& index, const QString& text);
    bool setCheckBox(const QModelIndex& index, bool on);
    const std::vector<ATask*>& childrenOf(const ATask* task) const;
    void takeFonts();

    DocumentBridge& bridge_;
    Structure s_;
    std::vector<TableColumn*> columns_;
    QFont font_;
    QFont boldFont_;
    std::uint64_t structureRevision_ = ~0ULL;
    std::uint64_t valueRevision_ = ~0ULL;
};

} // namespace mapolt
