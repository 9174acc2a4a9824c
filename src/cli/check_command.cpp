#include "cli/command_registry.h"
#include "cli/command_support.h"
#include "document/plan_file.h"
#include "model/store.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace mapolt;

constexpr std::string_view kName = "check";

// Prints "ok" for a readable plan file; otherwise the codec's error with every error it
// wraps, outermost first, and where reading stopped, then fails. A readable file whose links
// close a loop fails too, after naming each link that opening it removes.
int check(std::span<const std::string_view> arguments) {
    const cli::Arguments args = cli::parseArguments(arguments, {}, 1);
    if (!args.problem.empty())
        return cli::fail(kName, args.problem + " (usage: check FILE)");
    Store store;
    const PlanReadResult result = readPlanFile(std::filesystem::path(args.positional[0]), store);
    if (result)
        for (const std::string& repair : result.repairs)
            std::printf("repaired: %s\n", repair.c_str());
    if (result && result.warnings.empty()) {
        std::printf("ok\n");
        return 0;
    }
    if (result) {
        for (const std::string& warning : result.warnings)
            std::printf("%s\n", warning.c_str());
        return cli::fail(kName, std::to_string(result.warnings.size()) +
                                    " link(s) closed a loop and are left out when the plan opens");
    }
    if (result.codecError) {
        for (const JsonError* e : result.codecError->chain())
            std::printf("%s\n", e->message().c_str());
        std::printf("at byte %zu\n", result.codecError->offset());
    } else {
        std::printf("%s\n", result.message.c_str());
    }
    return cli::fail(kName, result.message);
}

const cli::CommandRegistration registration{{std::string(kName), "check FILE", check}};

} // namespace
