#include "interchange/imported_resources.h"

#include "model/entities.h"
#include "model/filters.h"
#include "model/store.h"
#include "schedule/calandar_access.h"
#include "schedule/task_length_calc.h"

namespace mapolt {

Resource* ImportedResources::getNewResource(const std::string& name) {
    auto* resource = store_.insert<Resource>();
    auto* cal = store_.insert<Calandar>();
    resource->setName(name);
    cal->set(&Calandar::superCalandar, calendars_.getBaseCalandar());
    cal->set(&Calandar::resource, resource);
    resource->set(&Resource::cal, cal);
    return resource;
}

Resource* ImportedResources::getNewResourceIfDoesNotExist(const std::string& name) {
    if (Resource* found = store_.fetchFirst<Resource>(filters::nameFilter<Resource>(name), {}))
        return found;
    return getNewResource(name);
}

// The share is in place before the duration is computed: computed first, a task would keep
// the length of the one-percent share an assignment without a share counts as.
ATaskResource* ImportedResources::addResource(Resource* resource, ATask* toTask,
                                              std::optional<float> perc, bool recomputeNow) {
    auto* assignment = store_.insert<ATaskResource>();
    assignment->setPrimitive(&ATaskResource::perc, perc);
    assignment->set(&ATaskResource::resource, resource);
    assignment->set(&ATaskResource::task, toTask);
    toTask->set(&ATask::endDisplayDays, toTask->daysTillEnd() + 100.0f);
    if (recomputeNow)
        recompute(toTask);
    return assignment;
}

void ImportedResources::recompute(ATask* task) {
    task->set(&ATask::invalid, true);
    engine_.calcDaysForTask(task);
}

} // namespace mapolt
