#include "interchange/working_time_span.h"
#include "interchange/xml_tree.h"
#include "model/filters.h"
#include "support/xml_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace mapolt {
namespace {

using ::testing::ElementsAre;
using testing::projectXml;

std::string task(int uid, const std::string& name, const std::string& fields) {
    return "<Task><UID>" + std::to_string(uid) + "</UID><Name>" + name + "</Name>" + fields +
           "</Task>";
}

std::string resources() {
    return "<Resources><Resource><UID>1</UID><Name>Ann</Name></Resource>"
           "<Resource><UID>2</UID><Name>Bob</Name></Resource></Resources>";
}

std::string assignment(int taskUID, int resourceUID, const std::string& units) {
    return "<Assignment><TaskUID>" + std::to_string(taskUID) + "</TaskUID><ResourceUID>" +
           std::to_string(resourceUID) + "</ResourceUID><Units>" + units + "</Units></Assignment>";
}

// Work and length of imported tasks: the project starts on Monday 2 March 2026; New York's
// clocks go forward on Sunday the 8th.
struct ProjectXmlWorkTest : ::testing::Test {
    testing::XmlImport x;

    void import(const std::string& body, const std::string& head = "<StartDate>2026-03-02T08:00:00"
                                                                   "</StartDate>") {
        ASSERT_TRUE(x.text(projectXml(body, head))) << x.error;
    }
    float hours(const std::string& name) const { return x.plan.named(name)->hours(); }
    float start(const std::string& name) const { return x.plan.named(name)->daysFromStart(); }
};

TEST_F(ProjectXmlWorkTest, WithoutADurationTheWorkRunsFromStartToFinish) {
    import("<Tasks>" +
           task(1, "A", "<Start>2026-03-02T08:00:00</Start><Finish>2026-03-04T17:00:00</Finish>") +
           // Friday afternoon to Monday noon, over the weekend and the clock change.
           task(2, "B", "<Start>2026-03-06T13:00:00</Start><Finish>2026-03-09T12:00:00</Finish>") +
           task(3, "C", "<Start>2026-03-02T08:00:00</Start><Finish>2026-03-03T17:00:00</Finish>") +
           task(4, "M",
                "<Start>2026-03-05T10:00:00</Start><Finish>2026-03-05T10:00:00</Finish>"
                "<Milestone>1</Milestone>") +
           "</Tasks>" + resources() + "<Assignments>" + assignment(3, 1, "1") +
           assignment(3, 2, "0.5") + "</Assignments>");
    EXPECT_FLOAT_EQ(hours("A"), 24.0f);
    EXPECT_FLOAT_EQ(x.endOf("A"), 3.0f);
    EXPECT_FLOAT_EQ(start("B"), 4.5f);
    EXPECT_FLOAT_EQ(hours("B"), 8.0f);
    EXPECT_FLOAT_EQ(x.endOf("B"), 7.5f);
    // Two days of one and a half people.
    EXPECT_FLOAT_EQ(hours("C"), 24.0f);
    EXPECT_FLOAT_EQ(x.endOf("C"), 2.0f);
    EXPECT_FLOAT_EQ(hours("M"), 0.0f);
    EXPECT_FLOAT_EQ(x.endOf("M"), 3.25f);
    EXPECT_THAT(x.warnings(), ElementsAre());
}

TEST_F(ProjectXmlWorkTest, WithoutAStartATaskEndsAtItsFinish) {
    import("<Tasks>" +
               task(1, "A", "<Finish>2026-03-04T17:00:00</Finish><Duration>PT16H0M0S</Duration>") +
               task(2, "B", "<Finish>2026-03-09T12:00:00</Finish><Duration>PT12H0M0S</Duration>") +
               task(3, "C", "<Duration>PT8H0M0S</Duration>") +
               task(4, "D", "<Start>2026-03-05T10:00:00</Start><Duration>PT8H0M0S</Duration>") +
               "</Tasks>",
           "");
    // No project start: the earliest task, A on Tuesday, gives it.
    EXPECT_EQ(x.plan.project->startDate(), civil::fromYmd(2026, 3, 3));
    EXPECT_FLOAT_EQ(start("A"), 0.0f);
    EXPECT_FLOAT_EQ(x.endOf("A"), 2.0f);
    // Back from Monday noon over the weekend: Friday morning.
    EXPECT_FLOAT_EQ(start("B"), 3.0f);
    EXPECT_FLOAT_EQ(x.endOf("B"), 6.5f);
    EXPECT_FLOAT_EQ(start("C"), 0.0f);
    EXPECT_FLOAT_EQ(start("D"), 2.25f);
    EXPECT_THAT(x.warnings(),
                ElementsAre("The file gives no project start; the project starts on 2026-03-03.",
                            "2 tasks without a start were placed to end at their finish.",
                            "1 task without a start was placed at the project start."));
}

TEST_F(ProjectXmlWorkTest, AFileWithoutTasksOrStartBeginsToday) {
    import("<Tasks/>", "");
    EXPECT_EQ(x.plan.project->startDate(), civil::localMidnight(civil::now()));
    EXPECT_EQ(x.plan.store.count(Entity::ATask), 0u);
}

TEST_F(ProjectXmlWorkTest, WorkComesFromWorkElseDurationTimesUnits) {
    const std::string monday = "<Start>2026-03-02T08:00:00</Start><Duration>PT16H0M0S</Duration>";
    import("<Tasks>" + task(1, "Work", monday + "<Work>PT32H0M0S</Work>") +
           task(2, "ZeroWork", monday + "<Work>PT0H0M0S</Work>") +
           task(3, "Alone", monday + "<Work>PT0H0M0S</Work>") + task(4, "NoWork", monday) +
           "</Tasks>" + resources() + "<Assignments>" + assignment(1, 1, "1") +
           assignment(1, 2, "1") + assignment(2, 1, "0.5") + assignment(4, 1, "1") +
           assignment(4, 2, "0.5") + "</Assignments>");
    EXPECT_FLOAT_EQ(hours("Work"), 32.0f);
    EXPECT_FLOAT_EQ(hours("ZeroWork"), 8.0f);
    EXPECT_FLOAT_EQ(hours("Alone"), 16.0f);
    EXPECT_FLOAT_EQ(hours("NoWork"), 24.0f);
    // Every one ends where the file's two days end.
    for (const char* name : {"Work", "ZeroWork", "Alone", "NoWork"})
        EXPECT_FLOAT_EQ(x.endOf(name), 2.0f) << name;
}

TEST_F(ProjectXmlWorkTest, ElapsedDurationsAreCalendarTime) {
    import("<Tasks>" +
           // One elapsed month, over the clock change: the working days of March from the 2nd.
           task(1, "Month",
                "<Start>2026-03-02T08:00:00</Start><Duration>PT720H0M0S</Duration>"
                "<DurationFormat>12</DurationFormat>") +
           task(2, "Day",
                "<Start>2026-03-06T13:00:00</Start><Duration>PT24H0M0S</Duration>"
                "<DurationFormat>8</DurationFormat>") +
           // Elapsed work counts hours around the clock; the working hours are what counts.
           task(3, "Staffed",
                "<Start>2026-03-02T08:00:00</Start><Duration>PT48H0M0S</Duration>"
                "<DurationFormat>40</DurationFormat><Work>PT48H0M0S</Work>") +
           task(4, "Hours",
                "<Start>2026-03-02T08:00:00</Start><Duration>PT48H0M0S</Duration>"
                "<DurationFormat>5</DurationFormat>") +
           "</Tasks>" + resources() + "<Assignments>" + assignment(3, 1, "1") + "</Assignments>");
    EXPECT_FLOAT_EQ(hours("Month"), 22 * 8.0f);
    EXPECT_FLOAT_EQ(x.endOf("Month"), 30.0f);
    EXPECT_FLOAT_EQ(hours("Day"), 4.0f);
    EXPECT_FLOAT_EQ(hours("Staffed"), 16.0f);
    EXPECT_FLOAT_EQ(x.endOf("Staffed"), 2.0f);
    EXPECT_FLOAT_EQ(hours("Hours"), 48.0f);
}

// Leaf tasks of real files end where the file says they finish.
struct ProjectXmlRealWorkTest : ::testing::Test {
    testing::XmlImport x;
};

TEST_F(ProjectXmlRealWorkTest, TaskJugglerTasksWithoutDurationKeepTheirLength) {
    ASSERT_TRUE(x.file("tj-tutorial.xml")) << x.error;
    // The first task of the first phase, Wednesday 09:00 to Thursday a week later 15:00: 53
    // working hours, for three people.
    const std::vector<ATask*> outline = x.plan.helper.outlineOrder();
    const auto first = std::find_if(outline.begin(), outline.end(),
                                    [](const ATask* t) { return t->superTask() != nullptr; });
    ASSERT_NE(first, outline.end());
    EXPECT_FLOAT_EQ((*first)->daysFromStart(), 0.125f);
    EXPECT_FLOAT_EQ((*first)->hours(), 3 * 53.0f);
    EXPECT_FLOAT_EQ(x.endOf((*first)->name()), x.dayOf(2002, 1, 24, 15));
    EXPECT_FLOAT_EQ(x.plan.named("Database coupling")->hours(), 2 * 80.0f);
    EXPECT_FLOAT_EQ(x.endOf("Database coupling"), x.dayOf(2002, 2, 7, 15));
    EXPECT_FLOAT_EQ(x.endOf("Beta Test"), x.dayOf(2002, 4, 18, 15));
    EXPECT_FLOAT_EQ(x.endOf("Manual"), x.dayOf(2002, 2, 26, 12));
    EXPECT_FLOAT_EQ(x.plan.named("Beta version")->hours(), 0.0f);
}

TEST_F(ProjectXmlRealWorkTest, EveryTaskJugglerLeafEndsAtItsFinish) {
    ASSERT_TRUE(x.file("tj-fedora20.xml")) << x.error;
    std::string error;
    const auto tree = XmlTree::parseFile(testing::kMspdiFolder / "tj-fedora20.xml", error);
    ASSERT_TRUE(tree) << error;
    const XmlQuery finishQuery("./Finish[1]");
    std::vector<std::string> finishes;
    for (_xmlNode* element : XmlQuery(".//Project/Tasks[1]/Task").select(*tree)) {
        std::string finish;
        ASSERT_TRUE(finishQuery.firstText(*tree, element, finish));
        finishes.push_back(finish);
    }
    const auto tasks = x.plan.store.fetch<ATask>({}, filters::byViewOrder);
    ASSERT_EQ(tasks.size(), finishes.size());
    WorkingTimeSpan span(x.plan.calendars, x.plan.project->startDate());
    std::size_t leaves = 0;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        ATask* t = tasks[i];
        if (!t->subTasks.empty() || !t->milestone.empty())
            continue;
        ++leaves;
        const Date finish = parseProjectDateTime(finishes[i]).value_or(Date{});
        const double end =
            ProjectTaskImporter::getTimeAmount(x.plan.project->startDate(), finish) / 86400;
        EXPECT_GT(t->hours(), 0.0f) << t->name();
        // A finish written after a weekend ends the work where the weekend begins.
        const double computed = t->daysFromStart() + x.plan.engine.calcDaysForTask(t);
        EXPECT_LT(std::abs(span.hoursBetween(std::min(computed, end), std::max(computed, end))),
                  1e-3)
            << t->name() << " ends on day " << computed << ", the file on day " << end;
    }
    EXPECT_GT(leaves, 100u);
}

