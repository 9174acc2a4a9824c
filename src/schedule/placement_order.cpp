#include "schedule/placement_order.h"

namespace mapolt {

void PlacementOrder::sumCounts() {
    for (std::size_t v = 0; v < 2 * n_; ++v)
        first_[v + 1] += first_[v];
    targets_.resize(first_.back());
}

std::vector<std::uint32_t> PlacementOrder::order(const std::vector<bool>& rollsUp,
                                                 std::span<const std::uint32_t> storeOrder,
                                                 bool& looped) const {
    const auto used = [&](std::uint32_t v) { return v < n_ || rollsUp[v - n_]; };
    std::vector<std::uint32_t> waiting(2 * n_, 0);
    for (const std::uint32_t t : targets_)
        ++waiting[t];
    // Where each task comes in store order: one taken there, or freed by one taken after it.
    std::vector<std::uint32_t> rank;
    if (!storeOrder.empty()) {
        rank.resize(n_);
        for (std::uint32_t s = 0; s < n_; ++s)
            rank[storeOrder[s]] = s;
    }
    const auto taskAt = [&](std::size_t s) {
        return storeOrder.empty() ? static_cast<std::uint32_t>(s) : storeOrder[s];
    };
    const auto rankOf = [&](std::uint32_t v) { return rank.empty() ? v : rank[v]; };

    std::vector<std::uint32_t> result;
    std::vector<bool> taken(2 * n_, false);
    const auto take = [&](std::uint32_t v) {
        taken[v] = true;
        result.push_back(v);
    };
    for (std::size_t v = n_; v < 2 * n_; ++v)
        if (used(static_cast<std::uint32_t>(v)) && waiting[v] == 0)
            take(static_cast<std::uint32_t>(v));
    std::size_t head = 0;
    for (std::size_t s = 0; s < n_; ++s) {
        if (const std::uint32_t v = taskAt(s); waiting[v] == 0 && !taken[v])
            take(v);
        for (; head < result.size(); ++head) {
            const std::uint32_t v = result[head];
            for (std::uint32_t k = first_[v]; k < first_[v + 1]; ++k) {
                const std::uint32_t w = targets_[k];
                if (--waiting[w] == 0 && (w >= n_ || rankOf(w) <= s))
                    take(w);
            }
        }
    }
    looped = false;
    for (std::size_t v = 0; v < 2 * n_; ++v)
        if (used(static_cast<std::uint32_t>(v)) && !taken[v]) {
            looped = true;
            take(static_cast<std::uint32_t>(v));
        }
    return result;
}

} // namespace mapolt
