#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace mapolt {

// What an import dropped or changed, counted, so that the user reads it in one message.
class ImportReport {
  public:
    enum class Item {
        TaskWithoutUID,
        BlankTask,
        PlacedBeforeFinish,
        PlacedAtProjectStart,
        LinkToMissingTask,
        LinkToItself,
        OtherLinkKind,
        LagNotTaken,
        AssignmentToMissing,
        kCount
    };

    void count(Item item, std::size_t n = 1) { counts_[static_cast<std::size_t>(item)] += n; }
    std::size_t counted(Item item) const { return counts_[static_cast<std::size_t>(item)]; }
    // A line of its own, shown before the counted ones.
    void note(std::string line) { notes_.push_back(std::move(line)); }
    void clear();

    // One line per note and per item counted at least once; empty when nothing was lost.
    std::vector<std::string> messages() const;

  private:
    std::array<std::size_t, static_cast<std::size_t>(Item::kCount)> counts_{};
    std::vector<std::string> notes_;
};

// 4210 as "4,210".
std::string groupedNumber(std::size_t n);

} // namespace mapolt
