#pragma once

#include "chart/font_keyed_cache.h"
#include <QHash>

#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <vector>

namespace mapolt {

class ATask;
class DocumentBridge;
class ProjectOutlineController;

// The task table beside the chart: an outline over the document's tasks whose rows are as
// high as the chart's, in the style's colours. Return ends an edit and moves down a row,
// as in a spreadsheet; typing into a row starts editing it.
class ProjectOutlineView final : public QTreeView {
    Q_OBJECT

  public:
    ProjectOutlineView(DocumentBridge& bridge, ProjectOutlineController& model,
                       QWidget* parent = nullptr);

    ProjectOutlineController& outline() const { return *outline_; }
    // The tasks on the selected rows, in row order (empty rows left out).
    std::vector<ATask*> selectedTasks() const;
    void selectTasks(const std::vector<ATask*>& tasks);
    // Expands every summary above the task, scrolls its row into view and selects it.
    void selectObjectNumber(ATask* task);
    int rowHeight() const { return rowHeight_; }
    // Takes the row height, colours and column widths from the document.
    void refreshLook();
    // Sets each summary's expansion from its stored flag.
    void arrangeExpansions();

  signals:
    void selectedTasksChanged();

  protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    void storeExpansion(const QModelIndex& index, bool expanded);
    void applyColumnWidths();
    void columnResizedByUser(int section, int oldSize, int newSize);

    DocumentBridge& bridge_;
    ProjectOutlineController* outline_;
    int rowHeight_ = 19;
    bool moveDownAfterEdit_ = false;
    ATask* createdTask_ = nullptr;
    int createdColumn_ = 0;
    bool arranging_ = false;
    bool applyingWidths_ = false;
    QColor gridColour_;
    friend class OutlineDelegate;
};

// Draws cells at the chart's row height and tells the view when Return ends an edit. Text
// cells are drawn from laid-out text kept between paints, since laying out every cell's text
// on every scroll is most of a repaint's cost.
class OutlineDelegate final : public QStyledItemDelegate {
    Q_OBJECT

  public:
    explicit OutlineDelegate(ProjectOutlineView& view) : QStyledItemDelegate(&view), view_(view) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

  private:
    const QStaticText& laidOut(const QString& text, const QFont& font) const;
    const QStaticText& laidOutToFit(const QString& text, const QFont& font, int width) const;

    ProjectOutlineView& view_;
    mutable FontKeyedCache<QStaticText> laidOut_;
};

} // namespace mapolt
