#include "appearance/preset_styles.h"
#include "cli/command_registry.h"
#include "cli/command_support.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace mapolt;

constexpr std::string_view kName = "new";

// A new plan dated today, with the chosen preset style. An existing file is never replaced:
// "new" is no way to lose a plan.
int newPlan(std::span<const std::string_view> arguments) {
    const cli::Arguments args = cli::parseArguments(arguments, {"--style"}, 1);
    if (!args.problem.empty())
        return cli::fail(kName, args.problem + " (usage: new FILE [--style clean|school|Autumn])");
    const std::filesystem::path file(args.positional[0]);
    const PresetStyle* preset = nullptr;
    if (args.has("--style")) {
        preset = presetForResource(args.option("--style"));
        if (preset == nullptr)
            return cli::fail(kName, "unknown style \"" + std::string(args.option("--style")) +
                                        "\" for \"" + file.string() +
                                        "\" (choose clean, school or Autumn)");
    }
    std::error_code ec;
    if (std::filesystem::symlink_status(file, ec).type() != std::filesystem::file_type::not_found)
        return cli::fail(kName, "Could not create \"" + file.string() + "\": it already exists");

    MemoryPreferences preferences;
    KestilPlannerDocument document(preferences);
    if (preset != nullptr && !applyPresetStyle(*document.project(), *preset))
        return cli::fail(kName, "Could not create \"" + file.string() + "\": the style file \"" +
                                    presetPath(*preset).string() + "\" cannot be read");
    document.store().flushPendingChanges();
    return cli::savePlan(kName, document, file) ? 0 : 1;
}

const cli::CommandRegistration registration{
    {std::string(kName), "new FILE [--style clean|school|Autumn]", newPlan}};

} // namespace
