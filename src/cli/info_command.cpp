#include "cli/command_registry.h"
#include "cli/command_support.h"
#include "interchange/medium_date.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace mapolt;

constexpr std::string_view kName = "info";

// The latest stored end of any task, in days from the project start; 0 without tasks.
float projectEnd(const Store& store) {
    float end = 0.0f;
    for (const ATask* t : store.fetch<ATask>())
        end = std::max(end, t->daysFromStart() + t->elapsedTime());
    return end;
}

// The calendar day the last work falls on: a task ending at day 3.0 finishes on day 2.
Date finishDate(Date start, float end) {
    const int lastDay = end > 0.0f ? static_cast<int>(std::ceil(end)) - 1 : 0;
    return civil::addDays(start, lastDay);
}

int info(std::span<const std::string_view> arguments) {
    const cli::Arguments args = cli::parseArguments(arguments, {}, 1);
    if (!args.problem.empty())
        return cli::fail(kName, args.problem + " (usage: info FILE)");
    MemoryPreferences preferences;
    const auto document =
        cli::openPlan(kName, std::filesystem::path(args.positional[0]), preferences);
    if (!document)
        return 1;
    const Store& store = document->store();
    Project* project = document->project();
    const Date start = project->startDate();
    const float end = projectEnd(store);
    const auto count = [&](Entity e) { return store.count(e); };
    std::printf("name: %s\n", project->name.optional().value_or("").c_str());
    std::printf("start: %s\n", formatMediumDate(start).c_str());
    std::printf("tasks: %zu\n", count(Entity::ATask));
    std::printf("links: %zu\n", count(Entity::DepLink));
    std::printf("resources: %zu\n", count(Entity::Resource));
    std::printf("milestones: %zu\n", count(Entity::MileStone));
    std::printf("calendars: %zu\n", count(Entity::Calandar));
    std::printf("end: day %g, finishing %s\n", static_cast<double>(end),
                formatMediumDate(finishDate(start, end)).c_str());
    return 0;
}

const cli::CommandRegistration registration{{std::string(kName), "info FILE", info}};

} // namespace
