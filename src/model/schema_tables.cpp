#include "model/schema_tables.h"
#include "model/entities.h"
#include "model/schema_builder.h"

namespace mapolt {

namespace {

using E = Entity;

EntitySchema projectSchema() {
    return SchemaBuilder<Project>("Project")
        .attr<&Project::name>("name")
        .attr<&Project::startDate>("startDate")
        .attr<&Project::uid>("uid")
        .attr<&Project::dayWidth>("dayWidth")
        .attr<&Project::showDivider>("showDivider", true)
        .attr<&Project::dividerPosition>("dividerPosition")
        .one<&Project::style>("style", E::Style, "project")
        .one<&Project::printSettings>("printSettings", E::PrintSettings, "project")
        .one<&Project::cal>("cal", E::Calandar, "project")
        .many<&Project::milestones>("milestones", E::MileStone, "project")
        .many<&Project::tasks>("tasks", E::ATask, "project")
        .many<&Project::baselines>("baselines", E::Baseline, "project")
        .many<&Project::columnStates>("columnStates", E::ColumnStates, "project")
        .build();
}

EntitySchema taskSchema() {
    return SchemaBuilder<ATask>("ATask")
        .attr<&ATask::name>("name")
        .attr<&ATask::hours>("hours")
        .attr<&ATask::elapsedTime>("elapsedTime")
        .attr<&ATask::daysFromStart>("daysFromStart")
        .attr<&ATask::daysTillEnd>("daysTillEnd")
        .attr<&ATask::endDisplayDays>("endDisplayDays")
        .attr<&ATask::percComp>("percComp")
        .attr<&ATask::lockedStart>("lockedStart")
        .attr<&ATask::lockedLength>("lockedLength")
        .attr<&ATask::adjustElapsed>("adjustElapsed")
        .attr<&ATask::adjustHours>("adjustHours")
        .attr<&ATask::viewOrder>("viewOrder")
        .attr<&ATask::uid>("uid")
        .attr<&ATask::invalid>("invalid")
        .attr<&ATask::isExpanded>("isExpanded")
        .attr<&ATask::isCritical>("isCritical")
        .attr<&ATask::isRoot>("isRoot")
        .attr<&ATask::cost>("cost")
        .attr<&ATask::baseStart>("baseStart")
        .attr<&ATask::baseHours>("baseHours")
        .attr<&ATask::baseElapsed>("baseElapsed")
        .attr<&ATask::showCover>("showCover")
        .attr<&ATask::superGrouped>("superGrouped")
        .attr<&ATask::leftMargin>("leftMargin")
        .attr<&ATask::rightMargin>("rightMargin")
        .attr<&ATask::mileText>("mileText")
        .attr<&ATask::resText>("resText")
        .one<&ATask::superTask>("superTask", E::ATask, "subTasks")
        .many<&ATask::subTasks>("subTasks", E::ATask, "superTask")
        .one<&ATask::nextSibling>("nextSibling", E::ATask, "prevSibling")
        .one<&ATask::prevSibling>("prevSibling", E::ATask, "nextSibling")
        .many<&ATask::dependTasks>("dependTasks", E::DepLink, "dependTask")
        .many<&ATask::dependeeTasks>("dependeeTasks", E::DepLink, "dependeeTask")
        .many<&ATask::resources>("resources", E::ATaskResource, "task")
        .many<&ATask::milestone>("milestone", E::MileStone, "tasks")
        .one<&ATask::colour>("colour", E::Colour, "task")
        .one<&ATask::project>("project", E::Project, "tasks")
        .build();
}

EntitySchema depLinkSchema() {
    return SchemaBuilder<DepLink>("DepLink")
        .attr<&DepLink::sticky>("sticky")
        .attr<&DepLink::daysBetween>("daysBetween")
        .one<&DepLink::dependTask>("dependTask", E::ATask, "dependTasks")
        .one<&DepLink::dependeeTask>("dependeeTask", E::ATask, "dependeeTasks")
        .build();
}

EntitySchema mileStoneSchema() {
    return SchemaBuilder<MileStone>("MileStone")
        .attr<&MileStone::name>("name")
        .attr<&MileStone::useFixedDate>("useFixedDate")
        .attr<&MileStone::fixedDate>("fixedDate")
        .one<&MileStone::colour>("colour", E::Colour, "milestone")
        .many<&MileStone::tasks>("tasks", E::ATask, "milestone")
        .one<&MileStone::project>("project", E::Project, "milestones")
        .build();
}

EntitySchema resourceSchema() {
    return SchemaBuilder<Resource>("Resource")
        .attr<&Resource::name>("name")
        .attr<&Resource::initials>("initials")
        .attr<&Resource::email>("email")
        .attr<&Resource::hourlyRate>("hourlyRate")
        .attr<&Resource::type>("type")
        .one<&Resource::colour>("colour", E::Colour, "resource")
        .one<&Resource::cal>("cal", E::Calandar, "resource")
        .many<&Resource::taskResources>("taskResources", E::ATaskResource, "resource")
        .many<&Resource::resourceUsage>("resourceUsage", E::AResourceUsage, "resource")
        .build();
}

EntitySchema taskResourceSchema() {
    return SchemaBuilder<ATaskResource>("ATaskResource")
        .attr<&ATaskResource::perc>("perc")
        .one<&ATaskResource::task>("task", E::ATask, "resources")
        .one<&ATaskResource::resource>("resource", E::Resource, "taskResources")
        .many<&ATaskResource::resourceUsage>("resourceUsage", E::AResourceUsage, "taskResource")
        .build();
}

EntitySchema resourceUsageSchema() {
    return SchemaBuilder<AResourceUsage>("AResourceUsage")
        .attr<&AResourceUsage::daysFromStart>("daysFromStart")
        .attr<&AResourceUsage::hours>("hours")
        .attr<&AResourceUsage::usedHours>("usedHours")
        .one<&AResourceUsage::taskResource>("taskResource", E::ATaskResource, "resourceUsage")
        .one<&AResourceUsage::resource>("resource", E::Resource, "resourceUsage")
        .build();
}

EntitySchema calandarSchema() {
    return SchemaBuilder<Calandar>("Calandar")
        .attr<&Calandar::name>("name")
        .attr<&Calandar::isBase>("isBase")
        .attr<&Calandar::isRoot>("isRoot")
        .one<&Calandar::superCalandar>("superCalandar", E::Calandar, "subCalandars")
        .many<&Calandar::subCalandars>("subCalandars", E::Calandar, "superCalandar")
        .one<&Calandar::resource>("resource", E::Resource, "cal")
        .many<&Calandar::weekWork>("weekWork", E::Week, "cal")
        .many<&Calandar::workingDays>("workingDays", E::Day, "cal")
        .one<&Calandar::project>("project", E::Project, "cal")
        .build();
}

EntitySchema weekSchema() {
    return SchemaBuilder<Week>("Week")
        .attr<&Week::viewOrder>("viewOrder")
        .attr<&Week::day>("day")
        .attr<&Week::hours>("hours")
        .one<&Week::cal>("cal", E::Calandar, "weekWork")
        .build();
}

EntitySchema daySchema() {
    return SchemaBuilder<Day>("Day")
        .attr<&Day::date>("date")
        .attr<&Day::hours>("hours")
        .attr<&Day::reason>("reason")
        .one<&Day::cal>("cal", E::Calandar, "workingDays")
        .build();
}

EntitySchema baselineSchema() {
    return SchemaBuilder<Baseline>("Baseline")
        .attr<&Baseline::baselineDate>("baselineDate")
        .attr<&Baseline::startDate>("startDate")
        .attr<&Baseline::endDate>("endDate")
        .attr<&Baseline::totalElapsedTime>("totalElapsedTime")
        .attr<&Baseline::totalTaskTime>("totalTaskTime")
        .attr<&Baseline::totalResourceTime>("totalResourceTime")
        .attr<&Baseline::cost>("cost")
        .attr<&Baseline::unassignedResource>("unassignedResource")
        .one<&Baseline::project>("project", E::Project, "baselines")
        .build();
}

EntitySchema printSettingsSchema() {
    return SchemaBuilder<PrintSettings>("PrintSettings")
        .attr<&PrintSettings::landscape>("landscape")
        .attr<&PrintSettings::scale>("scale")
        .one<&PrintSettings::project>("project", E::Project, "printSettings")
        .build();
}

EntitySchema columnStatesSchema() {
    return SchemaBuilder<ColumnStates>("ColumnStates")
        .attr<&ColumnStates::name>("name")
        .attr<&ColumnStates::viewOrder>("viewOrder")
        .attr<&ColumnStates::active>("active")
        .attr<&ColumnStates::width>("width")
        .one<&ColumnStates::project>("project", E::Project, "columnStates")
        .build();
}

EntitySchema styleSchema() {
    return SchemaBuilder<Style>("Style")
        .attr<&Style::horizLines>("horizLines")
        .attr<&Style::vertLines>("vertLines")
        .attr<&Style::nonWorking>("nonWorking")
        .attr<&Style::startLine>("startLine")
        .attr<&Style::rulerGradient>("rulerGradient")
        .attr<&Style::useTaskForRule>("useTaskForRule")
        .attr<&Style::barShadow>("barShadow")
        .attr<&Style::barRounded>("barRounded")
        .attr<&Style::barOutline>("barOutline")
        .attr<&Style::taskGradient>("taskGradient")
        .attr<&Style::superTaskGradient>("superTaskGradient")
        .attr<&Style::labelShadow>("labelShadow")
        .attr<&Style::barsAsResource>("barsAsResource")
        .attr<&Style::resourceCol>("resourceCol")
        .attr<&Style::coverOpacity>("coverOpacity")
        .attr<&Style::boldHeaders>("boldHeaders")
        .one<&Style::taskList>("taskList", E::StyleElement, "styleAsTaskList")
        .one<&Style::taskLabels>("taskLabels", E::StyleElement, "styleAsTaskLabels")
        .one<&Style::resourceLabels>("resourceLabels", E::StyleElement, "styleAsResourceLabels")
        .one<&Style::milestoneLabels>("milestoneLabels", E::StyleElement, "styleAsMilestoneLabels")
        .one<&Style::colours>("colours", E::StyleColours, "style")
        .one<&Style::margins>("margins", E::StyleMargin, "style")
        .one<&Style::shadowStyle>("shadowStyle", E::StyleShadow, "style")
        .one<&Style::project>("project", E::Project, "style")
        .build();
}

EntitySchema styleElementSchema() {
    return SchemaBuilder<StyleElement>("StyleElement")
        .attr<&StyleElement::font>("font")
        .attr<&StyleElement::size>("size")
        .attr<&StyleElement::bold>("bold")
        .attr<&StyleElement::position>("position")
        .attr<&StyleElement::colourAsElem>("colourAsElem")
        .one<&StyleElement::styleAsTaskList>("styleAsTaskList", E::Style, "taskList")
        .one<&StyleElement::styleAsTaskLabels>("styleAsTaskLabels", E::Style, "taskLabels")
        .one<&StyleElement::styleAsResourceLabels>("styleAsResourceLabels", E::Style,
                                                   "resourceLabels")
        .one<&StyleElement::styleAsMilestoneLabels>("styleAsMilestoneLabels", E::Style,
                                                    "milestoneLabels")
        .build();
}

EntitySchema styleColoursSchema() {
    return SchemaBuilder<StyleColours>("StyleColours")
        .one<&StyleColours::background>("background", E::Colour, "backgroundSlot")
        .one<&StyleColours::background2>("background2", E::Colour, "background2Slot")
        .one<&StyleColours::horizontal>("horizontal", E::Colour, "horizontalSlot")
        .one<&StyleColours::vertical>("vertical", E::Colour, "verticalSlot")
        .one<&StyleColours::nonWorking>("nonWorking", E::Colour, "nonWorkingSlot")
        .one<&StyleColours::links>("links", E::Colour, "linksSlot")
        .one<&StyleColours::outline>("outline", E::Colour, "outlineSlot")
        .one<&StyleColours::ruler1>("ruler1", E::Colour, "ruler1Slot")
        .one<&StyleColours::ruler2>("ruler2", E::Colour, "ruler2Slot")
        .one<&StyleColours::superTask>("superTask", E::Colour, "superTaskSlot")
        .one<&StyleColours::task>("task", E::Colour, "taskSlot")
        .one<&StyleColours::superTask2>("superTask2", E::Colour, "superTask2Slot")
        .one<&StyleColours::task2>("task2", E::Colour, "task2Slot")
        .one<&StyleColours::startLine>("startLine", E::Colour, "startLineSlot")
        .one<&StyleColours::todayLine>("todayLine", E::Colour, "todayLineSlot")
        .one<&StyleColours::grid>("grid", E::Colour, "gridSlot")
        .one<&StyleColours::style>("style", E::Style, "colours")
        .build();
}

EntitySchema styleShadowSchema() {
    return SchemaBuilder<StyleShadow>("StyleShadow")
        .attr<&StyleShadow::blur>("blur")
        .attr<&StyleShadow::x>("x")
        .attr<&StyleShadow::y>("y")
        .one<&StyleShadow::colour>("colour", E::Colour, "shadowStyle")
        .one<&StyleShadow::style>("style", E::Style, "shadowStyle")
        .build();
}

EntitySchema styleMarginSchema() {
    return SchemaBuilder<StyleMargin>("StyleMargin")
        .attr<&StyleMargin::top>("top")
        .attr<&StyleMargin::bottom>("bottom")
        .attr<&StyleMargin::height>("height")
        .attr<&StyleMargin::left>("left")
        .attr<&StyleMargin::right>("right")
        .one<&StyleMargin::style>("style", E::Style, "margins")
        .build();
}

EntitySchema colourSchema() {
    return SchemaBuilder<Colour>("Colour")
        .attr<&Colour::red>("red")
        .attr<&Colour::green>("green")
        .attr<&Colour::blue>("blue")
        .attr<&Colour::alpha>("alpha")
        .one<&Colour::task>("task", E::ATask, "colour")
        .one<&Colour::milestone>("milestone", E::MileStone, "colour")
        .one<&Colour::resource>("resource", E::Resource, "colour")
        .one<&Colour::shadowStyle>("shadowStyle", E::StyleShadow, "colour")
        .one<&Colour::backgroundSlot>("backgroundSlot", E::StyleColours, "background")
        .one<&Colour::background2Slot>("background2Slot", E::StyleColours, "background2")
        .one<&Colour::horizontalSlot>("horizontalSlot", E::StyleColours, "horizontal")
        .one<&Colour::verticalSlot>("verticalSlot", E::StyleColours, "vertical")
        .one<&Colour::nonWorkingSlot>("nonWorkingSlot", E::StyleColours, "nonWorking")
        .one<&Colour::linksSlot>("linksSlot", E::StyleColours, "links")
        .one<&Colour::outlineSlot>("outlineSlot", E::StyleColours, "outline")
        .one<&Colour::ruler1Slot>("ruler1Slot", E::StyleColours, "ruler1")
        .one<&Colour::ruler2Slot>("ruler2Slot", E::StyleColours, "ruler2")
        .one<&Colour::superTaskSlot>("superTaskSlot", E::StyleColours, "superTask")
        .one<&Colour::taskSlot>("taskSlot", E::StyleColours, "task")
        .one<&Colour::superTask2Slot>("superTask2Slot", E::StyleColours, "superTask2")
        .one<&Colour::task2Slot>("task2Slot", E::StyleColours, "task2")
        .one<&Colour::startLineSlot>("startLineSlot", E::StyleColours, "startLine")
        .one<&Colour::todayLineSlot>("todayLineSlot", E::StyleColours, "todayLine")
        .one<&Colour::gridSlot>("gridSlot", E::StyleColours, "grid")
        .build();
}

} // namespace

std::vector<EntitySchema> buildEntitySchemas() {
    std::vector<EntitySchema> all;
    all.reserve(kEntityCount);
    // In Entity's order, so an entity indexes its own table.
    all.push_back(projectSchema());
    all.push_back(taskSchema());
    all.push_back(depLinkSchema());
    all.push_back(mileStoneSchema());
    all.push_back(resourceSchema());
    all.push_back(taskResourceSchema());
    all.push_back(resourceUsageSchema());
    all.push_back(calandarSchema());
    all.push_back(weekSchema());
    all.push_back(daySchema());
    all.push_back(baselineSchema());
    all.push_back(printSettingsSchema());
    all.push_back(columnStatesSchema());
    all.push_back(styleSchema());
    all.push_back(styleElementSchema());
    all.push_back(styleColoursSchema());
    all.push_back(styleShadowSchema());
    all.push_back(styleMarginSchema());
    all.push_back(colourSchema());
    return all;
}

} // namespace mapolt
