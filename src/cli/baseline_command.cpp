#include "cli/command_registry.h"
#include "cli/document_io.h"
#include "document/kestil_planner_document.h"
#include "interchange/baseline_tv_controller.h"
#include "model/preferences.h"

#include <cstdio>

namespace {

using namespace mapolt;

constexpr const char* kUsage = "baseline PLAN";

int baseline(std::span<const std::string_view> args) {
    if (args.size() != 1)
        return cli::usageError(kUsage);
    MemoryPreferences preferences;
    auto document = cli::openPlan(std::string(args[0]), preferences);
    if (!document)
        return 1;
    BaselineTVController inspector(document->store());
    inspector.snapBaseline();
    if (!cli::savePlan(*document, std::string(args[0])))
        return 1;
    std::printf("baseline %zu taken\n", document->store().count(Entity::Baseline));
    return 0;
}

const cli::CommandRegistration registration{{"baseline", kUsage, baseline}};

} // namespace
