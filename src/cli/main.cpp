#include "cli/command_registry.h"
#include "model/diagnostic_log.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string_view>
#include <vector>

namespace {

void printUsage(std::FILE* to) {
    std::fprintf(to, "usage:\n");
    for (const auto& command : mapolt::cli::commands())
        std::fprintf(to, "  mapolt-cli %s\n", command.usage.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h") {
        printUsage(stdout);
        return 0;
    }
    const auto& all = mapolt::cli::commands();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const auto& command) { return command.name == name; });
    if (found == all.end()) {
        std::fprintf(stderr, "mapolt-cli: unknown command \"%.*s\"\n",
                     static_cast<int>(name.size()), name.data());
        printUsage(stderr);
        return 2;
    }
    // Each command reports its own failure in one line; the log's copy would be a second.
    mapolt::setDiagnosticSink([](std::string_view) {});
    const std::vector<std::string_view> arguments(argv + std::min(argc, 2), argv + argc);
    // No failure may end the program without a word: whatever a command let escape is
    // reported like any other failure.
    try {
        return found->run(arguments);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "mapolt-cli %.*s: out of memory\n", static_cast<int>(name.size()),
                     name.data());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mapolt-cli %.*s: %s\n", static_cast<int>(name.size()), name.data(),
                     e.what());
    } catch (...) {
        std::fprintf(stderr, "mapolt-cli %.*s: unexpected failure\n", static_cast<int>(name.size()),
                     name.data());
    }
    return 1;
}
