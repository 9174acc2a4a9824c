#pragma once

#include <cstddef>
#include <vector>

namespace mapolt {

class ATask;
class TaskLengthCalc;

// How many tasks edits of the `edited` tasks can reach: their summaries, their subtrees, the
// successors along links and everything those carry, transitively. Counting stops past
// `limit`.
std::size_t editReach(const std::vector<ATask*>& edited, std::size_t limit);

// Places what an edit of `edited` drags along, each task once, after the final ends of its
// predecessors and after its summary's placement; each summary reached is rolled up once,
// after its subtasks. A task is placed only from the links of predecessors that were
// themselves placed in this run (a predecessor the edit does not reach moves nothing), with
// the propagation rules: the latest predecessor decides, the last placing link in store order
// decides between sticky lags, a placed summary carries its subtree and sets off its subtasks
// without predecessors, and a summary whose span moved places its own successors. The
// summaries above the edited task place their successors in any case.
void placeEditInDependencyOrder(TaskLengthCalc& durations, ATask* edited);

// The same placement for several edits taken as one, each task placed once after all of its
// predecessors. Running the edits one after the other would place a task again for each edit
// that reaches it, every time against the dates the others had then, and can end elsewhere
// where that order shows.
void placeEditsInDependencyOrder(TaskLengthCalc& durations, const std::vector<ATask*>& edited);

// The same placement for the successors of `predecessor` alone, as after a new link: its
// subtree stays where it is and the summaries above it are neither rolled up nor place their
// successors, unless a task placed in the run lies below them.
void placeSuccessorsInDependencyOrder(TaskLengthCalc& durations, ATask* predecessor);

} // namespace mapolt
