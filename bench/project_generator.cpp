#include "project_generator.h"

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>

namespace mapolt::bench {

GeneratedProject::GeneratedProject()
    : project(store.insert<Project>()), calendars(store), engine(store, calendars) {
    project->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
    project->set(&Project::name, std::string("Generated"));
}

void GeneratedProject::markAllInvalid() {
    for (ATask* t : tasks)
        t->setPrimitive(&ATask::invalid, true);
}

namespace {

Resource* addResource(GeneratedProject& g, int index) {
    auto* r = g.store.insert<Resource>();
    r->setName("Resource " + std::to_string(index));
    auto* cal = g.store.insert<Calandar>();
    cal->set(&Calandar::superCalandar, g.calendars.getBaseCalandar());
    r->set(&Resource::cal, cal);
    return r;
}

void addException(GeneratedProject& g, Calandar* cal, int day, float hours) {
    auto* d = g.store.insert<Day>();
    d->set(&Day::date, civil::addDays(g.project->startDate(), day));
    d->set(&Day::hours, hours);
    d->set(&Day::cal, cal);
}

// Appends tasks in outline order, chaining siblings and numbering their rows.
class OutlineAppender {
  public:
    explicit OutlineAppender(GeneratedProject& g) : g_(g) {}

    ATask* add(float days, ATask* summary = nullptr) {
        auto* t = g_.store.insert<ATask>();
        t->setName("Task " + std::to_string(g_.tasks.size()));
        t->set(&ATask::project, g_.project);
        t->set(&ATask::hours, 8.0f * days);
        t->set(&ATask::elapsedTime, days);
        t->set(&ATask::daysFromStart, 0.0f);
        t->set(&ATask::viewOrder, static_cast<std::int32_t>(g_.tasks.size()));
        ATask*& last = summary != nullptr ? lastChild_[summary] : lastTop_;
        if (summary != nullptr)
            t->set(&ATask::superTask, summary);
        if (last != nullptr)
            t->set(&ATask::prevSibling, last);
        last = t;
        t->set(&ATask::invalid, false);
        g_.tasks.push_back(t);
        return t;
    }
    // Links `to` after `from` and moves `to` to start when `from` (plus the lag) ends.
    void link(ATask* from, ATask* to, double lag = 0.0) {
        auto* l = g_.store.insert<DepLink>();
        l->set(&DepLink::dependTask, from);
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::daysBetween, lag);
        const float start = from->daysFromStart() + from->elapsedTime() + static_cast<float>(lag);
        if (start > to->daysFromStart())
            to->set(&ATask::daysFromStart, start);
    }

  private:
    GeneratedProject& g_;
    ATask* lastTop_ = nullptr;
    std::unordered_map<ATask*, ATask*> lastChild_;
};

void spanSummaries(const std::vector<ATask*>& summaries) {
    for (ATask* s : summaries) {
        float start = 1e30f;
        float end = -1e30f;
        for (const ATask* sub : s->subTasks) {
            start = std::min(start, sub->daysFromStart());
            end = std::max(end, sub->daysFromStart() + sub->elapsedTime());
        }
        if (s->subTasks.empty())
            start = end = 0.0f;
        s->set(&ATask::daysFromStart, start);
        s->set(&ATask::elapsedTime, end - start);
        s->set(&ATask::hours, 8.0f * (end - start));
    }
}

std::unique_ptr<GeneratedProject> linkedProject(int n, int groups, std::uint32_t seed) {
    auto g = std::make_unique<GeneratedProject>();
    {
        UndoRegistrationPause quiet(g->store.undoManager());
        g->calendars.getBaseCalandar();
        OutlineAppender outline(*g);
        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> length(1, 5);
        std::vector<ATask*> summaries;
        std::vector<ATask*> leaves;
        const int leafCount = n - groups;
        const int perGroup = groups > 0 ? std::max(1, leafCount / groups) : 0;
        for (int i = 0; i < leafCount; ++i) {
            ATask* summary = nullptr;
            if (groups > 0) {
                if (i % perGroup == 0 && static_cast<int>(summaries.size()) < groups)
                    summaries.push_back(outline.add(0.0f));
                summary = summaries.back();
            }
            ATask* t = outline.add(static_cast<float>(length(rng)), summary);
            const int preds = i == 0 ? 0 : (rng() % 2 == 0 ? 1 : 2);
            for (int k = 0; k < preds; ++k) {
                const int back =
                    1 + static_cast<int>(rng() % static_cast<unsigned>(std::min(i, 100)));
                outline.link(leaves[static_cast<std::size_t>(i - back)], t,
                             rng() % 5 == 0 ? 1.0 : 0.0);
            }
            leaves.push_back(t);
        }
        spanSummaries(summaries);
    }
    g->store.flushPendingChanges();
    g->store.undoManager().removeAllActions();
    return g;
}

} // namespace

