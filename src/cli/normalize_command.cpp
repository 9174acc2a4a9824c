#include "cli/command_registry.h"
#include "cli/command_support.h"
#include "model/preferences.h"

#include <span>
#include <string>
#include <string_view>

namespace {

using namespace mapolt;

constexpr std::string_view kName = "normalize";

// Reads a plan file and writes it back in the form this program writes; OUT may be IN.
int normalize(std::span<const std::string_view> arguments) {
    const cli::Arguments args = cli::parseArguments(arguments, {}, 2);
    if (!args.problem.empty())
        return cli::fail(kName, args.problem + " (usage: normalize IN OUT)");
    MemoryPreferences preferences;
    const auto document =
        cli::openPlan(kName, std::filesystem::path(args.positional[0]), preferences);
    if (!document)
        return 1;
    return cli::savePlan(kName, *document, std::filesystem::path(args.positional[1])) ? 0 : 1;
}

const cli::CommandRegistration registration{{std::string(kName), "normalize IN OUT", normalize}};

} // namespace
