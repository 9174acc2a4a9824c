#include "interchange/project_importer.h"
#include "interchange/xml_tree.h"
#include "model/filters.h"
#include "support/planner_fixture.h"
#include "support/temp_folder.h"
#include "support/xml_import.h"

#include <gmock/gmock.h>

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <filesystem>
#include <random>
#include <set>

namespace mapolt {
namespace {

const std::filesystem::path kCorpus = testing::kMspdiFolder;

struct ProjectXmlImportTest : ::testing::Test {
    testing::PlannerFixture plan;
    ProjectImportTarget target{plan.store, plan.project, plan.helper, plan.calendars, plan.engine};
    ProjectImporter importer{target};
    std::string error;

    void import(const std::string& body, const std::string& start = "2026-03-02T08:00:00") {
        const std::string text = "<?xml version=\"1.0\"?>\n"
                                 "<Project xmlns=\"http://schemas.microsoft.com/project\">"
                                 "<Name>Imported</Name><StartDate>" +
                                 start + "</StartDate>" + body + "</Project>";
        ASSERT_TRUE(importer.importText(text, error)) << error;
    }
    static std::string task(int uid, const std::string& name, const std::string& start,
                            const std::string& extra = "") {
        return "<Task><UID>" + std::to_string(uid) + "</UID><Name>" + name + "</Name><Start>" +
               start + "</Start>" + extra + "</Task>";
    }
    std::vector<ATask*> tasks() const { return plan.store.fetch<ATask>({}, filters::byViewOrder); }
};

TEST_F(ProjectXmlImportTest, StartOffsetsCountTheWorkingDayFromEightToFive) {
    import("<Tasks>" + task(1, "A", "2026-03-04T10:00:00") + task(2, "B", "2026-03-02T15:00:00") +
           task(3, "C", "2026-03-02T17:00:00") + task(4, "D", "2026-03-02T08:59:00") +
           task(5, "E", "2026-03-09T12:30:00") + "</Tasks>");
    ASSERT_EQ(tasks().size(), 5u);
    EXPECT_FLOAT_EQ(plan.named("A")->daysFromStart(), 2.25f);
    EXPECT_FLOAT_EQ(plan.named("B")->daysFromStart(), 0.75f);
    EXPECT_FLOAT_EQ(plan.named("C")->daysFromStart(), 1.0f);
    EXPECT_FLOAT_EQ(plan.named("D")->daysFromStart(), 0.0f);
    // A week later, across the switch to daylight saving time: still seven calendar days.
    EXPECT_FLOAT_EQ(plan.named("E")->daysFromStart(), 7.5f);
    EXPECT_EQ(plan.project->startDate(), civil::fromYmd(2026, 3, 2));
    EXPECT_EQ(plan.project->name(), "Imported");
}

TEST_F(ProjectXmlImportTest, DurationsGiveHoursAndEightHourDays) {
    EXPECT_FLOAT_EQ(ProjectTaskImporter::projectTimeParser("PT12H30M0S"), 12.5f);
    EXPECT_FLOAT_EQ(ProjectTaskImporter::projectTimeParser("PT0H0M0S"), 0.0f);
    EXPECT_FLOAT_EQ(ProjectTaskImporter::projectTimeParser("PT7H"), 7.0f);
    EXPECT_FLOAT_EQ(ProjectTaskImporter::projectTimeParser("garbage"), 0.0f);
    EXPECT_FLOAT_EQ(ProjectTaskImporter::projectTimeParser(""), 0.0f);
    import("<Tasks>" +
           task(1, "A", "2026-03-02T08:00:00",
                "<Duration>PT12H30M0S</Duration><PercentComplete>40</PercentComplete>") +
           "</Tasks>");
    ATask* a = plan.named("A");
    ASSERT_NE(a, nullptr);
    EXPECT_FLOAT_EQ(a->hours(), 12.5f);
    EXPECT_FLOAT_EQ(a->elapsedTime(), 1.5625f);
    EXPECT_FLOAT_EQ(a->percComp(), 40.0f);
    EXPECT_TRUE(a->lockedStart());
    EXPECT_TRUE(a->adjustElapsed());
    EXPECT_FALSE(a->adjustHours());
}

TEST_F(ProjectXmlImportTest, OutlineLevelsBuildTheTree) {
    import("<Tasks>" + task(1, "A", "2026-03-02T08:00:00", "<OutlineLevel>1</OutlineLevel>") +
           task(2, "B", "2026-03-02T08:00:00", "<OutlineLevel>2</OutlineLevel>") +
           task(3, "C", "2026-03-02T08:00:00", "<OutlineLevel>3</OutlineLevel>") +
           task(4, "D", "2026-03-02T08:00:00", "<OutlineLevel>1</OutlineLevel>") +
           task(5, "E", "2026-03-02T08:00:00", "<OutlineLevel>2</OutlineLevel>") + "</Tasks>");
    EXPECT_EQ(plan.shape(), "A/0 B/1 C/2 D/0 E/1");
    EXPECT_EQ(plan.named("C")->superTask(), plan.named("B"));
    EXPECT_EQ(plan.named("D")->prevSibling(), plan.named("A"));
    EXPECT_EQ(plan.helper.outlineOrder().size(), 5u);
}

TEST_F(ProjectXmlImportTest, TheProjectSummaryTaskIsNoTaskButOtherLevelZeroTasksAre) {
    import("<Tasks>" + task(0, "Summary", "2026-03-02T08:00:00", "<OutlineLevel>0</OutlineLevel>") +
           task(1, "A", "2026-03-02T08:00:00", "<OutlineLevel>1</OutlineLevel>") +
           task(2, "B", "2026-03-02T08:00:00",
                "<OutlineLevel>1</OutlineLevel>"
                "<PredecessorLink><PredecessorUID>0</PredecessorUID></PredecessorLink>") +
           "</Tasks>");
    EXPECT_EQ(plan.shape(), "A/0 B/0");
    EXPECT_EQ(plan.store.count(Entity::DepLink), 0u);
    plan.store.deleteRecord(plan.named("A"));
    plan.store.deleteRecord(plan.named("B"));
    // A file whose top task has another UID keeps it as a task holding the level-1 tasks.
    import("<Tasks>" + task(1, "Top", "2026-03-02T08:00:00", "<OutlineLevel>0</OutlineLevel>") +
           task(2, "C", "2026-03-02T08:00:00", "<OutlineLevel>1</OutlineLevel>") + "</Tasks>");
    EXPECT_EQ(plan.shape(), "Top/0 C/1");
}

TEST_F(ProjectXmlImportTest, MilestonesLinksAndSkippedTasks) {
    import("<Tasks>" + task(1, "M", "2026-03-02T08:00:00", "<Milestone>1</Milestone>") +
           task(2, "N", "2026-03-02T08:00:00") +
           task(3, "P", "2026-03-03T08:00:00",
                "<PredecessorLink><PredecessorUID>1</PredecessorUID></PredecessorLink>"
                "<PredecessorLink><PredecessorUID>1</PredecessorUID></PredecessorLink>"
                "<PredecessorLink><PredecessorUID>99</PredecessorUID></PredecessorLink>") +
           task(4, "Q", "2026-03-03T08:00:00",
                "<PredecessorLink><PredecessorUID>1</PredecessorUID></PredecessorLink>") +
           "<Task><UID>5</UID><Name>NoStart</Name><Start>2008-12-04T17:-0:00</Start></Task>"
           "<Task><UID>6</UID><Name>Missing</Name></Task>" +
           "</Tasks>");
    // A task whose start cannot be read or is missing still comes in, at the project start.
    ASSERT_EQ(tasks().size(), 6u);
    EXPECT_FLOAT_EQ(plan.named("NoStart")->daysFromStart(), 0.0f);
    EXPECT_FLOAT_EQ(plan.named("Missing")->daysFromStart(), 0.0f);
    EXPECT_EQ(plan.named("M")->milestone.size(), 1u);
    EXPECT_EQ(plan.named("N")->milestone.size(), 0u);
    EXPECT_EQ(plan.project->milestones.size(), 1u);
    EXPECT_EQ((*plan.named("M")->milestone.begin())->name(), "M");
    // One predecessor of two tasks gives two links; the repeated one and the unknown one none.
    EXPECT_EQ(plan.store.count(Entity::DepLink), 2u);
    EXPECT_EQ(plan.named("M")->dependTasks.size(), 2u);
    EXPECT_EQ(plan.named("P")->dependeeTasks.size(), 1u);
    EXPECT_EQ(importer.counts().links, 2u);
    EXPECT_THAT(importer.warnings(),
                ::testing::ElementsAre("2 tasks without a start were placed at the project start.",
                                       "1 link was skipped: a task it joins is not in the file."));
}

TEST_F(ProjectXmlImportTest, LinksThatWouldCloseACycleAreNotMade) {
    import("<Tasks>" +
           task(1, "A", "2026-03-02T08:00:00",
                "<PredecessorLink><PredecessorUID>1</PredecessorUID></PredecessorLink>"
                "<PredecessorLink><PredecessorUID>3</PredecessorUID></PredecessorLink>") +
           task(2, "B", "2026-03-02T08:00:00",
                "<PredecessorLink><PredecessorUID>1</PredecessorUID></PredecessorLink>") +
           task(3, "C", "2026-03-02T08:00:00",
                "<PredecessorLink><PredecessorUID>2</PredecessorUID></PredecessorLink>") +
           task(4, "S", "2026-03-02T08:00:00", "<OutlineLevel>1</OutlineLevel>") +
           task(5, "Child", "2026-03-02T08:00:00",
                "<OutlineLevel>2</OutlineLevel>"
                "<PredecessorLink><PredecessorUID>4</PredecessorUID></PredecessorLink>") +
           "</Tasks>");
    // In file order C->A and A->B are made, so B->C would close the cycle; A->A is a self
    // link; S->Child joins a summary with its own subtask.
    EXPECT_EQ(plan.store.count(Entity::DepLink), 2u);
    EXPECT_EQ(plan.named("A")->dependeeTasks.size(), 1u);
    EXPECT_EQ(plan.named("C")->dependeeTasks.size(), 0u);
    EXPECT_EQ(plan.named("Child")->dependeeTasks.size(), 0u);
    EXPECT_THAT(
        importer.warnings(),
        ::testing::ElementsAre("3 links were skipped: they would make a task wait for itself."));
}

TEST_F(ProjectXmlImportTest, ResourcesAndAssignments) {
    import("<Tasks>" + task(1, "A", "2026-03-02T08:00:00", "<Duration>PT16H0M0S</Duration>") +
           "</Tasks><Resources><Resource><UID>0</UID><Name>Unassigned</Name></Resource>"
           "<Resource><UID>1</UID><Name>Site Crew</Name></Resource>"
           "<Resource><UID>2</UID><Name>Other</Name></Resource></Resources>"
           "<Assignments><Assignment><TaskUID>1</TaskUID><ResourceUID>1</ResourceUID>"
           "<Units>0.5</Units></Assignment>"
           "<Assignment><TaskUID>1</TaskUID><ResourceUID>2</ResourceUID></Assignment>"
           "<Assignment><TaskUID>7</TaskUID><ResourceUID>1</ResourceUID></Assignment>"
           "<Assignment><TaskUID>1</TaskUID><ResourceUID>0</ResourceUID></Assignment>"
           "<Assignment><TaskUID>1</TaskUID><ResourceUID>-65535</ResourceUID></Assignment>"
           "</Assignments>");
    // The placeholder "Unassigned" and assignments to no one are no people, and no loss.
    const auto resources = plan.store.fetch<Resource>();
    ASSERT_EQ(resources.size(), 2u);
    EXPECT_EQ(resources[0]->initials(), "SC");
    ASSERT_NE(resources[0]->cal(), nullptr);
    EXPECT_EQ(resources[0]->cal()->superCalandar(), plan.calendars.getBaseCalandar());
    const auto assignments = plan.store.fetch<ATaskResource>();
    ASSERT_EQ(assignments.size(), 2u);
    EXPECT_FLOAT_EQ(assignments[0]->perc(), 50.0f);
    // No Units means the whole of the resource's time.
    EXPECT_FLOAT_EQ(assignments[1]->perc(), 100.0f);
    EXPECT_EQ(assignments[0]->task(), plan.named("A"));
    EXPECT_THAT(importer.warnings(),
                ::testing::ElementsAre(
                    "1 assignment was skipped: its task or resource is not in the file."));
}

TEST_F(ProjectXmlImportTest, APartTimeTaskKeepsTheFilesLength) {
    import("<Tasks>" + task(1, "A", "2026-03-02T08:00:00", "<Duration>PT16H0M0S</Duration>") +
           "</Tasks><Resources><Resource><UID>1</UID><Name>Half</Name></Resource></Resources>"
           "<Assignments><Assignment><TaskUID>1</TaskUID><ResourceUID>1</ResourceUID>"
           "<Units>0.5</Units></Assignment></Assignments>");
    // Two days at half time are 8 hours of work, Monday and Tuesday.
    EXPECT_FLOAT_EQ(plan.named("A")->hours(), 8.0f);
    EXPECT_FLOAT_EQ(plan.engine.calcDaysForTask(plan.named("A")), 2.0f);
    EXPECT_EQ(plan.store.count(Entity::AResourceUsage), 2u);
}

TEST_F(ProjectXmlImportTest, NumbersAtTheStartOfTheText) {
    EXPECT_DOUBLE_EQ(leadingNumber(" 0.5 units"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("-3x"), -3.0);
    EXPECT_DOUBLE_EQ(leadingNumber("x3"), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0.0);
    EXPECT_FALSE(parseProjectDateTime("2026-02-30T08:00:00"));
    EXPECT_FALSE(parseProjectDateTime("2026-03-02"));
    EXPECT_EQ(parseProjectDay("2026-03-08T23:00:00"), civil::fromYmd(2026, 3, 8));
}

TEST_F(ProjectXmlImportTest, WithoutAStartDateTheEarliestTaskStartsTheProject) {
    ASSERT_TRUE(importer.importText(
        "<Project><Tasks>" + task(1, "A", "2026-03-04T10:00:00") + "</Tasks></Project>", error));
    EXPECT_EQ(plan.store.count(Entity::ATask), 1u);
    EXPECT_EQ(plan.project->startDate(), civil::fromYmd(2026, 3, 4));
    EXPECT_FLOAT_EQ(plan.named("A")->daysFromStart(), 0.25f);
    EXPECT_EQ(plan.project->name(), "");
}

TEST_F(ProjectXmlImportTest, MalformedMarkupIsRecoveredAndGarbageRefused) {
    ASSERT_TRUE(importer.importText("<Project><Name>Broken & bad</Name><StartDate>2026-03-02"
                                    "</StartDate><Tasks>" +
                                        task(1, "A", "2026-03-02T08:00:00") + "<Task><UID>2",
                                    error))
        << error;
    // The cut-off task 2 comes in without a start.
    EXPECT_EQ(plan.store.count(Entity::ATask), 2u);
    EXPECT_EQ(importer.warnings().front(), "The file is damaged; read 2 tasks up to line 1.");
    EXPECT_FALSE(importer.importText("not xml at all", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(importer.importText("", error));
}

TEST_F(ProjectXmlImportTest, NeverLoadsExternalEntitiesOrDtds) {
    testing::TempFolder folder;
    const auto secret = folder / "secret.txt";
    testing::TempFolder::write(secret, "SECRET-CONTENT");
    const std::string text =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE Project SYSTEM \"http://192.0.2.1/project.dtd\" [\n"
        "<!ENTITY leak SYSTEM \"file://" +
        secret.string() +
        "\">\n<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
        "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "]>\n<Project><Name>&leak;&d;</Name><StartDate>2026-03-02</StartDate></Project>";
    ASSERT_TRUE(importer.importText(text, error)) << error;
    EXPECT_THAT(plan.project->name(), ::testing::Not(::testing::HasSubstr("SECRET")));
}

TEST_F(ProjectXmlImportTest, AnUnreadableFileIsNamedInTheError) {
    EXPECT_FALSE(importer.importFile("/nonexistent/folder/plan.xml", error));
    EXPECT_THAT(error, ::testing::HasSubstr("/nonexistent/folder/plan.xml"));
}

// What a file holds, counted with queries of the test's own: tasks with a UID (not the project
// summary task, UID 0 at level 0, nor blank rows), distinct links between two such tasks,
// named resources with a UID other than the placeholder 0, and assignments between counted
// tasks and resources.
struct FileCounts {
    std::size_t tasks = 0, links = 0, resources = 0, assignments = 0;
};

std::vector<xmlNodePtr> select(xmlXPathContextPtr ctx, xmlNodePtr at, const char* path) {
    ctx->node = at;
    xmlXPathObjectPtr r = xmlXPathEvalExpression(BAD_CAST path, ctx);
    std::vector<xmlNodePtr> out;
    if (r != nullptr && r->nodesetval != nullptr)
        out.assign(r->nodesetval->nodeTab, r->nodesetval->nodeTab + r->nodesetval->nodeNr);
    xmlXPathFreeObject(r);
    return out;
}

std::string childText(xmlXPathContextPtr ctx, xmlNodePtr at, const char* name) {
    const std::string path = std::string("*[local-name()='") + name + "'][1]";
    const auto nodes = select(ctx, at, path.c_str());
    if (nodes.empty())
        return "\x01";
    xmlChar* c = xmlNodeGetContent(nodes[0]);
    std::string s = c != nullptr ? reinterpret_cast<char*>(c) : "";
    xmlFree(c);
    return s;
}

FileCounts countFile(const std::filesystem::path& file) {
    FileCounts counts;
    xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
    if (doc == nullptr)
        return counts;
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    std::set<std::string> taskUIDs;
    std::vector<std::pair<std::string, std::string>> links;
    for (xmlNodePtr t : select(ctx, reinterpret_cast<xmlNodePtr>(doc),
                               "//*[local-name()='Project']/*[local-name()='Tasks'][1]/"
                               "*[local-name()='Task']")) {
        const std::string uid = childText(ctx, t, "UID");
        const std::string level = childText(ctx, t, "OutlineLevel");
        const bool projectSummary = uid == "0" && (level == "0" || level == "\x01");
        for (xmlNodePtr l : select(ctx, t, "*[local-name()='PredecessorLink']"))
            links.emplace_back(childText(ctx, l, "PredecessorUID"), uid);
        if (uid != "\x01" && !projectSummary && childText(ctx, t, "IsNull") != "1")
            taskUIDs.insert(uid);
    }
    counts.tasks = taskUIDs.size();
    std::set<std::pair<std::string, std::string>> distinct;
    for (const auto& l : links)
        if (taskUIDs.count(l.first) && taskUIDs.count(l.second) && l.first != l.second)
            distinct.insert(l);
    counts.links = distinct.size();
    std::set<std::string> resourceUIDs;
    for (xmlNodePtr r : select(ctx, reinterpret_cast<xmlNodePtr>(doc),
                               "//*[local-name()='Project']/*[local-name()='Resources'][1]/"
                               "*[local-name()='Resource'][*[local-name()='Name']]")) {
        const std::string uid = childText(ctx, r, "UID");
        if (uid != "\x01" && uid != "0") {
            resourceUIDs.insert(uid);
            ++counts.resources;
        }
    }
    for (xmlNodePtr a : select(ctx, reinterpret_cast<xmlNodePtr>(doc),
                               "//*[local-name()='Project']/*[local-name()='Assignments'][1]/"
                               "*[local-name()='Assignment']"))
        if (taskUIDs.count(childText(ctx, a, "TaskUID")) &&
            resourceUIDs.count(childText(ctx, a, "ResourceUID")))
            ++counts.assignments;
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
    return counts;
}

TEST(ProjectXmlCorpusTest, EveryRealFileImportsWhatItHolds) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
        if (entry.path().extension() != ".xml")
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        testing::PlannerFixture plan;
        ProjectImportTarget target{plan.store, plan.project, plan.helper, plan.calendars,
                                   plan.engine};
        ProjectImporter importer(target);
        std::string error;
        ASSERT_TRUE(importer.importFile(entry.path(), error)) << error;
        const FileCounts expected = countFile(entry.path());
        EXPECT_EQ(plan.store.count(Entity::ATask), expected.tasks);
        EXPECT_EQ(plan.store.count(Entity::DepLink), expected.links);
        EXPECT_EQ(plan.store.count(Entity::Resource), expected.resources);
        EXPECT_EQ(plan.store.count(Entity::ATaskResource), expected.assignments);
        // Every imported task is a row of the outline.
        EXPECT_EQ(plan.helper.outlineOrder().size(), expected.tasks);
        for (const DepLink* l : plan.store.fetch<DepLink>()) {
            ASSERT_NE(l->dependTask(), nullptr);
            ASSERT_NE(l->dependeeTask(), nullptr);
        }
    }
    EXPECT_GE(files, 23u);
}

} // namespace
} // namespace mapolt

