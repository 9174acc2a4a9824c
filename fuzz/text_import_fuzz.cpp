// Feeds arbitrary bytes to the text importer; what it adds must save as a plan that reads
// back, and schedule.
#include "fuzz_checks.h"
#include "interchange/text_file_importer.h"
#include "model/preferences.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mapolt;
    fuzz::quietLog();
    MemoryPreferences preferences;
    KestilPlannerDocument doc(preferences);
    TextFileImporter importer(doc.taskHelper());
    const std::size_t added =
        importer.importFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (added == 0 && doc.store().count(Entity::ATask) != 0)
        fuzz::broken("text_import_fuzz", "a refused import added tasks");
    if (!importer.problem().empty() && added != 0)
        fuzz::broken("text_import_fuzz", "an import with a problem added tasks");
    fuzz::checkPlanReadsBack("text_import_fuzz", doc.store());
    fuzz::scheduleAndExport(doc);
    return 0;
}
