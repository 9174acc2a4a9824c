#pragma once

namespace mapolt {

class PlacementMemo;
class Store;
class TaskLengthCalc;

// A full recalculation that places every task once. A task is placed after the final ends of
// its predecessors and after its summary's placement; a summary is rolled up once, after all
// of its subtasks. Placing follows the propagation rules: every unlocked task with
// predecessors is placed from them (its incoming links in store order, the last link that
// places it deciding between sticky lags), a summary so placed moves its subtree, and a
// leaf's duration is computed from its final start. Locked tasks keep their starts and still
// place their successors, whatever duration was stored for them. Ready tasks are taken in
// store order, so the result is deterministic. What it gathers from the records is kept in
// `memo` for the next recalculation of the same store.
void placeInDependencyOrder(Store& context, TaskLengthCalc& durations, PlacementMemo& memo);

} // namespace mapolt
