// Feeds arbitrary bytes to the project XML importer; whatever it imports must schedule, export
// and save as a plan that reads back.
#include "fuzz_checks.h"
#include "interchange/project_importer.h"
#include "model/preferences.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mapolt;
    fuzz::quietLog();
    MemoryPreferences preferences;
    KestilPlannerDocument doc(preferences);
    ProjectImportTarget target{doc.store(), doc.project(), doc.taskHelper(), doc.calandarAccess(),
                               doc.taskLengthCalc()};
    ProjectImporter importer(target);
    std::string error;
    bool ok = false;
    {
        UndoRegistrationPause pause(doc.store().undoManager());
        ok =
            importer.importText(std::string_view(reinterpret_cast<const char*>(data), size), error);
        doc.store().flushPendingChanges();
    }
    if (!ok) {
        if (error.empty())
            fuzz::broken("project_xml_fuzz", "refusal without a reason");
        return 0;
    }
    fuzz::checkPlanReadsBack("project_xml_fuzz", doc.store());
    fuzz::scheduleAndExport(doc);
    fuzz::checkPlanReadsBack("project_xml_fuzz", doc.store());
    return 0;
}
