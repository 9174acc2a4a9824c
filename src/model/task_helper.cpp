#include "model/task_helper.h"

#include "model/filters.h"
#include "model/notification_center.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace mapolt {

namespace {

std::int32_t workHoursFor(float defaultDays) {
    return static_cast<std::int32_t>(8.0f * defaultDays);
}

} // namespace

TaskHelper::TaskHelper(Store& context, Project* project, const Preferences& preferences)
    : context_(context), project_(project), preferences_(preferences),
      uid_(project != nullptr ? static_cast<std::uint32_t>(project->uid()) : 0) {}

ATask* TaskHelper::getRootTask() const {
    return context_.fetchFirst<ATask>(filters::rootTaskFilter, filters::byViewOrder);
}

ATask* TaskHelper::getLastTask() const {
    return context_.fetchFirst<ATask>(filters::lastTaskFilter, filters::byViewOrder);
}

ATask* TaskHelper::getFirstSubSibling(const ATask* task) {
    if (task == nullptr)
        return nullptr;
    for (ATask* c : task->subTasks)
        if (!c->prevSibling())
            return c;
    return nullptr;
}

ATask* TaskHelper::getLastSubSibling(const ATask* task) {
    if (task == nullptr)
        return nullptr;
    for (ATask* c : task->subTasks)
        if (!c->nextSibling())
            return c;
    return nullptr;
}

int TaskHelper::depthOf(const ATask* task) {
    int depth = 0;
    for (const ATask* p = task != nullptr ? task->superTask() : nullptr; p != nullptr;
         p = p->superTask())
        ++depth;
    return depth;
}

bool TaskHelper::isTask(const ATask* a, const ATask* parentOf) {
    if (parentOf == nullptr)
        return false;
    for (const ATask* p = parentOf->superTask(); p != nullptr; p = p->superTask())
        if (p == a)
            return true;
    return false;
}

bool TaskHelper::doesTask(const ATask* a, const ATask* haveSameParentAs) {
    return a != nullptr && haveSameParentAs != nullptr &&
           a->superTask() == haveSameParentAs->superTask();
}

ATask* TaskHelper::getTaskForNumber(int number) const {
    const auto found = context_.fetch<ATask>(filters::viewOrderFilter<ATask>(number - 1));
    return found.size() == 1 ? found.front() : nullptr;
}

