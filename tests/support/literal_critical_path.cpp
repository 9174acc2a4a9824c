#include "support/literal_critical_path.h"

#include "model/entities.h"

namespace mapolt::testing {

namespace {

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

} // namespace

std::vector<int> LiteralCriticalPath::levels(const std::vector<ATask*>& roots,
                                             const std::vector<ATask*>& tasks) {
    cpTasksCrit.clear();
    cpTasksFlaot.clear();
    tempSubTasks.clear();
    tempSubTasksCrit.clear();
    for (ATask* root : roots)
        calcCriticalPath(root, 2, true, true);
    const TaskSet rootSet(roots.begin(), roots.end());
    std::vector<int> out;
    for (const ATask* t : tasks) {
        if (roots.empty())
            out.push_back(0);
        else if (rootSet.contains(t))
            out.push_back(3);
        else if (cpTasksCrit.contains(t))
            out.push_back(2);
        else if (cpTasksFlaot.contains(t))
            out.push_back(1);
        else
            out.push_back(0);
    }
    return out;
}

void LiteralCriticalPath::calcCriticalPath(ATask* t, int c, bool up, bool down) {
    if (down)
        checkSubTask(t, c);
    tempSubTasks.insert(t);
    for (DepLink* l : t->dependeeTasks) {
        ATask* p = l->dependTask();
        if (p == nullptr)
            continue;
        const bool slack = static_cast<float>(l->daysBetween()) != 0.0f && !l->sticky();
        if (slack) {
            cpTasksFlaot.insert(p);
            calcCriticalPath(p, 1, false, true);
        } else {
            (c == 2 ? cpTasksCrit : cpTasksFlaot).insert(p);
            calcCriticalPath(p, c, false, true);
        }
    }
    if (up)
        checkSuperTask(t, c);
}

void LiteralCriticalPath::checkSuperTask(ATask* t, int c) {
    ATask* p = t->superTask();
    if (p == nullptr || cpTasksCrit.contains(p))
        return;
    int next = c;
    if (endOf(t) >= endOf(p)) {
        cpTasksCrit.insert(p);
        next = 2;
    } else {
        cpTasksFlaot.insert(p);
    }
    calcCriticalPath(p, next, true, false);
}

void LiteralCriticalPath::checkSubTask(ATask* t, int c) {
    if (c >= 2 && tempSubTasksCrit.contains(t))
        return;
    if (c == 1 && tempSubTasks.contains(t))
        return;
    tempSubTasks.insert(t);
    if (c >= 2) {
        tempSubTasksCrit.insert(t);
        c = 2;
    }
    float end = endOf(t);
    std::vector<ATask*> driving;
    for (ATask* s : t->subTasks) {
        const float e = endOf(s);
        if (e > end) {
            end = e;
            driving.clear();
        }
        if (e == end)
            driving.push_back(s);
    }
    for (ATask* s : driving) {
        (c == 2 ? cpTasksCrit : cpTasksFlaot).insert(s);
        calcCriticalPath(s, c, false, true);
    }
}

} // namespace mapolt::testing
