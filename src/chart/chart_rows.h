#pragma once

#include "model/serial_index.h"

#include <vector>

namespace mapolt {

class ATask;
class DepLink;
class Store;

// A link as the chart draws it: from the row of its predecessor (or of the predecessor's
// nearest displayed ancestor) to the row of its successor (or of that one's ancestor).
struct ChartLink {
    DepLink* link = nullptr;
    ATask* predecessor = nullptr;
    ATask* successor = nullptr;
    int fromRow = 0;
    int toRow = 0;
};

// The displayed task list with its row lookups and the links to draw, built once per change
// of the project so that drawing a few visible rows does not depend on the project's size.
class ChartRows {
  public:
    ChartRows() = default;
    explicit ChartRows(std::vector<ATask*> tasks);
    // The arranged rows of the store (the outline's row list).
    static ChartRows of(const Store& store);

    const std::vector<ATask*>& tasks() const { return tasks_; }
    int totalRows() const { return static_cast<int>(tasks_.size()); }
    ATask* task(int row) const { return tasks_[static_cast<std::size_t>(row)]; }
    // -1 when the task is not displayed.
    int rowOf(const ATask* task) const;
    // The row of the task or of its first displayed ancestor; -1 when there is none.
    int displayedRowOf(const ATask* task) const;

    // Every link to draw, in the order of the row walk.
    const std::vector<ChartLink>& links() const { return links_; }
    // Indexes into links() of the links whose rows reach into first..last, in walk order.
    std::vector<int> linksTouchingRows(int first, int last) const;

  private:
    void collectLinks();
    void buildLinkIndex();
    void collectFrom(int node, int lo, int hi, int prefixEnd, int minReach,
                     std::vector<int>& out) const;

    std::vector<ATask*> tasks_;
    SerialIndex rowOf_;
    std::vector<ChartLink> links_;
    // Links sorted by their upper row, with a tree of the largest lower row per range.
    std::vector<int> byTop_;
    std::vector<int> tops_;
    std::vector<int> maxBottom_;
};

} // namespace mapolt
