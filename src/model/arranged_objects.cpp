#include "model/arranged_objects.h"

#include "model/entities.h"
#include "model/store.h"

#include <algorithm>
#include <utility>

namespace mapolt {

namespace {

void sortByViewOrder(std::vector<ATask*>& tasks) {
    std::stable_sort(tasks.begin(), tasks.end(), [](const ATask* a, const ATask* b) {
        return a->viewOrder() < b->viewOrder();
    });
}

} // namespace

std::vector<ATask*> arrangedObjects(const Store& store) {
    std::vector<ATask*> roots =
        store.fetch<ATask>([](const ATask& t) { return t.superTask() == nullptr; });
    sortByViewOrder(roots);

    std::vector<ATask*> rows;
    rows.reserve(store.count(Entity::ATask));
    // An explicit stack of sibling lists, so a deep outline cannot overflow the call stack.
    std::vector<std::pair<std::vector<ATask*>, std::size_t>> stack;
    stack.emplace_back(std::move(roots), 0);
    while (!stack.empty()) {
        auto& [siblings, next] = stack.back();
        if (next == siblings.size()) {
            stack.pop_back();
            continue;
        }
        ATask* task = siblings[next++];
        rows.push_back(task);
        if (task->isExpanded() && !task->subTasks.empty()) {
            std::vector<ATask*> children = task->subTasks();
            sortByViewOrder(children);
            stack.emplace_back(std::move(children), 0);
        }
    }
    return rows;
}

} // namespace mapolt
