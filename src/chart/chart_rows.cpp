#include "chart/chart_rows.h"

#include "model/arranged_objects.h"
#include "model/entities.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace mapolt {

ChartRows::ChartRows(std::vector<ATask*> tasks) : tasks_(std::move(tasks)) {
    for (std::size_t i = 0; i < tasks_.size(); ++i)
        rowOf_[tasks_[i]] = static_cast<std::uint32_t>(i);
    collectLinks();
    buildLinkIndex();
}

ChartRows ChartRows::of(const Store& store) {
    return ChartRows(arrangedObjects(store));
}

int ChartRows::rowOf(const ATask* task) const {
    const std::uint32_t row = rowOf_.find(task);
    return row == SerialIndex::kNone ? -1 : static_cast<int>(row);
}

int ChartRows::displayedRowOf(const ATask* task) const {
    for (const ATask* t = task; t != nullptr; t = t->superTask()) {
        const int row = rowOf(t);
        if (row >= 0)
            return row;
    }
    return -1;
}

void ChartRows::collectLinks() {
    for (std::size_t i = 0; i < tasks_.size(); ++i) {
        ATask* t = tasks_[i];
        const int row = static_cast<int>(i);
        for (DepLink* link : t->dependTasks) {
            ATask* successor = link->dependeeTask();
            const int to = displayedRowOf(successor);
            if (successor != nullptr && to >= 0)
                links_.push_back({link, t, successor, row, to});
        }
        for (DepLink* link : t->dependeeTasks) {
            ATask* predecessor = link->dependTask();
            if (predecessor == nullptr || rowOf(predecessor) >= 0)
                continue;
            const int from = displayedRowOf(predecessor);
            if (from >= 0)
                links_.push_back({link, predecessor, t, from, row});
        }
    }
}

void ChartRows::buildLinkIndex() {
    const auto top = [this](int k) {
        const ChartLink& l = links_[static_cast<std::size_t>(k)];
        return std::min(l.fromRow, l.toRow);
    };
    byTop_.resize(links_.size());
    std::iota(byTop_.begin(), byTop_.end(), 0);
    std::stable_sort(byTop_.begin(), byTop_.end(), [&](int a, int b) { return top(a) < top(b); });
    tops_.resize(byTop_.size());
    for (std::size_t k = 0; k < byTop_.size(); ++k)
        tops_[k] = top(byTop_[k]);
    if (byTop_.empty())
        return;
    maxBottom_.assign(4 * byTop_.size(), -1);
    // Iterative bottom-up fill of the recursive layout used by collectFrom.
    struct Frame {
        int node, lo, hi;
        bool visited;
    };
    std::vector<Frame> stack{{1, 0, static_cast<int>(byTop_.size()), false}};
    while (!stack.empty()) {
        Frame f = stack.back();
        stack.pop_back();
        if (f.hi - f.lo == 1) {
            const ChartLink& l = links_[static_cast<std::size_t>(byTop_[f.lo])];
            maxBottom_[f.node] = std::max(l.fromRow, l.toRow);
            continue;
        }
        const int mid = (f.lo + f.hi) / 2;
        if (!f.visited) {
            stack.push_back({f.node, f.lo, f.hi, true});
            stack.push_back({2 * f.node, f.lo, mid, false});
            stack.push_back({2 * f.node + 1, mid, f.hi, false});
        } else {
            maxBottom_[f.node] = std::max(maxBottom_[2 * f.node], maxBottom_[2 * f.node + 1]);
        }
    }
}

void ChartRows::collectFrom(int node, int lo, int hi, int prefixEnd, int minReach,
                            std::vector<int>& out) const {
    if (lo >= prefixEnd || maxBottom_[node] < minReach)
        return;
    if (hi - lo == 1) {
        out.push_back(byTop_[lo]);
        return;
    }
    const int mid = (lo + hi) / 2;
    collectFrom(2 * node, lo, mid, prefixEnd, minReach, out);
    collectFrom(2 * node + 1, mid, hi, prefixEnd, minReach, out);
}

std::vector<int> ChartRows::linksTouchingRows(int first, int last) const {
    std::vector<int> out;
    if (byTop_.empty() || last < first)
        return out;
    const int prefixEnd =
        static_cast<int>(std::upper_bound(tops_.begin(), tops_.end(), last) - tops_.begin());
    collectFrom(1, 0, static_cast<int>(byTop_.size()), prefixEnd, first, out);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace mapolt
