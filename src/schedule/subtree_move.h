#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace mapolt {

// How a summary's move carries its subtree, written once for every form the outline takes
// (the records themselves, or the arrays a full recalculation gathers from them). An
// `Outline` gives, for its `Node` type: forEachSubtask(node, f) in store order, isLeaf(node),
// locked(node), hasLinksIn(node), start(node) and setStart(node, days). A task stays where
// it is when it is locked or placed by its own links.

// A subtree in pre-order, each task with its parent's position, and from the leaves up the
// earliest start among the moving tasks below each task (`below`) and of the task itself
// counted as a subtask (`anchor`: none for one that stays, its start for a leaf).
template <class Outline> struct SubtreeAnchors {
    using Node = typename Outline::Node;
    std::vector<Node> tasks;
    std::vector<std::uint32_t> parent;
    std::vector<std::optional<float>> below;
    std::vector<std::optional<float>> anchor;

    SubtreeAnchors(const Outline& outline, Node root) {
        std::vector<std::pair<Node, std::uint32_t>> pending{{root, 0}};
        std::vector<Node> subs;
        while (!pending.empty()) {
            const auto [t, p] = pending.back();
            pending.pop_back();
            const auto index = static_cast<std::uint32_t>(tasks.size());
            tasks.push_back(t);
            parent.push_back(p);
            // Pushed in reverse so that subtasks come out in store order.
            subs.clear();
            outline.forEachSubtask(t, [&subs](Node u) { subs.push_back(u); });
            for (auto it = subs.rbegin(); it != subs.rend(); ++it)
                pending.emplace_back(*it, index);
        }
        below.assign(tasks.size(), std::nullopt);
        anchor.assign(tasks.size(), std::nullopt);
        for (std::size_t i = tasks.size(); i-- > 0;) {
            const Node t = tasks[i];
            if (!outline.locked(t) && !outline.hasLinksIn(t))
                anchor[i] = outline.isLeaf(t) ? std::optional<float>(outline.start(t)) : below[i];
            if (i > 0 && anchor[i] && (!below[parent[i]] || *anchor[i] < *below[parent[i]]))
                below[parent[i]] = anchor[i];
        }
    }
};

// Moves the subtree of `summary` to the summary's start: the anchor lands on it, the other
// subtasks keep their distances, locked ones stay, and nested summaries take their own
// subtrees along. `setsOff` is told of every subtask without predecessors of each summary the
// move reaches.
template <class Outline, class SetsOff>
void moveSubtreeOf(Outline& outline, typename Outline::Node summary, const SetsOff& setsOff) {
    const SubtreeAnchors<Outline> a(outline, summary);
    // Which summaries the move reaches: the summary itself, and below a summary with a
    // moving subtask each of its subtasks that has subtasks of its own.
    std::vector<bool> reached(a.tasks.size(), false);
    reached[0] = true;
    for (std::size_t i = 1; i < a.tasks.size(); ++i) {
        const std::uint32_t p = a.parent[i];
        if (!reached[p])
            continue;
        const auto u = a.tasks[i];
        if (!outline.hasLinksIn(u))
            setsOff(u);
        if (!a.below[p])
            continue;
        // The parent has already moved: its start is final here.
        const float s = outline.start(a.tasks[p]);
        if (!outline.locked(u))
            outline.setStart(u, a.anchor[i].value_or(outline.start(u)) - *a.below[p] + s);
        reached[i] = !outline.isLeaf(u);
    }
}

} // namespace mapolt
