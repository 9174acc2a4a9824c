#include "cli/command_registry.h"
#include "cli/document_io.h"
#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "model/preferences.h"

#include <cstdio>

namespace {

using namespace mapolt;

constexpr const char* kUsage = "export-xml IN OUT.xml";

int exportXml(std::span<const std::string_view> args) {
    if (args.size() != 2)
        return cli::usageError(kUsage);
    MemoryPreferences preferences;
    auto document = cli::openPlan(std::string(args[0]), preferences);
    if (!document)
        return 1;
    std::string error;
    if (!exportProjectXml(*document, std::string(args[1]), error)) {
        std::fprintf(stderr, "mapolt-cli: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const cli::CommandRegistration registration{{"export-xml", kUsage, exportXml}};

} // namespace