// Depth-first pre-order with an explicit stack, so a deep outline cannot exhaust the call
// stack, and a visit budget, so a damaged file with a cycle in its chains cannot hang it.
std::vector<ATask*> TaskHelper::outlineOrder() const {
    std::vector<ATask*> rows;
    ATask* root = getRootTask();
    if (root == nullptr)
        return rows;
    const std::size_t budget = context_.count(Entity::ATask);
    rows.reserve(budget);
    std::vector<ATask*> resume;
    ATask* t = root;
    while (t != nullptr && rows.size() < budget) {
        rows.push_back(t);
        if (ATask* child = getFirstSubSibling(t)) {
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
    return rows;
}

void TaskHelper::reIndexProject() {
    if (reIndexDeferrals_ > 0) {
        reIndexPending_ = true;
        return;
    }
    if (ATask* root = getRootTask())
        orderNode(root, 0);
}

int TaskHelper::orderNode(ATask* task, int taskNo) {
    const std::size_t budget = context_.count(Entity::ATask);
    std::size_t visited = 0;
    std::vector<ATask*> resume;
    ATask* t = task;
    while (t != nullptr && visited++ < budget) {
        t->set(&ATask::viewOrder, taskNo++);
        if (ATask* child = getFirstSubSibling(t)) {
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
    return taskNo;
}

TaskHelper::ReIndexBatch::ReIndexBatch(TaskHelper& helper) : helper_(helper) {
    ++helper_.reIndexDeferrals_;
}

TaskHelper::ReIndexBatch::~ReIndexBatch() {
    if (--helper_.reIndexDeferrals_ == 0 && helper_.reIndexPending_) {
        helper_.reIndexPending_ = false;
        helper_.reIndexProject();
    }
}

std::uint32_t TaskHelper::getUID() {
    ++uid_;
    if (project_ != nullptr)
        project_->set(&Project::uid, static_cast<std::int32_t>(uid_));
    return uid_;
}

void TaskHelper::setDefaults(ATask* task) {
    const bool adjustElapsed = preferences_.boolForKey(kAutoAdjustElapsed);
    task->setPrimitive(&ATask::adjustHours, preferences_.boolForKey(kAutoAdjustHours));
    task->setPrimitive(&ATask::adjustElapsed, adjustElapsed);
    task->setPrimitive(&ATask::lockedStart, preferences_.boolForKey(kAutoLockStart));
    if (!adjustElapsed)
        task->setPrimitive(&ATask::elapsedTime, 1.0f);
}

ATask* TaskHelper::createTaskRefTask(ATask* reference, bool isBlank) {
    auto* x = context_.insert<ATask>();
    x->set(&ATask::viewOrder, 0);
    x->set(&ATask::uid, static_cast<std::int32_t>(getUID()));
    if (Project* p = context_.fetchFirst<Project>({}, {}))
        x->set(&ATask::project, p);
    if (isBlank) {
        x->setName(std::nullopt);
        x->set(&ATask::hours, std::nullopt);
        x->set(&ATask::percComp, 0.0f);
    } else {
        x->set(&ATask::hours, static_cast<float>(workHoursFor(defaultDays_)));
    }
    setDefaults(x);
    x->setPrimitive(&ATask::daysTillEnd, 1.0f);
    x->setPrimitive(&ATask::endDisplayDays, 1.0f);
    x->set(&ATask::daysFromStart, reference != nullptr ? reference->daysFromStart() : 0.0f);
    calcDays(x);
    return x;
}

void TaskHelper::linkNewTaskBefore(ATask* task, ATask* x) {
    x->set(&ATask::prevSibling, task->prevSibling());
    x->set(&ATask::superTask, task->superTask());
    task->set(&ATask::prevSibling, x);
}

void TaskHelper::linkNewTaskAfter(ATask* task, ATask* x) {
    x->set(&ATask::nextSibling, task->nextSibling());
    x->set(&ATask::superTask, task->superTask());
    task->set(&ATask::nextSibling, x);
}

void TaskHelper::insertTaskBefore(ATask* task) {
    if (task == nullptr)
        return;
    linkNewTaskBefore(task, createTaskRefTask(task, false));
    reIndexProject();
    postProjectChanged(this);
}

ATask* TaskHelper::insertTaskAfter(ATask* task, bool reIndex) {
    if (task == nullptr)
        return nullptr;
    ATask* x = createTaskRefTask(task, false);
    linkNewTaskAfter(task, x);
    if (reIndex)
        reIndexProject();
    postProjectChanged(task);
    return x;
}

void TaskHelper::insertBlankTaskBefore(ATask* task) {
    if (task == nullptr)
        return;
    linkNewTaskBefore(task, createTaskRefTask(task, true));
    reIndexProject();
    postProjectChanged(this);
}

void TaskHelper::insertBlankTaskAfter(ATask* task) {
    if (task == nullptr)
        return;
    linkNewTaskAfter(task, createTaskRefTask(task, true));
    reIndexProject();
    postProjectChanged(this);
}

void TaskHelper::addBlankTask() {
    ATask* last = getLastTask();
    ATask* x = createTaskRefTask(last, true);
    x->set(&ATask::nextSibling, last != nullptr ? last->nextSibling() : nullptr);
    x->set(&ATask::superTask, nullptr);
    if (last != nullptr)
        last->set(&ATask::nextSibling, x);
    reIndexProject();
    postProjectChanged(this);
}

ATask* TaskHelper::addEndTask(float startDay, bool /*useLast*/) {
    return addEndTaskAfter(getLastTask(), startDay);
}

ATask* TaskHelper::addEndTaskAfter(ATask* last, float startDay) {
    auto* x = context_.insert<ATask>();
    x->set(&ATask::viewOrder, 0);
    x->set(&ATask::uid, static_cast<std::int32_t>(getUID()));
    x->set(&ATask::superTask, nullptr);
    x->set(&ATask::prevSibling, last);
    Project* project = context_.fetchFirst<Project>({}, {});
    if (project != nullptr)
        x->set(&ATask::project, project);
    setDefaults(x);
    x->setPrimitive(&ATask::daysTillEnd, 1.0f);
    x->setPrimitive(&ATask::endDisplayDays, 1.0f);
    float start = std::trunc(startDay);
    if (startDay == -1.0f) {
        const Date projectStart = project != nullptr ? project->startDate() : Date{};
        start = static_cast<float>(std::max(0, civil::daysBetween(projectStart, civil::now())));
    }
    x->set(&ATask::daysFromStart, start);
    x->set(&ATask::hours, static_cast<float>(workHoursFor(defaultDays_)));
    reIndexProject();
    calcDays(x);
    context_.flushPendingChanges();
    return x;
}

ATask* TaskHelper::addTaskSuperTask(ATask* superTask, int view, bool blank) {
    auto* x = context_.insert<ATask>();
    x->set(&ATask::viewOrder, view);
    x->set(&ATask::uid, static_cast<std::int32_t>(getUID()));
    if (Project* p = context_.fetchFirst<Project>({}, {}))
        x->set(&ATask::project, p);
    if (blank) {
        x->setName(std::nullopt);
        x->set(&ATask::hours, std::nullopt);
        x->set(&ATask::percComp, 0.0f);
    }
    setDefaults(x);
    x->setPrimitive(&ATask::daysTillEnd, 1.0f);
    x->setPrimitive(&ATask::endDisplayDays, 1.0f);
    x->set(&ATask::daysFromStart, superTask != nullptr ? superTask->daysFromStart() : 0.0f);
    x->set(&ATask::superTask, superTask);
    calcDays(x);
    return x;
}

ATask* TaskHelper::addTaskSuperTask2(ATask* superTask) {
    return addTaskSuperTask2(superTask, getLastSubSibling(superTask));
}

ATask* TaskHelper::addTaskSuperTask2(ATask* superTask, ATask* lastChild) {
    auto* x = context_.insert<ATask>();
    x->set(&ATask::superTask, superTask);
    x->set(&ATask::prevSibling, lastChild);
    reIndexProject();
    return x;
}

std::vector<ATask*>
TaskHelper::expandSelectionToIncludeBlanks(const std::vector<ATask*>& tasks) const {
    std::vector<ATask*> out;
    for (ATask* t : tasks) {
        for (ATask* p = t->prevSibling(); p != nullptr && p->isBlank(); p = p->prevSibling())
            out.push_back(p);
        out.push_back(t);
        for (ATask* n = t->nextSibling(); n != nullptr && n->isBlank(); n = n->nextSibling())
            out.push_back(n);
    }
    return out;
}

std::vector<ATask*> TaskHelper::sortedByViewOrder(std::vector<ATask*> tasks) const {
    std::erase(tasks, nullptr);
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const ATask* a, const ATask* b) { return filters::byViewOrder(*a, *b); });
    return tasks;
}

void TaskHelper::makeSubTask(const std::vector<ATask*>& tasks, bool reIndex) {
    const std::vector<ATask*> e = expandSelectionToIncludeBlanks(sortedByViewOrder(tasks));
    if (e.empty())
        return;
    std::unordered_map<const ATask*, int> depthBefore;
    for (ATask* t : e)
        depthBefore.emplace(t, depthOf(t));
    for (ATask* t : e) {
        ATask* q = t->prevSibling();
        if (depthOf(t) != depthBefore[t] || q == nullptr)
            continue;
        ATask* next = t->nextSibling();
        ATask* lastChild = getLastSubSibling(q);
        q->set(&ATask::nextSibling, next);
        t->set(&ATask::superTask, q);
        t->set(&ATask::nextSibling, nullptr);
        t->set(&ATask::prevSibling, lastChild);
    }
    if (reIndex)
        reIndexProject();
    fixDependacies(e);
    if (taskLengthCalc_ != nullptr)
        taskLengthCalc_->bumpSuper(e.front(), 0.0f);
    context_.flushPendingChanges();
    postProjectChanged(this);
}

void TaskHelper::makeSuperTask(const std::vector<ATask*>& tasks) {
    const std::vector<ATask*> e = expandSelectionToIncludeBlanks(sortedByViewOrder(tasks));
    std::unordered_map<const ATask*, int> depthBefore;
    for (ATask* t : e)
        depthBefore.emplace(t, depthOf(t));
    for (ATask* t : e) {
        ATask* parent = t->superTask();
        if (depthOf(t) != depthBefore[t] || parent == nullptr)
            continue;
        ATask* parentNext = parent->nextSibling();
        ATask* grandParent = parent->superTask();
        ATask* followers = t->nextSibling();
        if (ATask* prev = t->prevSibling())
            prev->set(&ATask::nextSibling, nullptr);
        if (followers != nullptr)
            followers->set(&ATask::prevSibling, nullptr);
        // The siblings that followed t become its last children, in their order.
        if (ATask* lastChild = getLastSubSibling(t); lastChild != nullptr && followers != nullptr)
            lastChild->set(&ATask::nextSibling, followers);
        const std::size_t budget = context_.count(Entity::ATask);
        std::size_t moved = 0;
        for (ATask* f = followers; f != nullptr && moved++ < budget; f = f->nextSibling())
            f->set(&ATask::superTask, t);
        t->set(&ATask::superTask, grandParent);
        t->set(&ATask::nextSibling, parentNext);
        t->set(&ATask::prevSibling, parent);
    }
    reIndexProject();
    fixDependacies(e);
    postProjectChanged(this);
}

int TaskHelper::moveTaskDown(ATask* task) {
    if (task == nullptr)
        return 0;
    if (ATask* next = task->nextSibling()) {
        ATask* prev = task->prevSibling();
        ATask* afterNext = next->nextSibling();
        task->set(&ATask::nextSibling, afterNext);
        task->set(&ATask::prevSibling, next);
        next->set(&ATask::prevSibling, prev);
        reIndexProject();
    }
    postProjectChanged(this);
    return task->viewOrder();
}

int TaskHelper::moveTaskUp(ATask* task) {
    if (task == nullptr)
        return 0;
    if (ATask* prev = task->prevSibling()) {
        ATask* beforePrev = prev->prevSibling();
        ATask* next = task->nextSibling();
        task->set(&ATask::prevSibling, beforePrev);
        task->set(&ATask::nextSibling, prev);
        prev->set(&ATask::nextSibling, next);
        reIndexProject();
    }
    postProjectChanged(this);
    return task->viewOrder();
}

void TaskHelper::deleteChildTask(ATask* task) {
    if (task == nullptr)
        return;
    if (ATask* prev = task->prevSibling())
        prev->set(&ATask::nextSibling, task->nextSibling());
    deleteChildTaskFromTree(task);
    reIndexProject();
    postProjectChanged(this);
}

// Children go before their parent; collected first so a deep subtree needs no recursion.
void TaskHelper::deleteChildTaskFromTree(ATask* task) {
    if (task == nullptr)
        return;
    std::vector<ATask*> subtree{task};
    std::unordered_set<const ATask*> seen{task};
    for (std::size_t i = 0; i < subtree.size(); ++i)
        for (ATask* c : subtree[i]->subTasks)
            if (seen.insert(c).second)
                subtree.push_back(c);
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it)
        context_.deleteRecord(*it);
}

void TaskHelper::makeTree(const std::vector<ATask*>& tasks, bool firstTaskIsSuper) {
    const std::vector<ATask*> s = sortedByViewOrder(tasks);
    if (s.size() < (firstTaskIsSuper ? 3u : 2u))
        return;
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i]->viewOrder() != s[i - 1]->viewOrder() + 1 ||
            s[i]->superTask() != s[i - 1]->superTask())
            return;
    ATask* head = firstTaskIsSuper ? s.front() : nullptr;
    const std::vector<ATask*> processed(s.begin() + (head != nullptr ? 1 : 0), s.end());
    for (std::size_t i = 0; i < processed.size(); ++i) {
        ATask* x = processed[i];
        if (head != nullptr) {
            if (i == 0)
                x->set(&ATask::prevSibling, nullptr);
            for (DepLink* link : head->dependTasks())
                if (link->dependeeTask() == x)
                    context_.deleteRecord(link);
            x->set(&ATask::superTask, head);
            if (i + 1 == processed.size()) {
                ATask* after = x->nextSibling();
                x->set(&ATask::nextSibling, nullptr);
                head->set(&ATask::nextSibling, after);
            }
        }
        if (i > 0)
            makeDepenantFrom(processed[i - 1], x);
    }
    reIndexProject();
    if (head != nullptr && taskLengthCalc_ != nullptr)
        taskLengthCalc_->propagateFrom(head);
    postProjectChanged(this);
}

void TaskHelper::fixDependacies(const std::vector<ATask*>& tasks) {
    if (linker_ != nullptr)
        linker_->fixDependacies(tasks);
}

int TaskHelper::makeDepenantFrom(ATask* predecessor, ATask* successor) {
    return linker_ != nullptr ? linker_->makeDepenantFrom(predecessor, successor) : 0;
}

void TaskHelper::calcDays(ATask* task) {
    if (taskLengthCalc_ != nullptr)
        taskLengthCalc_->calcDaysForTask(task);
}

void TaskHelper::postProjectChanged(const void* sender) const {
    NotificationCenter::defaultCenter().post(kProjectChanged, sender, &context_);
}

} // namespace mapolt
