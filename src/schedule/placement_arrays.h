#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace mapolt {

class ATask;
class Store;

// What placing reads of every task, gathered once into arrays by the task's position. Once
// a plan outgrows the processor's caches, each pointer followed from record to record is a
// miss; a full recalculation of 100,000 tasks that reads the records once and then works on
// a few megabytes of arrays grows with the plan instead of with its misses. Work and
// completion stay in the records: only roll-ups read them, once per subtask.
struct PlacementArrays {
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    struct LinkIn {
        // kNone for a link whose predecessor is gone: it places nothing.
        std::uint32_t predecessor;
        // Counts only for a sticky link.
        float lag;
    };

    // Every live task of the store, in serial order.
    explicit PlacementArrays(const Store& store);

    std::size_t size() const { return tasks.size(); }
    float end(std::uint32_t i) const { return start[i] + elapsed[i]; }
    bool isSummary(std::uint32_t i) const { return firstSub[i] != firstSub[i + 1]; }
    bool hasLinksIn(std::uint32_t i) const { return hasLinksIn_[i]; }
    float candidate(std::uint32_t link) const {
        const float e = end(linksIn[link].predecessor);
        return linkSticky[link] ? e + linksIn[link].lag : e;
    }

    // Brings the arrays up to the task's record after something else wrote it.
    void reread(std::uint32_t i);
    // The same for every task, when too many were written to say which.
    void rereadAll();
    // The task's position, or kNone for a task gathered after the arrays were.
    std::uint32_t positionOf(const ATask* t) const;

    std::vector<ATask*> tasks;
    std::vector<float> start;
    std::vector<float> elapsed;
    std::vector<bool> locked;
    // Only the placement graph needs the summaries' positions; it frees them.
    std::vector<std::uint32_t> super;
    // Incoming links in store order: those of task i are [firstLinkIn[i], firstLinkIn[i + 1]).
    std::vector<std::uint32_t> firstLinkIn;
    std::vector<LinkIn> linksIn;
    std::vector<bool> linkSticky;
    // Subtasks in store order, the same way.
    std::vector<std::uint32_t> firstSub;
    std::vector<std::uint32_t> subs;

  private:
    // Positions by the serial's distance from the first task's.
    std::uint64_t lowSerial_ = 0;
    std::vector<std::uint32_t> positionBySerial_;
    // Also true for a link whose predecessor is gone, which places nothing but keeps the
    // task where its links put it.
    std::vector<bool> hasLinksIn_;
};

} // namespace mapolt
