#include "cli/command_registry.h"
#include "cli/document_io.h"
#include "document/kestil_planner_document.h"
#include "interchange/text_file_importer.h"
#include "model/preferences.h"

#include <cstdio>

namespace {

using namespace mapolt;

constexpr const char* kUsage = "import-text IN.txt PLAN";

int importText(std::span<const std::string_view> args) {
    if (args.size() != 2)
        return cli::usageError(kUsage);
    const std::filesystem::path text(args[0]);
    MemoryPreferences preferences;
    auto document = cli::openPlan(std::string(args[1]), preferences);
    if (!document)
        return 1;
    TextFileImporter importer(document->taskHelper());
    const std::size_t added = importer.importFromFile(text);
    // A refused import leaves the plan file as it was.
    if (!importer.problem().empty()) {
        std::fprintf(stderr, "mapolt-cli: %s\n", importer.problem().c_str());
        return 1;
    }
    if (!cli::savePlan(*document, std::string(args[1])))
        return 1;
    std::printf("%zu tasks added\n", added);
    return 0;
}

const cli::CommandRegistration registration{{"import-text", kUsage, importText}};

} // namespace