namespace mapolt {
namespace {

// Cut and damaged copies of real files: every one imports or is refused, none crashes or hangs.
TEST(ProjectXmlDamageTest, DamagedFilesNeverBreakTheImport) {
    static const std::string kDamage{'<', '>', '&', '/', '"', '\0', '\xff', '9', '-', 'T'};
    std::mt19937 rng(7);
    std::size_t tried = 0;
    for (const char* name : {"msp2003-sample.xml", "ta-one-sided-links.xml", "tj-tutorial.xml",
                             "aspose-calendar.xml"}) {
        const std::string original = testing::TempFolder::read(kCorpus / name);
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < 25; ++round) {
            std::string text = original;
            const auto at = [&] {
                return std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
            };
            if (round % 3 == 0)
                text.resize(at());
            for (int flips = 0; flips < 1 + round % 7; ++flips)
                text[at()] = kDamage[static_cast<std::size_t>(flips) % kDamage.size()];
            testing::PlannerFixture plan;
            ProjectImportTarget target{plan.store, plan.project, plan.helper, plan.calendars,
                                       plan.engine};
            ProjectImporter importer(target);
            std::string error;
            if (importer.importText(text, error)) {
                EXPECT_EQ(plan.helper.outlineOrder().size(), plan.store.count(Entity::ATask));
            } else {
                EXPECT_FALSE(error.empty());
            }
            ++tried;
        }
    }
    EXPECT_EQ(tried, 100u);
}

// The tree walk that answers the import's queries selects exactly what libxml2's XPath does.
TEST(XmlQueryTest, TheWalkSelectsWhatXPathSelects) {
    const std::vector<std::string> documentPaths{".//Project/Name[1]",
                                                 ".//Project/Title[1]",
                                                 ".//Project/StartDate[1]",
                                                 ".//Project/Tasks[1]/Task",
                                                 ".//Project/Resources[1]/Resource",
                                                 ".//Project/Assignments[1]/Assignment",
                                                 ".//Task",
                                                 ".//WeekDay/DayType"};
    const std::vector<std::string> elementPaths{"./Name[1]", "./Start[1]", "./UID[1]",
                                                "./PredecessorLink",
                                                "./PredecessorLink/PredecessorUID[1]"};
    std::string error;
    const auto nested = XmlTree::parseText(
        "<Project><Name>Outer</Name><X><Project><Name>Inner</Name><Tasks><Task><UID>1</UID></Task>"
        "</Tasks></Project></X><Tasks><Task><UID>2</UID></Task></Tasks></Project>",
        error);
    ASSERT_TRUE(nested);
    std::vector<std::unique_ptr<XmlTree>> trees;
    trees.push_back(XmlTree::parseText("<a/>", error));
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus))
        if (entry.path().extension() == ".xml")
            trees.push_back(XmlTree::parseFile(entry.path(), error));
    const auto check = [](const XmlTree& tree, const std::string& path, xmlNodePtr context) {
        const XmlQuery query(path);
        ASSERT_EQ(query.select(tree, context), query.selectByXPath(tree, context)) << path;
    };
    for (const std::string& path : documentPaths)
        check(*nested, path, nullptr);
    EXPECT_EQ(XmlQuery(".//Project/Tasks[1]/Task").select(*nested).size(), 2u);
    for (const auto& tree : trees) {
        ASSERT_TRUE(tree);
        for (const std::string& path : documentPaths)
            check(*tree, path, nullptr);
        for (xmlNodePtr task : XmlQuery(".//Project/Tasks[1]/Task").select(*tree))
            for (const std::string& path : elementPaths)
                check(*tree, path, task);
    }
}

} // namespace
} // namespace mapolt
