#include "cli/command_registry.h"
#include "cli/document_io.h"
#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "model/preferences.h"

#include <cstdio>

namespace {

using namespace mapolt;

constexpr const char* kUsage = "import-xml IN.xml OUT";

int importXml(std::span<const std::string_view> args) {
    if (args.size() != 2)
        return cli::usageError(kUsage);
    MemoryPreferences preferences;
    ProjectXmlImport result = importProjectXml(std::string(args[0]), preferences);
    if (!result.ok) {
        std::fprintf(stderr, "mapolt-cli: %s\n", result.error.c_str());
        return 1;
    }
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "mapolt-cli: %s\n", warning.c_str());
    if (!cli::savePlan(*result.document, std::string(args[1])))
        return 1;
    std::printf("%zu tasks, %zu links, %zu resources, %zu assignments\n", result.counts.tasks,
                result.counts.links, result.counts.resources, result.counts.assignments);
    return 0;
}

const cli::CommandRegistration registration{{"import-xml", kUsage, importXml}};

} // namespace
