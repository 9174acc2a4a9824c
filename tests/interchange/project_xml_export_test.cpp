#include "document/kestil_planner_document.h"
#include "document/project_xml_file.h"
#include "interchange/project_export.h"
#include "interchange/project_importer.h"
#include "model/filters.h"
#include "support/fake_alert_presenter.h"
#include "support/planner_fixture.h"
#include "support/random_project.h"
#include "support/schema_check.h"
#include "support/temp_folder.h"
#include "support/xml_import.h"

#include <gmock/gmock.h>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <set>

namespace mapolt {
namespace {

using ::testing::HasSubstr;

// XPath over an exported text, by local names.
class Exported {
  public:
    explicit Exported(const std::string& text)
        : doc_(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, 0)),
          ctx_(xmlXPathNewContext(doc_)) {
        xmlXPathRegisterNs(ctx_, BAD_CAST "p", BAD_CAST ProjectExport::kNamespace);
    }
    ~Exported() {
        xmlXPathFreeContext(ctx_);
        xmlFreeDoc(doc_);
    }
    std::vector<std::string> texts(const char* path) const {
        std::vector<std::string> out;
        xmlXPathObjectPtr r = xmlXPathEvalExpression(BAD_CAST path, ctx_);
        if (r != nullptr && r->nodesetval != nullptr)
            for (int i = 0; i < r->nodesetval->nodeNr; ++i) {
                xmlChar* c = xmlNodeGetContent(r->nodesetval->nodeTab[i]);
                out.emplace_back(reinterpret_cast<char*>(c));
                xmlFree(c);
            }
        xmlXPathFreeObject(r);
        return out;
    }
    std::string text(const char* path) const {
        const auto all = texts(path);
        return all.empty() ? "<none>" : all.front();
    }
    std::size_t count(const char* path) const { return texts(path).size(); }

  private:
    xmlDocPtr doc_;
    xmlXPathContextPtr ctx_;
};

struct ProjectXmlExportTest : ::testing::Test {
    testing::PlannerFixture plan;

    std::string exportText() {
        ProjectExport exporter;
        return exporter.exportProject(plan.store, plan.engine);
    }
    // A small plan: a summary with two subtasks, a link with a lag, two resources.
    void buildPlan() {
        ATask* design = plan.task("Design", 0.0f);
        ATask* sketch = plan.task("Sketch", 16.0f, 0.0f, 2.0f);
        ATask* review = plan.task("Review & <sign>", 12.5f, 2.0f, 1.5625f);
        plan.indent({sketch, review});
        ATask* build = plan.task("Build", 40.0f, 5.0f, 5.0f);
        plan.link(sketch, review, 0.0);
        plan.link(design, build, 2.0, true);
        Resource* ann = plan.resource("Ann Lee");
        ann->set(&Resource::email, std::string("ann@example.com"));
        Resource* bob = plan.resource("Bob");
        plan.assign(sketch, ann, 50.0f);
        plan.assign(build, ann);
        plan.assign(build, bob);
        plan.store.flushPendingChanges();
    }
};

TEST_F(ProjectXmlExportTest, TheFileValidatesAgainstTheSchema) {
    buildPlan();
    const std::string text = exportText();
    EXPECT_EQ(testing::SchemaCheck::shared().problems(text), "");
    EXPECT_THAT(text, HasSubstr("<Project xmlns=\"http://schemas.microsoft.com/project\">"));
}

TEST_F(ProjectXmlExportTest, ALargePlanIsHandedOverInBoundedPiecesThatValidate) {
    for (int i = 0; i < 3000; ++i)
        plan.task("Task " + std::to_string(i), 8.0f, static_cast<float>(i % 40));
    plan.store.flushPendingChanges();
    std::vector<std::size_t> sizes;
    std::string text;
    ProjectExport exporter;
    ASSERT_TRUE(exporter.exportProject(plan.store, plan.engine, [&](std::string_view bytes) {
        sizes.push_back(bytes.size());
        text += bytes;
        return true;
    }));
    EXPECT_GT(sizes.size(), 10u);
    EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()), 70'000u);
    EXPECT_EQ(testing::SchemaCheck::shared().problems(text), "");
    EXPECT_EQ(Exported(text).count("/p:Project/p:Tasks/p:Task"), 3001u);
}

