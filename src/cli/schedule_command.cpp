#include "cli/command_registry.h"
#include "cli/command_support.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "model/task_helper.h"
#include "schedule/critical_path.h"
#include "schedule/task_length_calc.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

using namespace mapolt;

constexpr std::string_view kName = "schedule";
constexpr std::string_view kUsage = "schedule PLAN [--critical end|marked|both] [-o OUT]";

struct CriticalRoots {
    bool end = false;
    bool marked = false;
    bool any() const { return end || marked; }
};

bool parseCritical(std::string_view text, CriticalRoots& roots) {
    roots.end = text == "end" || text == "both";
    roots.marked = text == "marked" || text == "both";
    return roots.any();
}

double printable(float value) {
    return static_cast<double>(value);
}

// A tab or line break inside a name would split its line or shift its columns.
std::string oneField(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

// One line per task in outline order; scripts compare this output, so its form is fixed.
void printSchedule(KestilPlannerDocument& document) {
    TaskHelper& helper = document.taskHelper();
    CriticalPath& path = document.criticalPath();
    std::fputs("no\tdepth\tname\tstart\telapsed\thours\tperc\tlevel\n", stdout);
    // A parent comes before its subtasks, so each depth is its parent's plus one: no walk
    // up a deep outline for every row.
    std::unordered_map<const ATask*, int> depths;
    for (const ATask* t : helper.outlineOrder()) {
        const auto parent = depths.find(t->superTask());
        const int depth = parent == depths.end() ? 0 : parent->second + 1;
        depths.emplace(t, depth);
        std::printf("%d\t%d\t%s\t%.4f\t%.4f\t%.4f\t%.4f\t%d\n", t->viewOrder() + 1, depth,
                    oneField(t->name.optional().value_or("")).c_str(),
                    printable(t->daysFromStart()), printable(t->elapsedTime()),
                    printable(t->hours()), printable(t->percComp()), path.getCriticalityOfTask(t));
    }
}

int schedule(std::span<const std::string_view> arguments) {
    const cli::Arguments args = cli::parseArguments(arguments, {"--critical", "-o"}, 1);
    if (!args.problem.empty())
        return cli::fail(kName, args.problem + " (usage: " + std::string(kUsage) + ")");
    CriticalRoots roots;
    if (args.has("--critical") && !parseCritical(args.option("--critical"), roots))
        return cli::fail(kName, "unknown critical path \"" +
                                    std::string(args.option("--critical")) +
                                    "\" (usage: " + std::string(kUsage) + ")");
    MemoryPreferences preferences;
    const auto document =
        cli::openPlan(kName, std::filesystem::path(args.positional[0]), preferences);
    if (!document)
        return 1;
    // Row numbers written by another program may be stale; the numbers printed are the rows.
    document->taskHelper().reIndexProject();
    document->recalcProject();
    CriticalPath& path = document->criticalPath();
    path.setShowEndCP(roots.end);
    path.setShowProjCP(roots.marked);
    if (roots.any())
        path.calcProjectCp();
    else
        path.clearCrit();
    const TaskLengthCalc& engine = document->taskLengthCalc();
    for (const ATask* t : engine.unfinishableTasks())
        std::fprintf(stderr, "mapolt-cli %.*s: task \"%s\" cannot finish: %s\n",
                     static_cast<int>(kName.size()), kName.data(),
                     oneField(t->name.optional().value_or("")).c_str(),
                     engine.workBeyondReach(t)
                         ? "its work is more than its calendars give in a hundred years"
                         : "its calendar gives no working hour for a year");
    if (args.has("-o") &&
        !cli::savePlan(kName, *document, std::filesystem::path(args.option("-o"))))
        return 1;
    printSchedule(*document);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return cli::fail(kName, "cannot write the schedule to the standard output");
    return 0;
}

const cli::CommandRegistration registration{{std::string(kName), std::string(kUsage), schedule}};

} // namespace
