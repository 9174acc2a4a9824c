#include "support/outline_builder.h"

#include "model/filters.h"

#include <set>

namespace mapolt::testing {

OutlineFixture::OutlineFixture()
    : project(store.insert<Project>()), helper(store, project, preferences) {
    project->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
    store.undoManager().removeAllActions();
}

std::vector<ATask*> OutlineFixture::addTasks(const std::vector<std::string>& names) {
    std::vector<ATask*> out;
    for (const std::string& n : names) {
        ATask* t = helper.addEndTask(0);
        t->setName(n);
        out.push_back(t);
    }
    store.flushPendingChanges();
    return out;
}

ATask* OutlineFixture::task(const std::string& name) const {
    for (ATask* t : store.fetch<ATask>())
        if (t->name.optional() == name)
            return t;
    return nullptr;
}

std::string OutlineFixture::shape() const {
    std::string out;
    for (ATask* t : store.fetch<ATask>({}, filters::byViewOrder)) {
        if (!out.empty())
            out += ' ';
        out += (t->isBlank() ? std::string("_") : t->name()) + "/" +
               std::to_string(TaskHelper::depthOf(t));
    }
    return out;
}

std::string OutlineFixture::brokenInvariant() const {
    const std::vector<ATask*> all = store.fetch<ATask>();
    std::size_t roots = 0;
    std::set<const ATask*> seen;
    for (ATask* t : all) {
        if (ATask* p = t->superTask(); p != nullptr && !p->subTasks.contains(t))
            return "parent link without child entry";
        for (ATask* c : t->subTasks)
            if (c->superTask() != t)
                return "child entry without parent link";
        if (ATask* n = t->nextSibling()) {
            if (n->prevSibling() != t)
                return "nextSibling without matching prevSibling";
            if (n->superTask() != t->superTask())
                return "siblings with different parents";
        }
        if (ATask* p = t->prevSibling(); p != nullptr && p->nextSibling() != t)
            return "prevSibling without matching nextSibling";
        if (!t->prevSibling() && !t->superTask())
            ++roots;
    }
    if (!all.empty() && roots != 1)
        return "not exactly one root task";
    // Chains: each parent's children form one chain holding each exactly once.
    for (ATask* t : all) {
        std::size_t chained = 0;
        for (ATask* c = TaskHelper::getFirstSubSibling(t); c && chained <= t->subTasks.size();
             c = c->nextSibling())
            ++chained;
        if (chained != t->subTasks.size())
            return "children do not form one chain";
    }
    const std::vector<ATask*> rows = helper.outlineOrder();
    if (rows.size() != all.size())
        return "outline does not reach every task";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i]->viewOrder() != static_cast<int>(i))
            return "viewOrder out of pre-order";
        if (!seen.insert(rows[i]).second)
            return "task reached twice";
    }
    return {};
}

} // namespace mapolt::testing