TEST_F(ProjectXmlExportTest, AnEmptyProjectValidatesAndEndsWhereItStarts) {
    testing::PlannerFixture empty;
    ProjectExport exporter;
    const std::string text = exporter.exportProject(empty.store, empty.engine);
    EXPECT_EQ(testing::SchemaCheck::shared().problems(text), "");
    const Exported x(text);
    EXPECT_EQ(x.text("/p:Project/p:StartDate"), "2026-03-02T00:00:00");
    EXPECT_EQ(x.text("/p:Project/p:FinishDate"), "2026-03-02T00:00:00");
    EXPECT_EQ(x.count("/p:Project/p:Tasks/p:Task"), 1u);
    EXPECT_EQ(x.text("/p:Project/p:Tasks/p:Task/p:UID"), "0");
    EXPECT_EQ(x.text("/p:Project/p:Tasks/p:Task/p:OutlineLevel"), "0");
}

TEST_F(ProjectXmlExportTest, RandomProjectsWithHostileStringsValidate) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        Store store;
        testing::RandomProject(store, seed).build(40);
        // Stored lengths are enough here; walking random work through the calendars is slow.
        for (ATask* t : store.fetch<ATask>())
            t->setPrimitive(&ATask::invalid, false);
        CalandarAccess calendars(store);
        TaskLengthCalc engine(store, calendars);
        ProjectExport exporter;
        EXPECT_EQ(testing::SchemaCheck::shared().problems(exporter.exportProject(store, engine)),
                  "");
    }
}

TEST_F(ProjectXmlExportTest, WorkingWeekdaysHoldTheirTimesInsideWorkingTimes) {
    Calandar* base = plan.calendars.getBaseCalandar();
    plan.calendars.setHoursForWeekday(3, base, 4.0f);
    plan.resource("Ann");
    const Exported x(exportText());
    EXPECT_EQ(x.count("//p:Calendar"), 2u);
    EXPECT_EQ(x.text("//p:Calendar[p:IsBaseCalendar='1']/p:BaseCalendarUID"), "-1");
    const std::string baseUID = x.text("//p:Calendar[p:IsBaseCalendar='1']/p:UID");
    EXPECT_EQ(x.text("//p:Calendar[p:IsBaseCalendar='0']/p:BaseCalendarUID"), baseUID);
    EXPECT_EQ(x.text("//p:Resource/p:CalendarUID"),
              x.text("//p:Calendar[p:IsBaseCalendar='0']/p:UID"));
    EXPECT_EQ(x.count("//p:Calendar[p:IsBaseCalendar='1']//p:WeekDay"), 7u);
    EXPECT_EQ(x.count("//p:WeekDay[p:DayWorking='1']"), 5u);
    EXPECT_EQ(x.texts("//p:WeekDay[p:DayType='4']/p:WorkingTimes/p:WorkingTime/p:FromTime"),
              (std::vector<std::string>{"08:00:00", "13:00:00"}));
    EXPECT_EQ(x.texts("//p:WeekDay[p:DayType='4']/p:WorkingTimes/p:WorkingTime/p:ToTime"),
              (std::vector<std::string>{"12:00:00", "17:00:00"}));
    EXPECT_EQ(x.count("//p:WeekDay/p:WorkingTime"), 0u);
    EXPECT_EQ(x.count("//p:WeekDay[p:DayType='1']/p:WorkingTimes"), 0u);
}

TEST_F(ProjectXmlExportTest, TasksInOutlineOrderWithUIDsAfterTheSummary) {
    buildPlan();
    // A task created last but moved to the top of the outline comes first.
    ATask* first = plan.helper.insertTaskAfter(plan.named("Build"));
    first->setName(std::string("Late"));
    plan.helper.moveTaskUp(first);
    plan.helper.reIndexProject();
    plan.store.flushPendingChanges();
    const std::string text = exportText();
    EXPECT_EQ(testing::SchemaCheck::shared().problems(text), "");
    const Exported x(text);
    EXPECT_EQ(
        x.texts("//p:Task/p:Name"),
        (std::vector<std::string>{"Plan", "Design", "Sketch", "Review & <sign>", "Late", "Build"}));
    EXPECT_EQ(x.texts("//p:Task/p:ID"), (std::vector<std::string>{"0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(x.texts("//p:Task/p:OutlineLevel"),
              (std::vector<std::string>{"0", "1", "2", "2", "1", "1"}));
    const auto uids = x.texts("//p:Task/p:UID");
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), uids.size());
    EXPECT_EQ(uids[0], "0");
    // References name the UIDs the tasks, resources and calendars carry.
    EXPECT_EQ(x.text("//p:Task[p:Name='Review & <sign>']/p:PredecessorLink/p:PredecessorUID"),
              x.text("//p:Task[p:Name='Sketch']/p:UID"));
    EXPECT_EQ(x.text("//p:Task[p:Name='Build']/p:PredecessorLink/p:Type"), "1");
    EXPECT_EQ(x.text("//p:Assignment[1]/p:TaskUID"), x.text("//p:Task[p:Name='Sketch']/p:UID"));
    EXPECT_EQ(x.text("//p:Assignment[1]/p:ResourceUID"),
              x.text("//p:Resource[p:Name='Ann Lee']/p:UID"));
    EXPECT_EQ(x.text("//p:Resource[p:Name='Ann Lee']/p:Initials"), "AL");
    EXPECT_EQ(x.text("//p:Resource[p:Name='Ann Lee']/p:EmailAddress"), "ann@example.com");
    EXPECT_EQ(x.text("//p:Resource[p:Name='Bob']/p:EmailAddress"), "");
}

