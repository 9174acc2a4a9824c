#include "support/schedule_builder.h"

namespace mapolt::testing {

ScheduleFixture::ScheduleFixture()
    : project(store.insert<Project>()), calendars(store), engine(store, calendars) {
    project->set(&Project::startDate, civil::fromYmd(2026, 3, 2));
}

ATask* ScheduleFixture::leaf(float hours, float start, const std::string& name) {
    auto* t = store.insert<ATask>();
    t->setName(name);
    t->set(&ATask::project, project);
    t->set(&ATask::hours, hours);
    t->set(&ATask::daysFromStart, start);
    t->set(&ATask::adjustElapsed, true);
    t->set(&ATask::invalid, true);
    return t;
}

ATask* ScheduleFixture::summaryOf(std::initializer_list<ATask*> subs, const std::string& name) {
    ATask* s = leaf(0.0f, 0.0f, name);
    for (ATask* sub : subs)
        sub->set(&ATask::superTask, s);
    return s;
}

Resource* ScheduleFixture::resource(const std::string& name) {
    auto* r = store.insert<Resource>();
    r->setName(name);
    auto* cal = store.insert<Calandar>();
    cal->set(&Calandar::superCalandar, base());
    r->set(&Resource::cal, cal);
    return r;
}

ATaskResource* ScheduleFixture::assign(ATask* task, Resource* resource, float perc) {
    auto* a = store.insert<ATaskResource>();
    a->set(&ATaskResource::perc, perc);
    a->set(&ATaskResource::resource, resource);
    a->set(&ATaskResource::task, task);
    return a;
}

Day* ScheduleFixture::exception(Calandar* cal, Date date, float hours) {
    auto* d = store.insert<Day>();
    d->set(&Day::date, date);
    d->set(&Day::hours, hours);
    d->set(&Day::cal, cal);
    return d;
}

Date ScheduleFixture::dayDate(int n) const {
    return civil::addDays(project->startDate(), n);
}

} // namespace mapolt::testing
