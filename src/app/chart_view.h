#pragma once

#include <QAbstractScrollArea>

#include <cstdint>
#include <memory>
#include <vector>

namespace mapolt {

class ATask;
class DayRuler;
class DocumentBridge;
class DocumentChart;

// The Gantt chart of a document in a scroll area, with the two-tier day ruler fixed above
// it. It paints with the chart layer and only reads the document; its vertical scroll bar is
// the one the task table follows.
class ChartView final : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit ChartView(DocumentBridge& bridge, QWidget* parent = nullptr);
    ~ChartView() override;

    DocumentChart& chart() { return *chart_; }
    // Takes the document's state: rows, geometry, size; repaints.
    void refresh();
    // Rows drawn with the selection band.
    void setSelectedTasks(const std::vector<ATask*>& tasks);
    // Scrolls down so that the task's row is visible; rows above cause no scrolling.
    void scrollToTask(const ATask* task);
    // The chart's extent in pixels (calcSize): as wide as the latest bar with its label, as
    // high as the table's rows.
    QSize contentSize() const { return content_; }
    // The table's rows below the tasks; the chart leaves them empty.
    void setExtraRows(int rows) { extraRows_ = rows; }

  signals:
    // Ctrl and the wheel: +1 in, -1 out.
    void zoomRequested(int direction);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    class Ruler;
    void calcSize();
    void updateScrollBars();
    void measureExtent();

    DocumentBridge& bridge_;
    std::unique_ptr<DocumentChart> chart_;
    std::unique_ptr<DayRuler> dayRuler_;
    Ruler* ruler_;
    QSize content_;
    int extraRows_ = 30;
    std::vector<int> selectedRows_;
    std::vector<ATask*> selectedTasks_;
    // Whether the task's end or labels reach past the extent; false when the task held
    // the extent, which must then be measured over every row.
    bool widenExtentFor(const ATask* task);
    void measureWholeExtent();

    // The latest end in days and the widest right label, measured once per change.
    float latestEnd_ = 0.0f;
    float widestRightLabel_ = 0.0f;
    // The tasks whose end and whose label the extent reaches to.
    const ATask* latestTask_ = nullptr;
    const ATask* widestTask_ = nullptr;
    std::uint64_t extentRevision_ = ~0ULL;
    std::uint64_t extentShown_ = ~0ULL;
    std::uint64_t extentChanges_ = 0;
};

} // namespace mapolt
