#include "document/project_xml_file.h"

#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
#include "interchange/project_export.h"
#include "model/alert_presenter.h"
#include "schedule/looping_links.h"

namespace mapolt {

ProjectXmlImport importProjectXml(const std::filesystem::path& path,
                                  const Preferences& preferences) {
    ProjectXmlImport result;
    result.document = std::make_unique<KestilPlannerDocument>(preferences);
    KestilPlannerDocument& doc = *result.document;
    ProjectImportTarget target{doc.store(), doc.project(), doc.taskHelper(), doc.calandarAccess(),
                               doc.taskLengthCalc()};
    ProjectImporter importer(target);
    {
        // A new document starts with no history: the import is its content, not an edit.
        UndoRegistrationPause pause(doc.store().undoManager());
        result.ok = importer.importFile(path, result.error);
        result.warnings = importer.warnings();
        if (result.ok)
            for (const RemovedLink& link : removeLoopingLinks(doc.store()))
                result.warnings.push_back(link.message());
        doc.store().flushPendingChanges();
    }
    doc.store().undoManager().removeAllActions();
    result.counts = importer.counts();
    return result;
}

std::optional<ProjectXmlImport> importProjectfile(AlertPresenter& alerts,
                                                  const std::filesystem::path& path,
                                                  const Preferences& preferences) {
    const Alert alert{AlertStyle::Warning,
                      std::string(ProjectImporter::kImportWarning),
                      std::string(ProjectImporter::kImportQuestion),
                      {"OK", "Cancel"}};
    if (alerts.runAlert(alert) != 0)
        return std::nullopt;
    return importProjectXml(path, preferences);
}

bool exportProjectXml(KestilPlannerDocument& document, const std::filesystem::path& path,
                      std::string& error) {
    // Written as it is made: the file of a large plan is never held whole in memory.
    ProjectExport exporter;
    return writeFileAtomically(
        path,
        [&](const ByteWriter& write) {
            return exporter.exportProject(document.store(), document.taskLengthCalc(), write);
        },
        error);
}

} // namespace mapolt
