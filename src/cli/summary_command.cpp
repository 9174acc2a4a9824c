#include "cli/command_registry.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace mapolt;

// A small project built in code until plan files can be opened.
void buildExample(TaskHelper& helper) {
    const auto named = [](ATask* t, const char* name, float hours) {
        t->setName(std::string(name));
        t->set(&ATask::hours, hours);
    };
    ATask* design = helper.addEndTask(0);
    named(design, "Design", 16);
    named(helper.insertTaskAfter(design), "Sketch the layout", 8);
    ATask* review = helper.insertTaskAfter(helper.getTaskForNumber(2));
    named(review, "Review with the client", 4);
    helper.makeSubTask({helper.getTaskForNumber(2), review});
    ATask* build = helper.addEndTask(3);
    named(build, "Build", 40);
    ATask* ship = helper.addEndTask(8);
    named(ship, "Ship", 8);
    helper.reIndexProject();
}

void printOutline(const TaskHelper& helper) {
    for (ATask* t : helper.outlineOrder()) {
        const std::string indent(static_cast<std::size_t>(TaskHelper::depthOf(t)) * 2, ' ');
        std::printf("%4d  %s%s  (%g h)\n", t->viewOrder() + 1, indent.c_str(),
                    t->isBlank() ? "" : t->name.optional()->c_str(),
                    static_cast<double>(t->hours()));
    }
}

int summary(std::span<const std::string_view>) {
    Store store;
    MemoryPreferences preferences;
    auto* project = store.insert<Project>();
    project->set(&Project::name, std::string("Example project"));
    project->set(&Project::startDate, civil::localMidnight(civil::now()));
    TaskHelper helper(store, project, preferences);
    buildExample(helper);
    std::printf("%s: %zu tasks\n", project->name().c_str(), store.count(Entity::ATask));
    printOutline(helper);
    return 0;
}

const cli::CommandRegistration registration{{"summary", "summary", summary}};

} // namespace
