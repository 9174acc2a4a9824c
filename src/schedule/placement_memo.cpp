#include "schedule/placement_memo.h"

#include "model/entities.h"
#include "model/store.h"
#include "schedule/placement_order.h"

namespace mapolt {

namespace {

using Index = std::uint32_t;

// A summary's successors wait for its roll-up, its subtasks for its placement.
std::vector<Index> placementOrder(const PlacementArrays& a, bool& looped) {
    const std::size_t n = a.size();
    const auto finish = [&](Index i) { return a.isSummary(i) ? static_cast<Index>(n + i) : i; };
    const auto forEachEdge = [&](const auto& edge) {
        for (Index i = 0; i < n; ++i) {
            if (const Index p = a.super[i]; p != PlacementArrays::kNone) {
                edge(p, i);
                edge(finish(i), static_cast<Index>(n + p));
            }
            for (Index k = a.firstLinkIn[i]; k < a.firstLinkIn[i + 1]; ++k)
                if (const Index p = a.linksIn[k].predecessor; p != PlacementArrays::kNone)
                    edge(finish(p), i);
        }
    };
    std::vector<bool> rollsUp(n);
    for (Index i = 0; i < n; ++i)
        rollsUp[i] = a.isSummary(i);
    return PlacementOrder::of(n, forEachEdge, rollsUp, {}, looped);
}

} // namespace

std::uint64_t PlacementMemo::structureRevision(const Store& store) {
    return store.revision(Entity::ATask, {"superTask", "subTasks", "dependeeTasks"}) +
           store.revision(Entity::DepLink, {"sticky", "daysBetween", "dependTask", "dependeeTask"});
}

PlacementArrays& PlacementMemo::arrays(Store& store, bool& looped) {
    if (!bringUpToDate(store)) {
        // Dropped first, so that the old arrays and the new never take memory together.
        arrays_.reset();
        order_ = {};
        arrays_.emplace(store);
        order_ = placementOrder(*arrays_, looped_);
        // Only the order needs the summaries' positions.
        std::vector<Index>().swap(arrays_->super);
        store_ = &store;
        structure_ = structureRevision(store);
        store.skipChanges(cursor_);
        ++gatherCount_;
    }
    looped = looped_;
    return *arrays_;
}

// Reads again the tasks written since the arrays were last in step with the records; false
// when they must be gathered afresh.
bool PlacementMemo::bringUpToDate(Store& store) {
    if (!arrays_ || store_ != &store || structure_ != structureRevision(store))
        return false;
    const std::optional<std::vector<Record*>> changes = store.changesSince(cursor_);
    PlacementArrays& a = *arrays_;
    if (!changes) {
        // Too much changed to be listed. No task came or went, so all are still there, and
        // reading their dates again costs far less than gathering links and subtasks.
        a.rereadAll();
        return true;
    }
    for (Record* r : *changes) {
        if (r->entity() != Entity::ATask || r->isDeleted())
            continue;
        const auto* t = static_cast<const ATask*>(r);
        const Index i = a.positionOf(t);
        if (i == PlacementArrays::kNone || a.tasks[i] != t)
            return false;
        a.reread(i);
    }
    return true;
}

void PlacementMemo::placed(Store& store) {
    store.skipChanges(cursor_);
}

} // namespace mapolt
