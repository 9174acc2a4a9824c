#pragma once

#include "interchange/project_importer.h"
#include "support/planner_fixture.h"

#include <filesystem>
#include <string>

namespace mapolt::testing {

// Real project XML files written by other tools, kept with the tests.
inline const std::filesystem::path kMspdiFolder = MAPOLT_TESTDATA_DIR "/mspdi";

// A plan that a project XML text or file is imported into.
struct XmlImport {
    PlannerFixture plan;
    ProjectImportTarget target{plan.store, plan.project, plan.helper, plan.calendars, plan.engine};
    ProjectImporter importer{target};
    std::string error;

    bool file(const std::string& name) { return importer.importFile(kMspdiFolder / name, error); }
    bool text(const std::string& xml) { return importer.importText(xml, error); }
    const std::vector<std::string>& warnings() const { return importer.warnings(); }
    // The task's end, days from the project start, as the engine computes it.
    float endOf(const std::string& name) {
        ATask* t = plan.named(name);
        return t == nullptr ? -1.0f : t->daysFromStart() + plan.engine.calcDaysForTask(t);
    }
    // A date and time of the file as a day number of the imported project.
    double dayOf(int year, int month, int day, int hour) const {
        return ProjectTaskImporter::getTimeAmount(plan.project->startDate(),
                                                  civil::fromYmd(year, month, day, hour)) /
               86400;
    }
};

// A file in the schema's namespace with the project's name and `head` (StartDate or nothing)
// before `body`.
inline std::string
projectXml(const std::string& body,
           const std::string& head = "<StartDate>2026-03-02T08:00:00</StartDate>") {
    return "<?xml version=\"1.0\"?>\n<Project xmlns=\"http://schemas.microsoft.com/project\">"
           "<Name>Imported</Name>" +
           head + body + "</Project>";
}

} // namespace mapolt::testing