TEST_F(ProjectXmlExportTest, StartFinishAndDurationOfATask) {
    ATask* t = plan.task("T", 12.0f, 2.75f, 1.5f);
    t->set(&ATask::adjustElapsed, false);
    t->set(&ATask::invalid, false);
    plan.store.flushPendingChanges();
    const Exported x(exportText());
    // Three quarters into Wednesday's working day, and a quarter into Friday's.
    EXPECT_EQ(x.text("//p:Task[p:Name='T']/p:Start"), "2026-03-04T15:00:00");
    EXPECT_EQ(x.text("//p:Task[p:Name='T']/p:Finish"), "2026-03-06T10:00:00");
    EXPECT_EQ(x.text("//p:Task[p:Name='T']/p:Duration"), "PT12H0M0S");
    // Duration follows Finish, as the schema orders it.
    EXPECT_EQ(x.text("//p:Task[p:Name='T']/p:Finish/following-sibling::*[1]"), "PT12H0M0S");
    EXPECT_EQ(ProjectExport::formatDuration(12.5f), "PT12H30M0S");
    EXPECT_EQ(ProjectExport::formatDuration(16.0f), "PT16H0M0S");
    EXPECT_EQ(ProjectExport::formatDuration(-3.0f), "PT0H0M0S");
}

TEST_F(ProjectXmlExportTest, StartsAndFinishesKeepTheirTimeOfDay) {
    plan.task("Short", 2.0f, 0.0f, 0.25f);
    plan.task("Afternoon", 8.0f, 0.5f, 1.0f);
    plan.task("Day", 8.0f, 1.0f, 1.0f);
    // After the switch to daylight saving time.
    plan.task("Later", 4.0f, 7.5f, 0.5f);
    plan.task("Point", 0.0f, 3.0f, 0.0f);
    const Exported x(exportText());
    const auto times = [&](const std::string& name) {
        const std::string at = "//p:Task[p:Name='" + name + "']/p:";
        return x.text((at + "Start").c_str()) + " " + x.text((at + "Finish").c_str());
    };
    EXPECT_EQ(times("Short"), "2026-03-02T08:00:00 2026-03-02T10:00:00");
    EXPECT_EQ(x.text("//p:Task[p:Name='Short']/p:Duration"), "PT2H0M0S");
    EXPECT_EQ(times("Afternoon"), "2026-03-02T13:00:00 2026-03-03T12:00:00");
    EXPECT_EQ(times("Day"), "2026-03-03T08:00:00 2026-03-03T17:00:00");
    EXPECT_EQ(times("Later"), "2026-03-09T13:00:00 2026-03-09T17:00:00");
    EXPECT_EQ(times("Point"), "2026-03-05T08:00:00 2026-03-05T08:00:00");
    EXPECT_EQ(x.text("/p:Project/p:FinishDate"), "2026-03-09T17:00:00");
}

TEST_F(ProjectXmlExportTest, SharedTasksWriteTheirSpanAndTheirWork) {
    ATask* pair = plan.task("Pair", 32.0f, 0.0f, 2.0f);
    ATask* half = plan.task("Half", 8.0f, 0.0f, 2.0f);
    plan.task("Alone", 12.0f, 0.0f, 1.5f);
    Resource* ann = plan.resource("Ann");
    plan.assign(pair, ann);
    plan.assign(pair, plan.resource("Bob"));
    plan.assign(half, ann, 50.0f);
    plan.store.flushPendingChanges();
    const Exported x(exportText());
    // Two days for two people, and two days at half time.
    EXPECT_EQ(x.text("//p:Task[p:Name='Pair']/p:Duration"), "PT16H0M0S");
    EXPECT_EQ(x.text("//p:Task[p:Name='Pair']/p:Work"), "PT32H0M0S");
    EXPECT_EQ(x.text("//p:Task[p:Name='Half']/p:Duration"), "PT16H0M0S");
    EXPECT_EQ(x.text("//p:Task[p:Name='Half']/p:Work"), "PT8H0M0S");
    EXPECT_EQ(x.text("//p:Task[p:Name='Alone']/p:Duration"), "PT12H0M0S");
    EXPECT_EQ(x.count("//p:Task[p:Name='Alone']/p:Work"), 0u);
}

