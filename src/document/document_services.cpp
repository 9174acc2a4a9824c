#include "document/document_services.h"

namespace mapolt {

DocumentServices createDocumentServices(Store& store, Project* project,
                                        const Preferences& preferences) {
    DocumentServices services;
    services.criticalPath = std::make_unique<CriticalPath>(store);
    services.taskHelper = std::make_unique<TaskHelper>(store, project, preferences);
    services.taskHelper->setCriticalPath(services.criticalPath.get());
    return services;
}

} // namespace mapolt
