#include "interchange/import_report.h"

#include <iterator>

namespace mapolt {

namespace {

struct Wording {
    const char* one;
    const char* many;
};

// Indexed by ImportReport::Item.
constexpr Wording kWordings[] = {
    {"1 task was skipped: it has no UID.", " tasks were skipped: they have no UID."},
    {"1 blank task row was skipped.", " blank task rows were skipped."},
    {"1 task without a start was placed to end at its finish.",
     " tasks without a start were placed to end at their finish."},
    {"1 task without a start was placed at the project start.",
     " tasks without a start were placed at the project start."},
    {"1 link was skipped: a task it joins is not in the file.",
     " links were skipped: a task they join is not in the file."},
    {"1 link was skipped: it would make a task wait for itself.",
     " links were skipped: they would make a task wait for itself."},
    {"1 start-to-start, finish-to-finish or start-to-finish link was made finish-to-start.",
     " start-to-start, finish-to-finish or start-to-finish links were made finish-to-start."},
    {"1 link lag was not taken over.", " link lags were not taken over."},
    {"1 assignment was skipped: its task or resource is not in the file.",
     " assignments were skipped: their task or resource is not in the file."},
};
static_assert(std::size(kWordings) == static_cast<std::size_t>(ImportReport::Item::kCount));

} // namespace

void ImportReport::clear() {
    counts_ = {};
    notes_.clear();
}

std::vector<std::string> ImportReport::messages() const {
    std::vector<std::string> lines = notes_;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        if (counts_[i] == 1)
            lines.emplace_back(kWordings[i].one);
        else if (counts_[i] > 1)
            lines.push_back(groupedNumber(counts_[i]) + kWordings[i].many);
    }
    return lines;
}

std::string groupedNumber(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(digits[i]);
    }
    return grouped;
}

} // namespace mapolt
