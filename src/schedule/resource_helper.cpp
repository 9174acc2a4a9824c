#include "schedule/resource_helper.h"

#include "model/alert_presenter.h"
#include "model/entities.h"
#include "model/filters.h"
#include "model/notification_center.h"
#include "model/outline_engine.h"
#include "model/store.h"
#include "schedule/calandar_access.h"

namespace mapolt {

namespace {

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

void postProjectChanged(const void* sender, const Store& store) {
    NotificationCenter::defaultCenter().post(kProjectChanged, sender, &store);
}

} // namespace

bool DuplicateResourceQuestion::shouldAddDuplicateResource() {
    const int answer = alerts_.runAlert(Alert{AlertStyle::Warning,
                                              "You are adding multiple resources",
                                              "Are you sure you want to do this?",
                                              {"OK", "Cancel"}});
    return answer != 0;
}

ResourceHelper::ResourceHelper(Store& context) : context_(context) {}

Resource* ResourceHelper::getNewResource(std::optional<std::string> name) {
    UndoCommandGroup command(context_.undoManager());
    auto* resource = context_.insert<Resource>();
    auto* cal = context_.insert<Calandar>();
    if (name)
        resource->setName(std::move(name));
    if (calandarAccess_ != nullptr)
        cal->set(&Calandar::superCalandar, calandarAccess_->getBaseCalandar());
    cal->set(&Calandar::resource, resource);
    resource->set(&Resource::cal, cal);
    postProjectChanged(this, context_);
    return resource;
}

Resource* ResourceHelper::getNewResourceIfDoesNotExist(const std::string& name) {
    if (Resource* found = context_.fetchFirst<Resource>(filters::nameFilter<Resource>(name), {}))
        return found;
    return getNewResource(name);
}

ATaskResource* ResourceHelper::addResource(Resource* resource, ATask* toTask,
                                           std::optional<float> perc) {
    if (resource == nullptr || toTask == nullptr)
        return nullptr;
    if (delegate_ != nullptr)
        for (ATaskResource* existing : toTask->resources)
            if (existing->resource() == resource && delegate_->shouldAddDuplicateResource())
                return existing;

    UndoCommandGroup command(context_.undoManager());
    ATaskResource* assignment = insertAssignment(resource, toTask, perc);
    recomputeAssignedTask(toTask);
    return assignment;
}

ATaskResource* ResourceHelper::insertAssignment(Resource* resource, ATask* toTask,
                                                std::optional<float> perc) {
    auto* assignment = context_.insert<ATaskResource>();
    assignment->set(&ATaskResource::perc, perc);
    assignment->set(&ATaskResource::resource, resource);
    assignment->set(&ATaskResource::task, toTask);
    toTask->set(&ATask::endDisplayDays, toTask->daysTillEnd() + 100.0f);
    return assignment;
}

void ResourceHelper::recomputeAssignedTask(ATask* task) {
    if (engine_ == nullptr || task == nullptr)
        return;
    const float e0 = endOf(task);
    engine_->invalidateTask(task, false);
    engine_->calcDaysForTask(task);
    engine_->addInvalidTask(InvalidTask{
        .task = task, .bumpAmountStart = 0.0f, .bumpAmountEnd = endOf(task) - e0, .root = true});
    engine_->recalcFromInvalids();
}

void ResourceHelper::removeAssignment(ATaskResource* assignment) {
    if (assignment == nullptr || assignment->isDeleted())
        return;
    UndoCommandGroup command(context_.undoManager());
    ATask* task = assignment->task();
    for (AResourceUsage* u : assignment->resourceUsage())
        context_.deleteRecord(u);
    context_.deleteRecord(assignment);
    if (task != nullptr && engine_ != nullptr) {
        engine_->invalidateTask(task, false);
        engine_->calcDaysForTask(task);
    }
    postProjectChanged(this, context_);
}

} // namespace mapolt
