#pragma once

#include <unordered_set>
#include <vector>

namespace mapolt {
class ATask;
} // namespace mapolt

namespace mapolt::testing {

// The critical-path trace exactly as the scheduling rules state it: plain recursion with
// no memory of the calls made, so every path to a task traces it again. The reference the
// service is checked against; only for small acyclic projects. Roots are traced in the
// order given, links and subtasks in the order the store keeps them.
class LiteralCriticalPath {
  public:
    using TaskSet = std::unordered_set<const ATask*>;

    // Levels as the service reports them, for every task of `tasks`.
    std::vector<int> levels(const std::vector<ATask*>& roots, const std::vector<ATask*>& tasks);

    void calcCriticalPath(ATask* task, int currentCrit, bool checkSuper, bool checkSub);
    void checkSuperTask(ATask* task, int currentCrit);
    void checkSubTask(ATask* task, int currentCrit);

    TaskSet cpTasksCrit;
    TaskSet cpTasksFlaot;
    TaskSet tempSubTasks;
    TaskSet tempSubTasksCrit;
};

} // namespace mapolt::testing
