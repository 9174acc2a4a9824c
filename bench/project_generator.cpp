#include "project_generator.h"

#include <random>
#include <string>

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

} // namespace

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
