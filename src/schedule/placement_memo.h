#pragma once

#include "schedule/placement_arrays.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mapolt {

class Store;

// A full recalculation's arrays and order, kept for the next one. Recalculating after a
// calendar or preference change leaves the outline and the links as they were, and reading
// them again means following pointers into every task, link and set, which on a large plan
// misses the caches at each step.
// The kept arrays serve while no task or link came or went and none changed its partners,
// lag or stickiness; the tasks written since are read again from the store's journal.
class PlacementMemo {
  public:
    // The arrays of the store as it is now, kept or gathered afresh, and the order to place
    // them in; `looped` tells of tasks on a loop of links and summaries.
    PlacementArrays& arrays(Store& store, bool& looped);
    const std::vector<std::uint32_t>& order() const { return order_; }
    // After placing: the records it wrote are in the arrays already.
    void placed(Store& store);
    // How often the arrays were gathered from every record rather than kept.
    std::size_t gatherCount() const { return gatherCount_; }

  private:
    static std::uint64_t structureRevision(const Store& store);
    bool bringUpToDate(Store& store);

    std::optional<PlacementArrays> arrays_;
    std::vector<std::uint32_t> order_;
    bool looped_ = false;
    const Store* store_ = nullptr;
    std::uint64_t structure_ = 0;
    std::uint64_t cursor_ = 0;
    std::size_t gatherCount_ = 0;
};

} // namespace mapolt