TEST_F(ProjectXmlExportTest, MilestonesAndPercentComplete) {
    ATask* gate = plan.task("Gate", 0.0f, 2.0f, 0.0f);
    gate->addTo(&ATask::milestone, plan.store.insert<MileStone>());
    ATask* half = plan.task("Half", 8.0f, 0.0f, 1.0f);
    half->set(&ATask::percComp, 40.4f);
    ATask* done = plan.task("Done", 8.0f, 1.0f, 1.0f);
    done->set(&ATask::percComp, 100.0f);
    plan.store.flushPendingChanges();
    const std::string text = exportText();
    EXPECT_EQ(testing::SchemaCheck::shared().problems(text), "");
    const Exported x(text);
    EXPECT_EQ(x.text("//p:Task[p:Name='Gate']/p:Milestone"), "1");
    EXPECT_EQ(x.text("//p:Task[p:Name='Half']/p:Milestone"), "0");
    EXPECT_EQ(x.text("//p:Task[p:Name='Half']/p:PercentComplete"), "40");
    EXPECT_EQ(x.text("//p:Task[p:Name='Done']/p:PercentComplete"), "100");
    EXPECT_EQ(x.text("//p:Task[p:Name='Gate']/p:PercentComplete"), "0");
}

TEST_F(ProjectXmlExportTest, RealMilestonesAndProgressSurviveARoundTrip) {
    testing::TempFolder folder;
    MemoryPreferences preferences;
    ProjectXmlImport imported =
        importProjectXml(testing::kMspdiFolder / "tj-tutorial.xml", preferences);
    ASSERT_TRUE(imported.ok) << imported.error;
    std::string error;
    ASSERT_TRUE(exportProjectXml(*imported.document, folder / "out.xml", error)) << error;
    const std::string text = testing::TempFolder::read(folder / "out.xml");
    EXPECT_EQ(testing::SchemaCheck::shared().problems(text), "");
    const Exported x(text);
    EXPECT_EQ(x.texts("//p:Task[p:Milestone='1']/p:Name"),
              (std::vector<std::string>{"Project start", "Technology Preview", "Beta version",
                                        "Ship Product to Customer"}));
    EXPECT_EQ(x.text("//p:Task[p:Name='Back-End Functions']/p:PercentComplete"), "95");
    EXPECT_EQ(x.text("//p:Task[p:Name='Graphical User Interface']/p:PercentComplete"), "14");
    // The file's own times of day come back, here on the first task of the first phase.
    const std::string firstTask = "(//p:Task[p:OutlineLevel='2'])[1]";
    EXPECT_EQ(x.text((firstTask + "/p:Start").c_str()), "2002-01-16T09:00:00");
    EXPECT_EQ(x.text((firstTask + "/p:Finish").c_str()), "2002-01-24T15:00:00");
}

TEST_F(ProjectXmlExportTest, DatesAcrossTheDaylightSavingSwitchKeepTheirHour) {
    plan.task("T", 8.0f, 7.0f, 1.0f);
    const Exported x(exportText());
    EXPECT_EQ(x.text("//p:Task[p:Name='T']/p:Start"), "2026-03-09T08:00:00");
    EXPECT_EQ(x.text("//p:Task[p:Name='T']/p:Finish"), "2026-03-09T17:00:00");
}

TEST_F(ProjectXmlExportTest, TheThousandthTaskHasIDOneThousandAndOne) {
    for (int i = 0; i < 1001; ++i)
        plan.helper.addEndTask(0)->setName(std::string("T") + std::to_string(i));
    plan.helper.reIndexProject();
    const Exported x(exportText());
    EXPECT_EQ(x.text("//p:Task[p:Name='T1000']/p:ID"), "1001");
}

