#include "interchange/baseline_tv_controller.h"
#include "support/planner_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>

namespace mapolt {
namespace {

using ::testing::HasSubstr;

struct BaselineTest : ::testing::Test {
    testing::PlannerFixture plan;
    BaselineTVController inspector{plan.store};

    void SetUp() override { std::setlocale(LC_ALL, "en_US.UTF-8"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(BaselineTest, HourlyRatesAndUncostedTime) {
    ATask* t = plan.task("T", 10.0f);
    plan.assign(t, plan.resource("Paid", 20.0f, 0));
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.costs.currentCost, 200.0f);
    plan.assign(t, plan.resource("Free", 0.0f, 0));
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.costs.currentCost, 200.0f);
    EXPECT_FLOAT_EQ(inspector.costs.unassignedResource, 10.0f);
    plan.task("Nobody", 6.0f);
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.costs.unassigned, 6.0f);
}

TEST_F(BaselineTest, FixedCostOnceAndPerAssignmentCostEachTime) {
    Resource* fixed = plan.resource("Crane", 500.0f, 1);
    Resource* perJob = plan.resource("Truck", 50.0f, 2);
    for (const char* name : {"A", "B", "C"}) {
        ATask* t = plan.task(name, 8.0f);
        plan.assign(t, fixed);
        plan.assign(t, perJob);
    }
    plan.named("A")->set(&ATask::cost, 25.0f);
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.costs.currentCost, 500.0f + 150.0f + 25.0f);
}

TEST_F(BaselineTest, SummaryTasksCostTheirShareUnlessTurnedOff) {
    ATask* s = plan.task("S", 20.0f);
    ATask* sub = plan.task("Sub", 20.0f);
    plan.indent({sub});
    Resource* r = plan.resource("R", 10.0f, 0);
    plan.assign(s, r, 50.0f);
    plan.assign(s, plan.resource("Tiny", 10.0f, 0), 0.0f);
    s->set(&ATask::cost, 7.0f);
    inspector.calcAll(nullptr);
    // 20 h at 50 % and at the 1 % floor.
    EXPECT_FLOAT_EQ(inspector.costs.currentCost, 0.5f * 10 * 20 + 0.01f * 10 * 20 + 7.0f);
    inspector.costs.costSuperTasks = false;
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.costs.currentCost, 7.0f);
    EXPECT_FLOAT_EQ(inspector.costs.unassigned, 20.0f);
}

TEST_F(BaselineTest, ResourceTimeSplitsAcrossAssignments) {
    ATask* t = plan.task("T", 8.0f, 0.0f, 1.0f);
    plan.assign(t, plan.resource("A"));
    plan.assign(t, plan.resource("B"));
    plan.task("U", 4.0f, 2.0f, 0.5f);
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.times.currentResource, 8.0f);
    EXPECT_FLOAT_EQ(inspector.times.currentTask, 12.0f);
    EXPECT_FLOAT_EQ(inspector.times.currentElapsed, 1.5f);
    plan.named("U")->set(&ATask::elapsedTime, -1.0f);
    inspector.calcAll(nullptr);
    EXPECT_FLOAT_EQ(inspector.times.currentElapsed, 1.5f);
}

TEST_F(BaselineTest, ASnapshotLeavesNoDifferenceAndCopiesEveryTask) {
    ATask* t = plan.task("T", 10.0f, 6.5f, 2.0f);
    plan.assign(t, plan.resource("Paid", 20.0f, 0));
    Baseline* b = inspector.snapBaseline();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(inspector.selectedBase(), b);
    EXPECT_EQ(b->project(), plan.project);
    EXPECT_FLOAT_EQ(t->baseStart(), 6.5f);
    EXPECT_FLOAT_EQ(t->baseHours(), 10.0f);
    EXPECT_FLOAT_EQ(t->baseElapsed(), 2.0f);
    EXPECT_FLOAT_EQ(b->cost(), 200.0f);
    // Day 8.5 of a plan starting 2 March, after the switch to summer time: midnight of the 10th.
    EXPECT_EQ(b->endDate(), civil::fromYmd(2026, 3, 10));
    EXPECT_FLOAT_EQ(inspector.costs.diffCost, 0.0f);
    EXPECT_FLOAT_EQ(inspector.times.diffElapsed, 0.0f);
    EXPECT_FLOAT_EQ(inspector.times.diffTask, 0.0f);
    EXPECT_FLOAT_EQ(inspector.times.diffResource, 0.0f);
    EXPECT_EQ(inspector.dates.diffStart, 0);
    EXPECT_EQ(inspector.dates.diffEnd, 0);
    t->set(&ATask::daysFromStart, 8.5f);
    inspector.projectChanged();
    EXPECT_EQ(inspector.dates.diffEnd, 2);
}

TEST_F(BaselineTest, TheStatusReportKeepsItsColumns) {
    ATask* t = plan.task("T", 100.0f, 0.0f, 12.5f);
    plan.assign(t, plan.resource("Paid", 20.0f, 0));
    plan.assign(plan.task("Free", 0.5f), plan.resource("Nil", 0.0f, 0));
    inspector.snapBaseline();
    EXPECT_EQ(inspector.exportReport(false, false, false), "");
    const std::string report = inspector.exportReport(true, true, true);
    EXPECT_EQ(report, "Costings\n,Cost\nCurrent,\"2,000.00\"\nBaseline,\"2,000.00\"\n\n"
                      "Uncosted Time\nResource,0.00\nUnassigned,.50\n\n"
                      "Elapsed Times\n,Hours\nCurrent,13.50\nBaseline,13.50\n\n"
                      "Task Time\nCurrent,100.50\nBaseline,100.50\n\n"
                      "Resource Time\nCurrent,100.50\nBaseline,100.50\n\n"
                      "Dates\nStart Date,\"Mar 2, 2026\"\nBase Start Date,\"Mar 2, 2026\"\n"
                      "End Date,\"Mar 14, 2026\"\nBase End Date,\"Mar 14, 2026\"\n\n");
    inspector.setSelectedBase(nullptr);
    EXPECT_THAT(inspector.exportReport(false, false, true), HasSubstr("Base Start Date,\n"));
    EXPECT_THAT(inspector.exportReport(true, false, false), HasSubstr("Baseline,0.00\n"));
    EXPECT_EQ(reportNumber(-0.5f), "(0.50)");
    EXPECT_EQ(reportNumber(-1234.5f), "\"(1,234.50)\"");
}

} // namespace
} // namespace mapolt