std::unique_ptr<GeneratedProject> chainProject(int n) {
    auto g = std::make_unique<GeneratedProject>();
    {
        UndoRegistrationPause quiet(g->store.undoManager());
        g->calendars.getBaseCalandar();
        OutlineAppender outline(*g);
        ATask* previous = nullptr;
        for (int i = 0; i < n; ++i) {
            ATask* t = outline.add(1.0f);
            if (previous != nullptr)
                outline.link(previous, t);
            previous = t;
        }
    }
    g->store.flushPendingChanges();
    g->store.undoManager().removeAllActions();
    return g;
}

std::unique_ptr<GeneratedProject> randomDagProject(int n, std::uint32_t seed) {
    return linkedProject(n, 0, seed);
}

std::unique_ptr<GeneratedProject> summaryGroupsProject(int n, std::uint32_t seed) {
    return linkedProject(n, 100, seed);
}

void assignPeople(GeneratedProject& g, int people) {
    std::vector<Resource*> added;
    for (int r = 0; r < people; ++r) {
        auto* person = g.store.insert<Resource>();
        person->setName("Person " + std::to_string(r));
        auto* cal = g.store.insert<Calandar>();
        cal->set(&Calandar::superCalandar, g.calendars.getBaseCalandar());
        person->set(&Resource::cal, cal);
        added.push_back(person);
    }
    std::size_t next = 0;
    for (ATask* t : g.tasks) {
        if (!t->subTasks.empty() || added.empty())
            continue;
        auto* a = g.store.insert<ATaskResource>();
        a->set(&ATaskResource::perc, 100.0f);
        a->set(&ATaskResource::resource, added[next++ % added.size()]);
        a->set(&ATaskResource::task, t);
        t->setPrimitive(&ATask::invalid, true);
    }
    g.resources.insert(g.resources.end(), added.begin(), added.end());
}

std::unique_ptr<GeneratedProject> durationProject(int n, std::uint32_t seed) {
    auto g = std::make_unique<GeneratedProject>();
    std::mt19937 random(seed);
    auto uniform = [&random](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    {
        UndoRegistrationPause quiet(g->store.undoManager());
        Calandar* base = g->calendars.getBaseCalandar();
        for (int i = 0; i < 30; ++i)
            addException(*g, base, uniform(0, 400), 0.0f);
        for (int i = 0; i < 10; ++i)
            g->resources.push_back(addResource(*g, i));
        for (int i = 0; i < 50; ++i)
            addException(*g, g->resources[static_cast<std::size_t>(i % 10)]->cal(), uniform(0, 400),
                         static_cast<float>(uniform(0, 10)));
        for (int i = 0; i < n; ++i) {
            auto* t = g->store.insert<ATask>();
            t->setName("Task " + std::to_string(i));
            t->set(&ATask::project, g->project);
            t->set(&ATask::hours, static_cast<float>(8 * uniform(1, 20)));
            t->set(&ATask::daysFromStart, static_cast<float>(uniform(0, 300)));
            t->set(&ATask::adjustElapsed, true);
            t->set(&ATask::invalid, true);
            if (i % 2 == 0) {
                const int count = uniform(1, 2);
                for (int k = 0; k < count; ++k) {
                    auto* a = g->store.insert<ATaskResource>();
                    a->set(&ATaskResource::perc, 100.0f);
                    a->set(&ATaskResource::resource,
                           g->resources[static_cast<std::size_t>(uniform(0, 9))]);
                    a->set(&ATaskResource::task, t);
                }
            }
            g->tasks.push_back(t);
        }
    }
    g->store.flushPendingChanges();
    g->store.undoManager().removeAllActions();
    return g;
}

} // namespace mapolt::bench
