#include "document/document_services.h"

namespace mapolt {

DocumentServices createDocumentServices(Store& store, Project* project,
                                        const Preferences& preferences) {
    DocumentServices services;
    services.calandarAccess = std::make_unique<CalandarAccess>(store);
    services.taskLengthCalc = std::make_unique<TaskLengthCalc>(store, *services.calandarAccess);
    services.dependencyLinks =
        std::make_unique<DependencyLinks>(store, preferences, *services.taskLengthCalc);
    services.resourceHelper = std::make_unique<ResourceHelper>(store);
    services.resourceHelper->setCA(services.calandarAccess.get());
    services.resourceHelper->setTaskLengthCalc(services.taskLengthCalc.get());
    services.criticalPath = std::make_unique<CriticalPath>(store);
    services.taskHelper = std::make_unique<TaskHelper>(store, project, preferences);
    services.taskHelper->setTaskLengthCalc(services.taskLengthCalc.get());
    services.taskHelper->setDependencyLinker(services.dependencyLinks.get());
    services.taskHelper->setCriticalPath(services.criticalPath.get());
    return services;
}

} // namespace mapolt
