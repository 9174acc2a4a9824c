#pragma once

#include <functional>
#include <optional>
#include <string>

namespace mapolt {

class ATask;
class ATaskResource;
class CalandarAccess;
class Resource;
class ScheduleEngine;
class Store;

// Creates resources and assigns them to tasks for the importers, the table and paste. A new
// resource gets a private calendar that inherits the base calendar's hours; an assignment
// recomputes its task and re-places what depends on it.
class ResourceAssignments {
  public:
    ResourceAssignments(Store& context, CalandarAccess& calendars, ScheduleEngine& engine)
        : context_(context), calendars_(calendars), engine_(engine) {}

    // Posts ProjectChanged.
    Resource* getNewResource(const std::optional<std::string>& name);
    // The first resource with that name, else a new one.
    Resource* getNewResourceIfDoesNotExist(const std::string& name);
    // Assigns `resource` with the share `perc` (none leaves it absent). When the task already
    // has the resource and shouldAddDuplicateResource answers yes, the existing assignment is
    // returned and nothing changes. The share is in place before the task is recomputed, so
    // the task takes the length of that share.
    ATaskResource* addResource(Resource* resource, ATask* toTask,
                               std::optional<float> perc = std::nullopt);
    // The assignment alone; the caller recomputes the task once all of its are in.
    ATaskResource* insertAssignment(Resource* resource, ATask* toTask, std::optional<float> perc);
    // Recomputes the task's duration and usage and re-places its successors and summaries.
    void recompute(ATask* task);

    // Asked before a second assignment of the same resource; yes keeps the existing one.
    std::function<bool()> shouldAddDuplicateResource;

  private:
    Store& context_;
    CalandarAccess& calendars_;
    ScheduleEngine& engine_;
};

} // namespace mapolt
