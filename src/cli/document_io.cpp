#include "cli/document_io.h"

#include "document/kestil_planner_document.h"

#include <cstdio>

namespace mapolt::cli {

std::unique_ptr<KestilPlannerDocument> openPlan(const std::filesystem::path& path,
                                                const Preferences& preferences) {
    PlanReadResult result;
    auto document = KestilPlannerDocument::initWithContentsOfURL(path, preferences, result);
    if (!document)
        std::fprintf(stderr, "mapolt-cli: %s\n", result.message.c_str());
    else
        for (const std::string& warning : document->openWarnings())
            std::fprintf(stderr, "mapolt-cli: %s: %s\n", path.c_str(), warning.c_str());
    return document;
}

bool savePlan(KestilPlannerDocument& document, const std::filesystem::path& path) {
    std::string error;
    if (document.writeToURL(path, error))
        return true;
    std::fprintf(stderr, "mapolt-cli: %s\n", error.c_str());
    return false;
}

int usageError(std::string_view usage) {
    std::fprintf(stderr, "usage: mapolt-cli %.*s\n", static_cast<int>(usage.size()), usage.data());
    return 2;
}

} // namespace mapolt::cli
