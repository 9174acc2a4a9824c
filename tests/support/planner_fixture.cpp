#include "support/planner_fixture.h"

#include "model/filters.h"

namespace mapolt::testing {

PlannerFixture::PlannerFixture()
    : project(store.insert<Project>()), calendars(store), engine(store, calendars),
      helper(store, project, preferences), links(store, preferences, engine), resources(store) {
    helper.setTaskLengthCalc(&engine);
    helper.setDependencyLinker(&links);
    resources.setCA(&calendars);
    resources.setTaskLengthCalc(&engine);
    project->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
    project->set(&Project::name, std::string("Plan"));
    calendars.getBaseCalandar();
    store.flushPendingChanges();
    store.undoManager().removeAllActions();
}

ATask* PlannerFixture::task(const std::string& name, float hours, float start, float elapsed) {
    ATask* t = helper.addEndTask(0);
    t->setName(name);
    t->set(&ATask::hours, hours);
    t->set(&ATask::daysFromStart, start);
    t->set(&ATask::elapsedTime, elapsed);
    t->set(&ATask::invalid, false);
    store.flushPendingChanges();
    return t;
}

void PlannerFixture::indent(const std::vector<ATask*>& tasks) {
    helper.makeSubTask(tasks);
    store.flushPendingChanges();
}

Resource* PlannerFixture::resource(const std::string& name, float rate, int type) {
    auto* r = store.insert<Resource>();
    r->setName(name);
    r->set(&Resource::hourlyRate, rate);
    r->set(&Resource::type, type);
    auto* cal = store.insert<Calandar>();
    cal->set(&Calandar::superCalandar, calendars.getBaseCalandar());
    cal->set(&Calandar::resource, r);
    r->set(&Resource::cal, cal);
    return r;
}

ATaskResource* PlannerFixture::assign(ATask* task, Resource* resource, float perc) {
    auto* a = store.insert<ATaskResource>();
    a->set(&ATaskResource::perc, perc);
    a->set(&ATaskResource::resource, resource);
    a->set(&ATaskResource::task, task);
    return a;
}

DepLink* PlannerFixture::link(ATask* predecessor, ATask* successor, double lag, bool sticky) {
    auto* l = store.insert<DepLink>();
    l->set(&DepLink::daysBetween, lag);
    l->set(&DepLink::sticky, sticky);
    l->set(&DepLink::dependeeTask, successor);
    predecessor->addTo(&ATask::dependTasks, l);
    return l;
}

ATask* PlannerFixture::named(const std::string& name) const {
    for (ATask* t : store.fetch<ATask>())
        if (t->name.optional() == name)
            return t;
    return nullptr;
}

std::string PlannerFixture::shape() const {
    std::string out;
    for (ATask* t : store.fetch<ATask>({}, filters::byViewOrder)) {
        if (!out.empty())
            out += ' ';
        out += (t->isBlank() ? std::string("_") : t->name()) + "/" +
               std::to_string(TaskHelper::depthOf(t));
    }
    return out;
}

} // namespace mapolt::testing
