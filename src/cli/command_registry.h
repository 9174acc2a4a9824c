#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mapolt::cli {

// One `mapolt-cli` command. `run` gets the arguments after the command name and returns the
// exit status; on failure it has written one line to stderr naming the file and the reason.
struct Command {
    std::string name;
    std::string usage;
    std::function<int(std::span<const std::string_view>)> run;
};

// Every command file registers itself with a static CommandRegistration, so adding a
// command means adding one file.
std::vector<Command>& commands();

struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

} // namespace mapolt::cli
