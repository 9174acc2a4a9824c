#include "cli/command_support.h"

#include <algorithm>
#include <cstdio>

namespace mapolt::cli {

int fail(std::string_view command, std::string_view message) {
    std::string line(message);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::fprintf(stderr, "mapolt-cli %.*s: %s\n", static_cast<int>(command.size()), command.data(),
                 line.c_str());
    return 1;
}

void reportRepairs(std::string_view command, const std::filesystem::path& path,
                   const std::vector<std::string>& repairs) {
    for (const std::string& repair : repairs)
        std::fprintf(stderr, "mapolt-cli %.*s: %s: %s\n", static_cast<int>(command.size()),
                     command.data(), path.c_str(), repair.c_str());
}

std::string_view Arguments::option(std::string_view name) const {
    const auto found = options.find(name);
    return found == options.end() ? std::string_view{} : found->second;
}

Arguments parseArguments(std::span<const std::string_view> arguments,
                         std::initializer_list<std::string_view> valueOptions,
                         std::size_t positionalCount) {
    Arguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view a = arguments[i];
        const bool looksLikeOption = a.size() > 1 && a.front() == '-';
        if (!looksLikeOption) {
            parsed.positional.push_back(a);
            continue;
        }
        if (std::find(valueOptions.begin(), valueOptions.end(), a) == valueOptions.end()) {
            parsed.problem = "unknown option \"" + std::string(a) + "\"";
            return parsed;
        }
        if (i + 1 == arguments.size()) {
            parsed.problem = "option \"" + std::string(a) + "\" needs a value";
            return parsed;
        }
        parsed.options[a] = arguments[++i];
    }
    if (parsed.positional.size() != positionalCount)
        parsed.problem = "expected " + std::to_string(positionalCount) + " file argument" +
                         (positionalCount == 1 ? "" : "s") + ", got " +
                         std::to_string(parsed.positional.size());
    return parsed;
}

std::unique_ptr<KestilPlannerDocument> openPlan(std::string_view command,
                                                const std::filesystem::path& path,
                                                const Preferences& preferences) {
    PlanReadResult result;
    auto document = KestilPlannerDocument::initWithContentsOfURL(path, preferences, result);
    if (!document)
        fail(command, result.message);
    else
        reportRepairs(command, path, document->openWarnings());
    return document;
}

bool savePlan(std::string_view command, KestilPlannerDocument& document,
              const std::filesystem::path& path) {
    std::string error;
    if (document.writeToURL(path, error))
        return true;
    fail(command, error);
    return false;
}

} // namespace mapolt::cli
