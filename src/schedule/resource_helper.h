#pragma once

#include <optional>
#include <string>

namespace mapolt {

class AlertPresenter;
class ATask;
class ATaskResource;
class CalandarAccess;
class Resource;
class ScheduleEngine;
class Store;

// Asked before a resource is assigned to a task it already works on.
class ResourceHelperDelegate {
  public:
    virtual ~ResourceHelperDelegate() = default;
    // True to keep the existing assignment and add nothing.
    virtual bool shouldAddDuplicateResource() = 0;
};

// The delegate question as a warning alert: anything but "OK" keeps the one assignment.
class DuplicateResourceQuestion final : public ResourceHelperDelegate {
  public:
    explicit DuplicateResourceQuestion(AlertPresenter& alerts) : alerts_(alerts) {}
    bool shouldAddDuplicateResource() override;

  private:
    AlertPresenter& alerts_;
};

// Creates resources with their own calendars, and assignments of resources to tasks; an
// assignment recomputes the task's duration and places the tasks that depend on it.
class ResourceHelper {
  public:
    // What a fresh assignment gives the task: the resource's full working day.
    static constexpr float kDefaultPerc = 100.0f;

    explicit ResourceHelper(Store& context);

    void setCA(CalandarAccess* calandarAccess) { calandarAccess_ = calandarAccess; }
    void setTaskLengthCalc(ScheduleEngine* engine) { engine_ = engine; }
    void setDelegate(ResourceHelperDelegate* delegate) { delegate_ = delegate; }
    ResourceHelperDelegate* delegate() const { return delegate_; }

    // A resource with a private calendar under the base calendar, which it follows until
    // it gets hours of its own. Posts ProjectChanged.
    Resource* getNewResource(std::optional<std::string> name);
    // The first resource of that name, else a new one.
    Resource* getNewResourceIfDoesNotExist(const std::string& name);
    // The new assignment, or the existing one when the delegate declines a duplicate. The
    // caller posts ProjectChanged.
    ATaskResource* addResource(Resource* resource, ATask* toTask) {
        return addResource(resource, toTask, kDefaultPerc);
    }
    // The same with the share given (none leaves it absent). The share is in place before
    // the task is recomputed, so the task is placed once, at the length of that share.
    ATaskResource* addResource(Resource* resource, ATask* toTask, std::optional<float> perc);
    // The assignment alone, for callers that add several to a task and then recompute it
    // once with recomputeAssignedTask.
    ATaskResource* insertAssignment(Resource* resource, ATask* toTask, std::optional<float> perc);
    // Recomputes the task's duration and usage and places its successors and summaries.
    void recomputeAssignedTask(ATask* task);
    // Deletes the assignment and its usage records and recomputes the task's duration; the
    // task's successors stay where they are. Posts ProjectChanged.
    void removeAssignment(ATaskResource* assignment);

  private:
    Store& context_;
    CalandarAccess* calandarAccess_ = nullptr;
    ScheduleEngine* engine_ = nullptr;
    ResourceHelperDelegate* delegate_ = nullptr;
};

} // namespace mapolt
