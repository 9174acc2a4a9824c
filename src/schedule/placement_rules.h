#pragma once

#include <algorithm>
#include <functional>
#include <optional>

namespace mapolt {

class ATask;

// The decisions every placement shares, whichever walk makes them.

// A link places its successor when its candidate start reaches the latest end among the
// successor's other predecessors: a successor follows its latest predecessor, also when two
// of them end on the same day. A candidate that does not exceed 0 moves nothing, as the
// latest end starts from 0.
bool placesSuccessor(float candidate, float dist);

// The start a task's incoming links give it, or none when no link places it. `forEachLink`
// calls its argument with each link in store order as (predecessor, the predecessor's end,
// the link's candidate start, whether the link may place): links of one predecessor share
// its key, and a link that may not place still counts towards the latest end. Each link is
// held against the latest end among the task's other predecessors, and the last link that
// places the task decides between sticky lags.
template <class Key, class ForEachLink>
std::optional<float> startFromLinks(const ForEachLink& forEachLink) {
    // The two latest ends of distinct predecessors give each link its dist.
    std::optional<Key> latest;
    float best = 0.0f;
    float second = 0.0f;
    forEachLink([&](Key p, float end, float, bool) {
        if (latest && p == *latest) {
            best = std::max(best, end);
        } else if (!latest || end > best) {
            second = std::max(second, latest ? best : 0.0f);
            latest = p;
            best = std::max(end, 0.0f);
        } else {
            second = std::max(second, end);
        }
    });
    std::optional<float> start;
    forEachLink([&](Key p, float, float candidate, bool places) {
        if (places && placesSuccessor(candidate, latest && p == *latest ? second : best))
            start = candidate;
    });
    return start;
}

// The start that a summary's move lands on the summary's start: the earliest start among the
// subtasks that move with it, a nested summary counting by the earliest of its own moving
// subtasks (its start may come from one that stays). A locked subtask keeps its start, one
// with predecessors takes its start from them, and a summary none of whose subtasks moves
// stays where they are. None when no subtask moves. Counting the ones that stay would shift
// the others again on every recalculation.
std::optional<float> subtreeAnchor(const ATask* summary);

// Where a subtask of a summary goes when the summary's move takes the anchor `m` to `s`;
// a nested summary that moves lands so that its own subtree moves by the same amount.
float movedStart(const ATask* subtask, float m, float s);

// Moves the subtree of a summary to its start, as its placement by a link does: the anchor
// lands on its start, the other subtasks keep their distances, locked ones stay, and nested
// summaries take their own subtrees along. `setsOff` is told of every subtask without
// predecessors of each summary the move reaches, the ones whose own successors follow. The
// anchors of the whole subtree are found in one pass from the leaves up, so a deep outline
// costs its size, not its size times its depth.
void moveSubtree(ATask* summary, const std::function<void(ATask*)>& setsOff = {});

} // namespace mapolt
