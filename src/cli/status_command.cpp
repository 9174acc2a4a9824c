#include "cli/command_registry.h"
#include "cli/document_io.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
#include "interchange/baseline_tv_controller.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <clocale>
#include <cstdio>

namespace {

using namespace mapolt;

constexpr const char* kUsage = "status PLAN OUT.csv [--costs] [--times] [--dates]";

// Without a section named, the report holds all three. The comparison is with the latest
// baseline.
int status(std::span<const std::string_view> args) {
    if (args.size() < 2)
        return cli::usageError(kUsage);
    bool costs = false, times = false, dates = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--costs")
            costs = true;
        else if (args[i] == "--times")
            times = true;
        else if (args[i] == "--dates")
            dates = true;
        else
            return cli::usageError(kUsage);
    }
    if (!costs && !times && !dates)
        costs = times = dates = true;
    std::setlocale(LC_ALL, "");
    MemoryPreferences preferences;
    auto document = cli::openPlan(std::string(args[0]), preferences);
    if (!document)
        return 1;
    BaselineTVController inspector(document->store());
    inspector.setSelectedBase(
        document->store().fetchFirst<Baseline>({}, [](const Baseline& a, const Baseline& b) {
            return a.baselineDate() > b.baselineDate();
        }));
    const std::string report = inspector.exportReport(costs, times, dates);
    std::string error;
    if (!writeFileAtomically(std::string(args[1]), report, error)) {
        std::fprintf(stderr, "mapolt-cli: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

const cli::CommandRegistration registration{{"status", kUsage, status}};

} // namespace
