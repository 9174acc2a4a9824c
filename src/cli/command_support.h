#pragma once

#include "document/kestil_planner_document.h"

#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mapolt::cli {

// Writes "mapolt-cli COMMAND: MESSAGE" as one line to stderr and gives the failing exit
// status. Line breaks inside the message become blanks so that the report stays one line.
int fail(std::string_view command, std::string_view message);
// Writes "mapolt-cli COMMAND: PATH: MESSAGE" to stderr for each repair made while reading.
void reportRepairs(std::string_view command, const std::filesystem::path& path,
                   const std::vector<std::string>& repairs);

// A command line split into its plain arguments and its options ("--name value").
struct Arguments {
    std::vector<std::string_view> positional;
    std::map<std::string_view, std::string_view> options;
    // Set when the line does not fit the command: an unknown option, a missing value, or a
    // wrong number of plain arguments.
    std::string problem;

    std::string_view option(std::string_view name) const;
    bool has(std::string_view name) const { return options.contains(name); }
};

// Splits `arguments`, accepting the options in `valueOptions` (each takes one value) and
// exactly `positionalCount` plain arguments.
Arguments parseArguments(std::span<const std::string_view> arguments,
                         std::initializer_list<std::string_view> valueOptions,
                         std::size_t positionalCount);

// The plan file at `path` opened as a document; none, after reporting why on stderr.
std::unique_ptr<KestilPlannerDocument> openPlan(std::string_view command,
                                                const std::filesystem::path& path,
                                                const Preferences& preferences);

// Saves the document's plan text atomically; false, after reporting why on stderr.
bool savePlan(std::string_view command, KestilPlannerDocument& document,
              const std::filesystem::path& path);

} // namespace mapolt::cli
