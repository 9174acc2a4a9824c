#include "model/outline_check.h"

#include "model/entities.h"
#include "model/store.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace mapolt {

namespace {

std::string describe(const ATask* task) {
    const std::optional<std::string> name = task->name.optional();
    if (!name || name->empty())
        return "a task without a name (row " + std::to_string(task->viewOrder() + 1LL) + ")";
    return "task \"" + name->substr(0, 200) + "\"";
}

// Walks up from every task once; a walk that meets its own path has found a ring of
// parents, which is cut above the task where the ring closed.
void cutParentRings(const std::vector<ATask*>& tasks, std::vector<std::string>& repairs) {
    enum class State : unsigned char { Fresh, OnPath, Done };
    std::unordered_map<const ATask*, State> state;
    state.reserve(tasks.size());
    std::vector<ATask*> path;
    for (ATask* start : tasks) {
        path.clear();
        ATask* t = start;
        while (t != nullptr && state[t] == State::Fresh) {
            state[t] = State::OnPath;
            path.push_back(t);
            t = t->superTask();
        }
        if (t != nullptr && state[t] == State::OnPath) {
            repairs.push_back("The outline put " + describe(t) +
                              " inside itself; it was moved to the top level.");
            t->set(&ATask::superTask, nullptr);
            t->set(&ATask::prevSibling, nullptr);
            t->set(&ATask::nextSibling, nullptr);
        }
        for (ATask* p : path)
            state[p] = State::Done;
    }
}

// True when the chain through `members` is one list holding each of them once.
bool isSimpleChain(const std::vector<ATask*>& members, const ATask* parent) {
    const ATask* head = nullptr;
    for (const ATask* m : members) {
        const ATask* prev = m->prevSibling();
        const ATask* next = m->nextSibling();
        if ((prev != nullptr && prev->superTask() != parent) ||
            (next != nullptr && next->superTask() != parent))
            return false;
        if (prev == nullptr) {
            if (head != nullptr)
                return false;
            head = m;
        }
    }
    std::size_t walked = 0;
    for (const ATask* t = head; t != nullptr && walked <= members.size(); t = t->nextSibling())
        ++walked;
    return walked == members.size();
}

void rebuildChain(std::vector<ATask*>& members) {
    std::stable_sort(members.begin(), members.end(), [](const ATask* a, const ATask* b) {
        return a->viewOrder() < b->viewOrder();
    });
    for (std::size_t i = 0; i < members.size(); ++i)
        members[i]->set(&ATask::prevSibling, i == 0 ? nullptr : members[i - 1]);
    if (!members.empty())
        members.back()->set(&ATask::nextSibling, nullptr);
}

// Row numbers in outline order, walking the (now sound) chains.
void renumber(const std::vector<ATask*>& topLevel) {
    const auto headOf = [](const std::vector<ATask*>& members) -> ATask* {
        for (ATask* m : members)
            if (m->prevSibling() == nullptr)
                return m;
        return nullptr;
    };
    int row = 0;
    std::vector<ATask*> resume;
    ATask* t = headOf(topLevel);
    while (t != nullptr) {
        t->set(&ATask::viewOrder, row++);
        if (ATask* child = headOf(t->subTasks())) {
            resume.push_back(t->nextSibling());
            t = child;
            continue;
        }
        t = t->nextSibling();
        while (t == nullptr && !resume.empty()) {
            t = resume.back();
            resume.pop_back();
        }
    }
}

} // namespace

std::vector<std::string> checkOutlineStructure(Store& store) {
    std::vector<std::string> repairs;
    const std::vector<ATask*> tasks = store.fetch<ATask>([](const ATask&) { return true; });
    cutParentRings(tasks, repairs);

    std::vector<ATask*> topLevel;
    for (ATask* t : tasks)
        if (t->superTask() == nullptr)
            topLevel.push_back(t);
    std::vector<std::pair<ATask*, std::vector<ATask*>>> broken;
    if (!isSimpleChain(topLevel, nullptr))
        broken.emplace_back(nullptr, topLevel);
    for (ATask* t : tasks)
        if (!t->subTasks.empty() && !isSimpleChain(t->subTasks(), t))
            broken.emplace_back(t, t->subTasks());
    // Every link of a broken chain goes before any is made again: a link into another
    // group breaks that group too, and clearing it late would undo its rebuilding.
    for (auto& [parent, members] : broken)
        for (ATask* m : members)
            m->set(&ATask::nextSibling, nullptr);
    for (auto& [parent, members] : broken) {
        rebuildChain(members);
        repairs.push_back(parent == nullptr
                              ? "The order of the top-level tasks was damaged; it was rebuilt "
                                "from their row numbers."
                              : "The order of the subtasks of " + describe(parent) +
                                    " was damaged; it was rebuilt from their row numbers.");
    }

    const auto count = static_cast<long long>(tasks.size());
    const bool outOfRange = std::any_of(tasks.begin(), tasks.end(), [count](const ATask* t) {
        return t->viewOrder() < 0 || t->viewOrder() >= count;
    });
    // Stale row numbers are common in files of other programs and no damage: they are
    // renumbered without a message, before anything adds one to them.
    if (outOfRange || !repairs.empty())
        renumber(topLevel);
    return repairs;
}

} // namespace mapolt
