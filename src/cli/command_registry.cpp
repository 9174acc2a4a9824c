#include "cli/command_registry.h"

#include <utility>

namespace mapolt::cli {

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

CommandRegistration::CommandRegistration(Command command) {
    commands().push_back(std::move(command));
}

} // namespace mapolt::cli