TEST_F(ProjectXmlExportTest, ExportThenImportGivesThePlanBack) {
    buildPlan();
    testing::TempFolder folder;
    MemoryPreferences preferences;
    std::string error;
    testing::TempFolder::write(folder / "plan.xml", exportText());
    ProjectXmlImport imported = importProjectXml(folder / "plan.xml", preferences);
    ASSERT_TRUE(imported.ok) << imported.error;
    EXPECT_FALSE(imported.document->store().undoManager().canUndo());
    ASSERT_TRUE(exportProjectXml(*imported.document, folder / "again.xml", error)) << error;
    ProjectXmlImport again = importProjectXml(folder / "again.xml", preferences);
    ASSERT_TRUE(again.ok) << again.error;

    for (ProjectXmlImport* result : {&imported, &again}) {
        Store& store = result->document->store();
        const auto tasks = store.fetch<ATask>({}, filters::byViewOrder);
        std::vector<std::string> rows;
        // A summary's work is the sum the engine rolls up, so only leaves carry their own.
        for (const ATask* t : tasks)
            rows.push_back(t->name() + "/" + std::to_string(TaskHelper::depthOf(t)) + "/" +
                           std::to_string(static_cast<int>(t->daysFromStart())) +
                           (t->subTasks.size() == 0 ? "/" + std::to_string(t->hours()) : ""));
        EXPECT_THAT(rows,
                    ::testing::ElementsAre("Design/0/0", "Sketch/1/0/16.000000",
                                           "Review & <sign>/1/2/12.500000", "Build/0/5/40.000000"));
        EXPECT_EQ(result->document->project()->name(), "Plan");
        EXPECT_EQ(result->document->project()->startDate(), civil::fromYmd(2026, 3, 2));
        EXPECT_EQ(store.count(Entity::DepLink), 2u);
        ATask* review = nullptr;
        for (ATask* t : tasks)
            if (t->name() == "Review & <sign>")
                review = t;
        ASSERT_NE(review, nullptr);
        ASSERT_EQ(review->dependeeTasks.size(), 1u);
        EXPECT_EQ((*review->dependeeTasks.begin())->dependTask()->name(), "Sketch");
        std::vector<std::string> resources;
        for (const Resource* r : store.fetch<Resource>())
            resources.push_back(r->name());
        EXPECT_THAT(resources, ::testing::ElementsAre("Ann Lee", "Bob"));
        std::vector<std::string> assignments;
        for (const ATaskResource* a : store.fetch<ATaskResource>())
            assignments.push_back(a->task()->name() + ":" + a->resource()->name() + ":" +
                                  std::to_string(static_cast<int>(a->perc())));
        EXPECT_THAT(assignments, ::testing::UnorderedElementsAre(
                                     "Sketch:Ann Lee:50", "Build:Ann Lee:100", "Build:Bob:100"));
    }
}

TEST_F(ProjectXmlExportTest, TheImportCommandAsksFirst) {
    testing::TempFolder folder;
    testing::TempFolder::write(folder / "plan.xml", exportText());
    MemoryPreferences preferences;
    testing::FakeAlertPresenter alerts;
    alerts.answers = {"Cancel", "OK"};
    EXPECT_FALSE(importProjectfile(alerts, folder / "plan.xml", preferences));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message,
              "Project XML import currently only imports Tasks, Resources and Dependencies.  It "
              "does not import any other information (such as split tasks and calendars).");
    EXPECT_EQ(alerts.shown[0].informativeText, "Are you sure you want to do this?");
    EXPECT_EQ(alerts.shown[0].buttons, (std::vector<std::string>{"OK", "Cancel"}));
    const auto imported = importProjectfile(alerts, folder / "plan.xml", preferences);
    ASSERT_TRUE(imported);
    EXPECT_TRUE(imported->ok);
    EXPECT_EQ(imported->document->project()->name(), "Plan");
}

TEST_F(ProjectXmlExportTest, AFailedWriteLeavesThePreviousFile) {
    testing::TempFolder folder;
    MemoryPreferences preferences;
    KestilPlannerDocument doc(preferences);
    std::string error;
    EXPECT_FALSE(exportProjectXml(doc, folder / "missing" / "plan.xml", error));
    EXPECT_THAT(error, HasSubstr("plan.xml"));
    testing::TempFolder::write(folder / "plan.xml", "old");
    ASSERT_TRUE(exportProjectXml(doc, folder / "plan.xml", error)) << error;
    EXPECT_THAT(testing::TempFolder::read(folder / "plan.xml"), HasSubstr("<SaveVersion>12<"));
    EXPECT_EQ(folder.entries(), (std::set<std::string>{"plan.xml"}));
}

} // namespace
} // namespace mapolt