TEST_F(ProjectXmlRealWorkTest, SharedAndPartTimeTasksEndAtTheFilesFinish) {
    ASSERT_TRUE(x.file("pl-new-product.xml")) << x.error;
    // 200 hours with one person and a half: 300 hours of work, five weeks.
    EXPECT_FLOAT_EQ(x.plan.named("Prototype design")->hours(), 300.0f);
    EXPECT_FLOAT_EQ(x.endOf("Prototype design"), x.dayOf(2001, 2, 2, 17));
    EXPECT_FLOAT_EQ(x.plan.named("Test prototype")->hours(), 320.0f);
    EXPECT_FLOAT_EQ(x.endOf("Test prototype"), x.dayOf(2001, 3, 2, 17));

    testing::XmlImport timephased;
    ASSERT_TRUE(timephased.file("msp-timephased.xml")) << timephased.error;
    // Work 75 hours at half time: 150 working hours. The engine takes back the last day's
    // extra work hour for hour, not at the resource's pace, so the end lies half an hour on.
    EXPECT_FLOAT_EQ(timephased.plan.named("Task 1 - 50%")->hours(), 75.0f);
    EXPECT_NEAR(timephased.endOf("Task 1 - 50%"), timephased.dayOf(2008, 12, 16, 16), 0.0625);
}

} // namespace
} // namespace mapolt
