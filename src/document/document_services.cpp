#include "document/document_services.h"

namespace mapolt {

DocumentServices createDocumentServices(Store& store, Project* project,
                                        const Preferences& preferences) {
    DocumentServices services;
    services.taskHelper = std::make_unique<TaskHelper>(store, project, preferences);
    return services;
}

} // namespace mapolt
