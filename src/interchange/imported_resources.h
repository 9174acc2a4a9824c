#pragma once

#include <optional>
#include <string>

namespace mapolt {

class ATask;
class ATaskResource;
class CalandarAccess;
class Resource;
class Store;
class TaskLengthCalc;

// Creating resources and assignments for the importers and the clipboard: a resource gets a
// private calendar that inherits from the base calendar; an assignment recomputes its task.
class ImportedResources {
  public:
    ImportedResources(Store& store, CalandarAccess& calendars, TaskLengthCalc& engine)
        : store_(store), calendars_(calendars), engine_(engine) {}

    Resource* getNewResource(const std::string& name);
    // The first resource with that name, else a new one.
    Resource* getNewResourceIfDoesNotExist(const std::string& name);
    // A new assignment with its share; with `recompute` the task's duration and usage follow
    // at once, else the caller recomputes the task (once, after all its assignments).
    ATaskResource* addResource(Resource* resource, ATask* toTask, std::optional<float> perc,
                               bool recompute = true);
    void recompute(ATask* task);

  private:
    Store& store_;
    CalandarAccess& calendars_;
    TaskLengthCalc& engine_;
};

} // namespace mapolt
