#include "schedule/resource_assignments.h"

#include "model/entities.h"
#include "model/filters.h"
#include "model/notification_center.h"
#include "model/outline_engine.h"
#include "model/store.h"
#include "schedule/calandar_access.h"

namespace mapolt {

Resource* ResourceAssignments::getNewResource(const std::optional<std::string>& name) {
    auto* resource = context_.insert<Resource>();
    auto* cal = context_.insert<Calandar>();
    if (name)
        resource->setName(*name);
    cal->set(&Calandar::superCalandar, calendars_.getBaseCalandar());
    cal->set(&Calandar::resource, resource);
    resource->set(&Resource::cal, cal);
    NotificationCenter::defaultCenter().post(kProjectChanged, this);
    return resource;
}

Resource* ResourceAssignments::getNewResourceIfDoesNotExist(const std::string& name) {
    if (Resource* found = context_.fetchFirst<Resource>(filters::nameFilter<Resource>(name), {}))
        return found;
    return getNewResource(name);
}

ATaskResource* ResourceAssignments::insertAssignment(Resource* resource, ATask* toTask,
                                                     std::optional<float> perc) {
    auto* assignment = context_.insert<ATaskResource>();
    assignment->set(&ATaskResource::perc, perc);
    assignment->set(&ATaskResource::resource, resource);
    assignment->set(&ATaskResource::task, toTask);
    toTask->set(&ATask::endDisplayDays, toTask->daysTillEnd() + 100.0f);
    return assignment;
}

ATaskResource* ResourceAssignments::addResource(Resource* resource, ATask* toTask,
                                                std::optional<float> perc) {
    if (shouldAddDuplicateResource) {
        for (ATaskResource* existing : toTask->resources)
            if (existing->resource() == resource && shouldAddDuplicateResource())
                return existing;
    }
    ATaskResource* assignment = insertAssignment(resource, toTask, perc);
    recompute(toTask);
    return assignment;
}

void ResourceAssignments::recompute(ATask* task) {
    const float end = task->daysFromStart() + task->elapsedTime();
    engine_.invalidateTask(task, false);
    engine_.calcDaysForTask(task);
    engine_.addInvalidTask(
        InvalidTask{.task = task,
                    .bumpAmountStart = 0.0f,
                    .bumpAmountEnd = task->daysFromStart() + task->elapsedTime() - end,
                    .root = true});
    engine_.recalcFromInvalids();
}

} // namespace mapolt
