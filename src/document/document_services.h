#pragma once

#include "model/task_helper.h"
#include "schedule/critical_path.h"

#include <memory>

namespace mapolt {

class Preferences;
class Project;
class Store;

// The services one document owns; they live and die with it. The scheduling services
// (engine, calendars, resources) are made and given to each other in
// createDocumentServices, the one place that knows the order: the calendar service goes to
// the resource service and the engine, the engine to the outline and resource services.
struct DocumentServices {
    // Declared before the outline service, which holds it, so that it goes after it.
    std::unique_ptr<CriticalPath> criticalPath;
    std::unique_ptr<TaskHelper> taskHelper;
};

DocumentServices createDocumentServices(Store& store, Project* project,
                                        const Preferences& preferences);

} // namespace mapolt
