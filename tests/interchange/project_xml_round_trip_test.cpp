#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "model/filters.h"
#include "model/task_helper.h"
#include "schedule/task_length_calc.h"
#include "support/schema_check.h"
#include "support/temp_folder.h"
#include "support/xml_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace mapolt {
namespace {

// What a round trip must keep, in outline order; starts to the hour of the working day.
struct Snapshot {
    std::vector<std::string> tasks;
    std::set<std::pair<int, int>> links;
    std::vector<std::string> resources;
    std::multiset<std::string> assignments;
    Date start;
};

Snapshot snapshotOf(KestilPlannerDocument& doc) {
    Snapshot s;
    Store& store = doc.store();
    s.start = doc.project()->startDate();
    const auto tasks = store.fetch<ATask>({}, filters::byViewOrder);
    std::map<const ATask*, int> row;
    for (ATask* t : tasks) {
        row[t] = static_cast<int>(row.size());
        doc.taskLengthCalc().calcDaysForTask(t);
    }
    for (const ATask* t : tasks) {
        // Exported times carry minutes that the importer does not read: a minute's rounding
        // may reach the next hour.
        const double hour = std::floor(t->daysFromStart() * 8.0 + 1.0 / 60.0);
        std::string line = t->name() + "|" + std::to_string(TaskHelper::depthOf(t)) + "|" +
                           std::to_string(hour) + "|" + (t->milestone.empty() ? "" : "M") + "|" +
                           std::to_string(std::lround(t->percComp()));
        if (t->subTasks.empty())
            line += "|" + std::to_string(std::lround(t->hours() * 60.0));
        s.tasks.push_back(line);
        for (const DepLink* l : t->dependTasks)
            s.links.emplace(row[t], row[l->dependeeTask()]);
    }
    for (const Resource* r : store.fetch<Resource>())
        s.resources.push_back(r->name());
    for (const ATaskResource* a : store.fetch<ATaskResource>())
        s.assignments.insert(std::to_string(row[a->task()]) + ":" + a->resource()->name() + ":" +
                             std::to_string(std::lround(a->perc() * 1000)));
    return s;
}

// Import, export (valid against the schema) and import again: the plan is the same.
TEST(ProjectXmlRoundTripTest, EveryRealFileComesBackAsItWasImported) {
    testing::TempFolder folder;
    MemoryPreferences preferences;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing::kMspdiFolder)) {
        if (entry.path().extension() != ".xml")
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        ProjectXmlImport first = importProjectXml(entry.path(), preferences);
        ASSERT_TRUE(first.ok) << first.error;
        std::string error;
        ASSERT_TRUE(exportProjectXml(*first.document, folder / "out.xml", error)) << error;
        EXPECT_EQ(
            testing::SchemaCheck::shared().problems(testing::TempFolder::read(folder / "out.xml")),
            "");
        ProjectXmlImport second = importProjectXml(folder / "out.xml", preferences);
        ASSERT_TRUE(second.ok) << second.error;
        EXPECT_TRUE(second.warnings.empty()) << second.warnings.front();
        const Snapshot a = snapshotOf(*first.document);
        const Snapshot b = snapshotOf(*second.document);
        EXPECT_EQ(a.start, b.start);
        ASSERT_EQ(a.tasks.size(), b.tasks.size());
        for (std::size_t i = 0; i < a.tasks.size(); ++i)
            EXPECT_EQ(a.tasks[i], b.tasks[i]) << "row " << i;
        EXPECT_EQ(a.links, b.links);
        EXPECT_EQ(a.resources, b.resources);
        EXPECT_EQ(a.assignments, b.assignments);
    }
    EXPECT_GE(files, 23u);
}

} // namespace
} // namespace mapolt
