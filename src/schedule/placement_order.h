#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mapolt {

// The order a placement visits its nodes in: node i places task i, node n + i rolls summary
// i up. Each node comes after the nodes it waits for. Tasks are taken in store order as far
// as the waiting allows, so that placing reads the records the way they lie in memory; a task
// freed by one later in that order, and a roll-up, are taken as soon as they are free. Nodes
// on a loop (which the link check keeps out of documents) follow in node order, and `looped`
// tells of them.
class PlacementOrder {
  public:
    // `forEachEdge(edge)` calls `edge(from, to)` for every edge, the same ones on every call;
    // `rollsUp[i]` tells whether summary i has a roll-up node; `storeOrder` lists the tasks in
    // the order their records lie, or is empty when that is 0 to n - 1.
    template <class ForEachEdge>
    static std::vector<std::uint32_t> of(std::size_t n, const ForEachEdge& forEachEdge,
                                         const std::vector<bool>& rollsUp,
                                         std::span<const std::uint32_t> storeOrder, bool& looped) {
        PlacementOrder graph(n);
        // Counted first, then filled in place: no list of edges beside the graph.
        forEachEdge([&graph](std::uint32_t from, std::uint32_t) { ++graph.first_[from + 1]; });
        graph.sumCounts();
        std::vector<std::uint32_t> fill(graph.first_.begin(), graph.first_.end() - 1);
        forEachEdge(
            [&](std::uint32_t from, std::uint32_t to) { graph.targets_[fill[from]++] = to; });
        return graph.order(rollsUp, storeOrder, looped);
    }

  private:
    explicit PlacementOrder(std::size_t n) : n_(n), first_(2 * n + 1, 0) {}
    void sumCounts();
    std::vector<std::uint32_t> order(const std::vector<bool>& rollsUp,
                                     std::span<const std::uint32_t> storeOrder, bool& looped) const;

    std::size_t n_;
    std::vector<std::uint32_t> first_;
    std::vector<std::uint32_t> targets_;
};

} // namespace mapolt
