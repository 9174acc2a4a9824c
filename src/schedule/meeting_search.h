#pragma once

#include "model/serial_index.h"

#include <cstdint>
#include <vector>

namespace mapolt {

class ATask;

// A node of a search over the plan: a task, and which of up to sixteen roles it plays in the
// graph searched.
struct SearchNode {
    ATask* task;
    std::uint8_t role;
};

// Whether any of `from` reaches `to`. The search goes forwards from `from` and backwards from
// `to` by turns, one node each, and stops when the two meet or either side runs out, so its
// cost follows the smaller side: a link near the top of a large plan has little above it,
// one near the end little below it. `forward(node, visit)` and `backward(node, visit)` call
// `visit` with each node one step on in that direction.
template <class Forward, class Backward>
bool reachesEitherWay(const std::vector<SearchNode>& from, SearchNode to, const Forward& forward,
                      const Backward& backward) {
    SerialIndex marks(0);
    std::vector<SearchNode> ahead;
    std::vector<SearchNode> behind;
    const auto bit = [](SearchNode n, bool forwards) {
        return std::uint32_t{1} << (2 * n.role + (forwards ? 0 : 1));
    };
    // Marks the node for its side; true when the other side has been there.
    const auto meets = [&](SearchNode n, bool forwards) {
        std::uint32_t& m = marks[n.task];
        if ((m & bit(n, !forwards)) != 0)
            return true;
        if ((m & bit(n, forwards)) == 0) {
            m |= bit(n, forwards);
            (forwards ? ahead : behind).push_back(n);
        }
        return false;
    };
    meets(to, false);
    for (SearchNode n : from)
        if (meets(n, true))
            return true;
    bool met = false;
    while (!ahead.empty() && !behind.empty()) {
        const SearchNode a = ahead.back();
        ahead.pop_back();
        forward(a, [&](SearchNode n) { met = met || meets(n, true); });
        if (met)
            return true;
        const SearchNode b = behind.back();
        behind.pop_back();
        backward(b, [&](SearchNode n) { met = met || meets(n, false); });
        if (met)
            return true;
    }
    return false;
}

} // namespace mapolt
