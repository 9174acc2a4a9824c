#include "cli/command_registry.h"
#include "cli/document_io.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"
#include "interchange/exporter.h"
#include "model/preferences.h"
#include "table/column_controller.h"

#include <cstdio>

namespace {

using namespace mapolt;

constexpr const char* kUsage =
    "export-tasks IN DIR --format csv|ics|html [--order outline|start] [--ancestors]";

int exportTasks(std::span<const std::string_view> args) {
    if (args.size() < 2)
        return cli::usageError(kUsage);
    TaskListOptions options;
    bool formatGiven = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const std::string_view next = i + 1 < args.size() ? args[i + 1] : std::string_view();
        if (a == "--format" && (next == "csv" || next == "ics" || next == "html")) {
            options.expType = next == "csv" ? 0 : next == "ics" ? 1 : 2;
            formatGiven = true;
            ++i;
        } else if (a == "--order" && (next == "outline" || next == "start")) {
            options.order = next == "outline" ? 0 : 1;
            ++i;
        } else if (a == "--ancestors") {
            options.superNames = true;
        } else {
            return cli::usageError(kUsage);
        }
    }
    if (!formatGiven)
        return cli::usageError(kUsage);
    const std::filesystem::path folder(args[1]);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::fprintf(stderr, "mapolt-cli: \"%s\" is no folder\n", folder.c_str());
        return 1;
    }
    MemoryPreferences preferences;
    auto document = cli::openPlan(std::string(args[0]), preferences);
    if (!document)
        return 1;
    ColumnController& columns = document->columnController();
    columns.rebuildActiveColumns();
    int failures = 0;
    Exporter exporter(
        document->store(), &columns,
        [&failures](const std::filesystem::path& path, std::string_view bytes, std::string& error) {
            if (writeFileAtomically(path, bytes, error))
                return true;
            std::fprintf(stderr, "mapolt-cli: %s\n", error.c_str());
            ++failures;
            return false;
        });
    exporter.options() = options;
    exporter.doExport(folder);
    return failures == 0 ? 0 : 1;
}

const cli::CommandRegistration registration{{"export-tasks", kUsage, exportTasks}};

} // namespace
