#include "support/example_plan.h"

#include "appearance/colour_slots.h"
#include "appearance/preset_styles.h"
#include "interchange/json_export.h"
#include "model/entities.h"
#include "model/preferences.h"
#include "model/task_helper.h"
#include "schedule/calandar_access.h"
#include "schedule/task_length_calc.h"

#include <algorithm>
#include <map>
#include <vector>

namespace mapolt::testing {

namespace {

struct Link {
    const char* predecessor;
    float lag;
};

struct Row {
    int depth;
    const char* name;
    float hours;
    std::vector<const char*> resources;
    std::vector<Link> links;
    float percComp;
};

// Summaries have no hours of their own; their rows are followed by their subtasks.
const std::vector<Row>& houseRows() {
    static const std::vector<Row> rows = {
        {0, "Design and permits", 0, {}, {}, 0},
        {1, "Survey the plot", 16, {"Mia Architect"}, {}, 100},
        {1, "Draft the floor plans", 64, {"Mia Architect"}, {{"Survey the plot", 0}}, 100},
        {1, "Structural calculations", 24, {"Mia Architect"}, {{"Draft the floor plans", 0}}, 100},
        {1,
         "Submit the building permit",
         4,
         {"Mia Architect"},
         {{"Structural calculations", 0}},
         100},
        {1, "Permit review by the town", 40, {}, {{"Submit the building permit", 3}}, 60},
        {1, "Choose the builder", 16, {"Mia Architect"}, {{"Draft the floor plans", 0}}, 100},
        {0, "Site works", 0, {}, {}, 0},
        {1, "Clear and level the site", 24, {"Ben Builder"}, {{"Permit review by the town", 0}}, 0},
        {1,
         "Site electricity and water",
         8,
         {"Eli Electrician"},
         {{"Clear and level the site", 0}},
         0},
        {1, "Dig the foundations", 32, {"Ben Builder"}, {{"Clear and level the site", 0}}, 0},
        {1, "Foundation inspection", 4, {"Ida Inspector"}, {{"Dig the foundations", 0}}, 0},
        {0, "Foundations", 0, {}, {}, 0},
        {1, "Lay the drains", 16, {"Pia Plumber"}, {{"Foundation inspection", 0}}, 0},
        {1, "Pour the footings", 16, {"Ben Builder"}, {{"Lay the drains", 0}}, 0},
        {1, "Cure the footings", 24, {}, {{"Pour the footings", 0}}, 0},
        {1, "Build the basement walls", 48, {"Ben Builder"}, {{"Cure the footings", 0}}, 0},
        {1, "Waterproof the basement", 16, {"Ben Builder"}, {{"Build the basement walls", 1}}, 0},
        {1, "Pour the ground slab", 16, {"Ben Builder"}, {{"Waterproof the basement", 0}}, 0},
        {0, "Shell", 0, {}, {}, 0},
        {1, "Walls", 0, {}, {}, 0},
        {2, "Ground floor walls", 64, {"Ben Builder"}, {{"Pour the ground slab", 2}}, 0},
        {2, "First floor slab", 32, {"Ben Builder"}, {{"Ground floor walls", 0}}, 0},
        {2, "First floor walls", 56, {"Ben Builder"}, {{"First floor slab", 1}}, 0},
        {1, "Roof", 0, {}, {}, 0},
        {2, "Roof trusses", 24, {"Ben Builder"}, {{"First floor walls", 0}}, 0},
        {2, "Roof covering", 40, {"Ben Builder"}, {{"Roof trusses", 0}}, 0},
        {2, "Gutters and downpipes", 8, {"Pia Plumber"}, {{"Roof covering", 0}}, 0},
        {1, "Windows and outer doors", 24, {"Ben Builder"}, {{"Roof covering", 0}}, 0},
        {1, "Shell inspection", 4, {"Ida Inspector"}, {{"Windows and outer doors", 0}}, 0},
        {0, "Services", 0, {}, {}, 0},
        {1, "Rough plumbing", 40, {"Pia Plumber"}, {{"Shell inspection", 0}}, 0},
        {1, "Rough wiring", 48, {"Eli Electrician"}, {{"Shell inspection", 0}}, 0},
        {1, "Heating system", 40, {"Pia Plumber"}, {{"Rough plumbing", 0}}, 0},
        {1,
         "Services inspection",
         4,
         {"Ida Inspector"},
         {{"Rough wiring", 0}, {"Heating system", 0}},
         0},
        {0, "Interior", 0, {}, {}, 0},
        {1, "Insulation", 24, {"Ben Builder"}, {{"Services inspection", 0}}, 0},
        {1, "Plaster walls and ceilings", 64, {"Ben Builder"}, {{"Insulation", 0}}, 0},
        {1, "Screed the floors", 16, {"Ben Builder"}, {{"Plaster walls and ceilings", 0}}, 0},
        {1, "Dry the screed", 80, {}, {{"Screed the floors", 0}}, 0},
        {1, "Tiling", 40, {"Ben Builder"}, {{"Dry the screed", 0}}, 0},
        {1, "Kitchen", 32, {"Ben Builder", "Pia Plumber"}, {{"Tiling", 0}}, 0},
        {1, "Bathrooms", 40, {"Pia Plumber"}, {{"Tiling", 0}}, 0},
        {1, "Final wiring", 16, {"Eli Electrician"}, {{"Kitchen", 0}}, 0},
        {1, "Painting", 48, {"Ben Builder"}, {{"Bathrooms", 2}}, 0},
        {1, "Floors and skirting", 32, {"Ben Builder"}, {{"Painting", 0}}, 0},
        {0, "Outside", 0, {}, {}, 0},
        {1, "Render the facade", 40, {"Ben Builder"}, {{"Shell inspection", 5}}, 0},
        {1, "Driveway and paths", 24, {"Ben Builder"}, {{"Render the facade", 0}}, 0},
        {1, "Garden and fence", 32, {"Ben Builder"}, {{"Driveway and paths", 0}}, 0},
        {0, "Handover", 0, {}, {}, 0},
        {1,
         "Final inspection",
         8,
         {"Ida Inspector"},
         {{"Floors and skirting", 0}, {"Garden and fence", 0}},
         0},
        {1, "Snagging", 24, {"Ben Builder"}, {{"Final inspection", 0}}, 0},
        {1,
         "Clean and hand over the keys",
         8,
         {"Ben Builder", "Mia Architect"},
         {{"Snagging", 0}},
         0},
    };
    return rows;
}

struct Person {
    const char* name;
    RGBAColour colour;
};

const std::vector<Person>& people() {
    static const std::vector<Person> all = {
        {"Mia Architect", {0.55f, 0.35f, 0.75f, 1.0f}}, {"Ben Builder", {0.95f, 0.55f, 0.1f, 1.0f}},
        {"Eli Electrician", {0.9f, 0.8f, 0.1f, 1.0f}},  {"Pia Plumber", {0.2f, 0.55f, 0.9f, 1.0f}},
        {"Ida Inspector", {0.3f, 0.7f, 0.35f, 1.0f}},
    };
    return all;
}

} // namespace

void buildHouseBuild(Store& store) {
    auto* project = store.insert<Project>();
    project->set(&Project::name, std::string("Family house"));
    project->set(&Project::startDate, civil::fromYmd(2026, 11, 2));
    project->set(&Project::dividerPosition, 470.0f);
    project->set(&Project::showDivider, true);
    project->set(&Project::dayWidth, 18.0f);
    applyPresetStyle(*project, *presetNamed("Clean"));
    project->style()->set(&Style::barsAsResource, true);
    project->style()->set(&Style::resourceCol, 1);

    CalandarAccess calendars(store);
    Calandar* base = calendars.getBaseCalandar();
    for (const Date holiday :
         {civil::fromYmd(2026, 11, 26), civil::fromYmd(2026, 12, 25), civil::fromYmd(2027, 1, 1)}) {
        auto* day = store.insert<Day>();
        day->set(&Day::date, holiday);
        day->set(&Day::hours, 0.0f);
        day->set(&Day::reason, std::string("Public holiday"));
        day->set(&Day::cal, base);
    }
    std::map<std::string, Resource*> resources;
    for (const Person& person : people()) {
        auto* r = store.insert<Resource>();
        r->setName(std::string(person.name));
        r->set(&Resource::colour, insertColour(store, person.colour));
        r->set(&Resource::hourlyRate, 60.0f);
        auto* cal = store.insert<Calandar>();
        cal->set(&Calandar::superCalandar, base);
        cal->set(&Calandar::name, std::string(person.name));
        r->set(&Resource::cal, cal);
        resources[person.name] = r;
    }

    MemoryPreferences preferences;
    TaskHelper helper(store, project, preferences);
    TaskLengthCalc engine(store, calendars);
    std::map<std::string, ATask*> tasks;
    std::vector<ATask*> order;
    for (const Row& row : houseRows()) {
        ATask* t = helper.addEndTask(0);
        t->setName(std::string(row.name));
        t->set(&ATask::isExpanded, true);
        for (int d = 0; d < row.depth; ++d)
            helper.makeSubTask({t});
        tasks[row.name] = t;
        order.push_back(t);
    }
    // Leaves in row order: every predecessor comes earlier, so one pass places them all.
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Row& row = houseRows()[i];
        ATask* t = order[i];
        if (!t->subTasks.empty())
            continue;
        float start = 0.0f;
        for (const Link& l : row.links) {
            ATask* p = tasks.at(l.predecessor);
            auto* link = store.insert<DepLink>();
            // Only a sticky link keeps its lag when its successor is placed again.
            if (l.lag > 0.0f)
                link->set(&DepLink::sticky, true);
            link->set(&DepLink::daysBetween, static_cast<double>(l.lag));
            link->set(&DepLink::dependTask, p);
            link->set(&DepLink::dependeeTask, t);
            start = std::max(start, p->daysFromStart() + p->elapsedTime() + l.lag);
        }
        for (const char* name : row.resources) {
            auto* a = store.insert<ATaskResource>();
            a->set(&ATaskResource::perc, row.resources.size() > 1 ? 50.0f : 100.0f);
            a->set(&ATaskResource::resource, resources.at(name));
            a->set(&ATaskResource::task, t);
        }
        t->set(&ATask::daysFromStart, start);
        t->set(&ATask::hours, row.hours);
        t->set(&ATask::percComp, row.percComp);
        t->set(&ATask::adjustElapsed, true);
        t->set(&ATask::invalid, true);
        engine.calcDaysForTask(t);
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if ((*it)->subTasks.empty())
            continue;
        // The roll-up takes span, work and completion; the start is the earliest subtask's.
        float first = (*(*it)->subTasks.begin())->daysFromStart();
        for (const ATask* sub : (*it)->subTasks)
            first = std::min(first, sub->daysFromStart());
        (*it)->set(&ATask::daysFromStart, first);
        (*it)->set(&ATask::adjustElapsed, true);
        (*it)->set(&ATask::invalid, true);
        engine.calcDaysForTask(*it);
    }
    // The outside works run beside the interior: a covered summary, collapsed.
    tasks.at("Outside")->set(&ATask::showCover, true);
    tasks.at("Outside")->set(&ATask::isExpanded, false);
    tasks.at("Walls")->set(&ATask::superGrouped, true);
    tasks.at("Draft the floor plans")->set(&ATask::isCritical, true);

    const auto milestone = [&](const char* name, std::vector<const char*> after,
                               RGBAColour colour) {
        auto* m = store.insert<MileStone>();
        m->setName(std::string(name));
        m->set(&MileStone::project, project);
        m->set(&MileStone::colour, insertColour(store, colour));
        for (const char* task : after)
            m->addTo(&MileStone::tasks, tasks.at(task));
    };
    milestone("Permit granted", {"Permit review by the town"}, {0.1f, 0.7f, 0.2f, 1.0f});
    milestone("Weathertight", {"Roof covering", "Windows and outer doors"},
              {0.2f, 0.4f, 0.9f, 1.0f});
    milestone("Keys", {"Clean and hand over the keys"}, {0.85f, 0.1f, 0.1f, 1.0f});

    auto* print = store.insert<PrintSettings>();
    print->set(&PrintSettings::landscape, true);
    print->set(&PrintSettings::scale, 100.0f);
    print->set(&PrintSettings::project, project);
    store.flushPendingChanges();
}

std::string houseBuildPlanText() {
    Store store;
    buildHouseBuild(store);
    return JSONExport().buildJSON(store);
}

} // namespace mapolt::testing
