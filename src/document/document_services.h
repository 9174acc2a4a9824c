#pragma once

#include "model/task_helper.h"
#include "schedule/calandar_access.h"
#include "schedule/critical_path.h"
#include "schedule/dependency_links.h"
#include "schedule/resource_helper.h"
#include "schedule/task_length_calc.h"

#include <memory>

namespace mapolt {

class Preferences;
class Project;
class Store;

// The services one document owns; they live and die with it. The scheduling services
// (engine, calendars, resources) are made and given to each other in
// createDocumentServices, the one place that knows the order: the calendar service goes to
// the resource service and the engine, the engine to the outline and resource services.
// Members are declared in the order of their dependencies, so each goes after its users.
struct DocumentServices {
    std::unique_ptr<CalandarAccess> calandarAccess;
    std::unique_ptr<TaskLengthCalc> taskLengthCalc;
    std::unique_ptr<DependencyLinks> dependencyLinks;
    std::unique_ptr<ResourceHelper> resourceHelper;
    std::unique_ptr<CriticalPath> criticalPath;
    std::unique_ptr<TaskHelper> taskHelper;
};

DocumentServices createDocumentServices(Store& store, Project* project,
                                        const Preferences& preferences);

} // namespace mapolt
