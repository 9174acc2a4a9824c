#include "model/notification_center.h"
#include "support/schedule_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace mapolt {
namespace {

using ::testing::ElementsAre;
using ::testing::FloatEq;

// Day 4 of the project is Friday 6 March 2026, two days before the clocks go forward.
constexpr float kFriday = 4.0f;

class TaskLengthTest : public ::testing::Test, public testing::ScheduleFixture {
  protected:
    std::vector<float> usedHours(ATaskResource* a) {
        std::vector<float> out;
        for (AResourceUsage* u : a->resourceUsage())
            out.push_back(u->usedHours());
        return out;
    }
};

TEST_F(TaskLengthTest, WeekendsCountAsElapsedDays) {
    ATask* one = leaf(8.0f, kFriday);
    ATask* two = leaf(16.0f, kFriday);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(one), 1.0f);
    // Friday 8, Saturday 0, Sunday 0 (23 hours long here), Monday 8.
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(two), 4.0f);
    EXPECT_FALSE(two->invalid());
    EXPECT_FLOAT_EQ(two->elapsedTime(), 4.0f);
    EXPECT_FLOAT_EQ(two->daysTillEnd(), 8.0f);
}

TEST_F(TaskLengthTest, AutumnSwitchIsOneDayToo) {
    // Friday 30 October 2026; Sunday 1 November has 25 hours.
    project->set(&Project::startDate, civil::fromYmd(2026, 10, 30));
    exception(base(), civil::fromYmd(2026, 11, 2), 0.0f);
    ATask* t = leaf(16.0f, 0.0f);
    // Friday 8, weekend, Monday holiday, Tuesday 8.
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), 5.0f);
}

TEST_F(TaskLengthTest, FractionalStart) {
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(leaf(8.0f, 2.5f)), 1.0f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(leaf(12.0f, 0.0f)), 1.5f);
}

TEST_F(TaskLengthTest, ShareOfAResource) {
    ATask* t = leaf(8.0f);
    ATaskResource* a = assign(t, resource(), 50.0f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), 2.0f);
    EXPECT_THAT(usedHours(a), ElementsAre(FloatEq(4.0f), FloatEq(4.0f)));
    EXPECT_EQ(a->resource()->resourceUsage().size(), 2u);
}

TEST_F(TaskLengthTest, ZeroShareWorksAtOnePercent) {
    ATask* t = leaf(8.0f);
    ATaskResource* a = assign(t, resource(), 0.0f);
    const float days = engine.calcDaysForTask(t);
    // 0.08 hours a working day: about 100 working days, 20 weeks from a Monday.
    EXPECT_GT(days, 137.0f);
    EXPECT_LT(days, 141.0f);
    const std::vector<AResourceUsage*> usage = a->resourceUsage();
    EXPECT_EQ(usage.size(), static_cast<std::size_t>(std::ceil(days)));
    EXPECT_FLOAT_EQ(usage.front()->usedHours(), 0.08f);
}

TEST_F(TaskLengthTest, TwoResourcesShareTheLastDay) {
    ATask* t = leaf(12.0f);
    ATaskResource* a = assign(t, resource("A"));
    ATaskResource* b = assign(t, resource("B"));
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), 0.75f);
    EXPECT_THAT(usedHours(a), ElementsAre(FloatEq(6.0f)));
    EXPECT_THAT(usedHours(b), ElementsAre(FloatEq(6.0f)));
    EXPECT_FLOAT_EQ(a->resourceUsage().front()->hours(), 8.0f);
}

TEST_F(TaskLengthTest, RecomputationReplacesUsageRecords) {
    ATask* t = leaf(16.0f);
    ATaskResource* a = assign(t, resource());
    engine.calcDaysForTask(t);
    ASSERT_EQ(a->resourceUsage().size(), 2u);
    t->set(&ATask::hours, 8.0f);
    t->set(&ATask::invalid, true);
    engine.calcDaysForTask(t);
    EXPECT_EQ(a->resourceUsage().size(), 1u);
    EXPECT_EQ(store.count(Entity::AResourceUsage), 1u);
}

TEST_F(TaskLengthTest, FixedElapsedTimeKeepsItsLengthButRebuildsUsage) {
    ATask* t = leaf(16.0f);
    t->set(&ATask::adjustElapsed, false);
    t->set(&ATask::elapsedTime, 5.0f);
    ATaskResource* a = assign(t, resource());
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), 5.0f);
    EXPECT_FALSE(t->invalid());
    EXPECT_FLOAT_EQ(t->elapsedTime(), 5.0f);
    EXPECT_EQ(a->resourceUsage().size(), 2u);
}

TEST_F(TaskLengthTest, NoWork) {
    ATask* t = leaf(0.0f);
    ATaskResource* a = assign(t, resource());
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), 0.0f);
    EXPECT_TRUE(a->resourceUsage().empty());
}

TEST_F(TaskLengthTest, NegativeWorkGivesTheFormulasNegativeTime) {
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(leaf(-8.0f)), -1.0f);
}

TEST_F(TaskLengthTest, CalendarWithoutWorkingHoursStopsAfterAYearAndNamesTheTask) {
    Resource* idle = resource();
    for (int d = 0; d < 7; ++d)
        calendars.setHoursForWeekday(d, idle->cal(), 0.0f);
    ATask* t = leaf(8.0f, 0.5f);
    ATaskResource* a = assign(t, idle);
    const float days = engine.calcDaysForTask(t);
    // The walk gives up once a year and a day went by without an hour of work; the days it
    // walked keep their usage records.
    constexpr int kWalked = TaskLengthCalc::kMaxIdleDays + 1;
    EXPECT_FLOAT_EQ(days, kWalked - 0.5f);
    EXPECT_EQ(a->resourceUsage().size(), static_cast<std::size_t>(kWalked));
    EXPECT_THAT(engine.unfinishableTasks(), ElementsAre(t));

    for (int d = 0; d < 7; ++d)
        calendars.setHoursForWeekday(d, base(), 0.0f);
    ATask* u = leaf(8.0f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(u), static_cast<float>(kWalked));
    EXPECT_THAT(engine.unfinishableTasks(), ElementsAre(t, u));

    // Once its calendar works again the task finishes and is no longer named.
    calendars.setHoursForWeekday(1, idle->cal(), 8.0f);
    engine.invalidateTask(t, false);
    EXPECT_LT(engine.calcDaysForTask(t), 8.0f);
    EXPECT_THAT(engine.unfinishableTasks(), ElementsAre(u));
}

TEST_F(TaskLengthTest, WorkBeyondAHundredYearsOfCalendarIsUnfinishableWithoutAWalk) {
    constexpr float kBound = TaskLengthCalc::kMaxWalkDays;
    ATask* t = leaf(3.4e38f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), kBound);
    ATask* u = leaf(2147483647.0f, 0.5f);
    ATaskResource* a = assign(u, resource(), 50.0f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(u), kBound - 0.5f);
    // No hundred years of usage records for a work nobody can do.
    EXPECT_TRUE(a->resourceUsage().empty());
    EXPECT_THAT(engine.unfinishableTasks(), ElementsAre(t, u));
    EXPECT_TRUE(engine.workBeyondReach(t));
    EXPECT_TRUE(engine.workBeyondReach(u));

    // Less work becomes reachable again and the task is no longer named.
    u->set(&ATask::hours, 80.0f);
    engine.invalidateTask(u, false);
    EXPECT_LT(engine.calcDaysForTask(u), 30.0f);
    EXPECT_FALSE(a->resourceUsage().empty());
    EXPECT_THAT(engine.unfinishableTasks(), ElementsAre(t));
    EXPECT_FALSE(engine.workBeyondReach(u));
}

TEST_F(TaskLengthTest, OneLongDayBringsLargeWorkWithinReachOfTheWalk) {
    // A single exception of a billion hours could give the work; the walk decides.
    exception(base(), dayDate(3), 1e9f);
    ATask* t = leaf(1e9f);
    // Three 8-hour days, then the long one (the float sum rounds the 24 hours away).
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(t), 4.0f);
    EXPECT_TRUE(engine.unfinishableTasks().empty());
    // Beyond that one day the float sum no longer grows: the idle rule ends the walk.
    ATask* u = leaf(2e9f);
    EXPECT_GT(engine.calcDaysForTask(u), static_cast<float>(TaskLengthCalc::kMaxIdleDays));
    EXPECT_THAT(engine.unfinishableTasks(), ElementsAre(u));
    EXPECT_FALSE(engine.workBeyondReach(u));
}

TEST_F(TaskLengthTest, SummarySpansItsSubtasks) {
    ATask* a = leaf(8.0f, 2.0f, "A");
    ATask* b = leaf(16.0f, 5.0f, "B"); // Saturday 7 March: ends on the Tuesday, day 9
    a->set(&ATask::percComp, 50.0f);
    b->set(&ATask::percComp, 100.0f);
    ATask* s = summaryOf({a, b});
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(s), 7.0f);
    EXPECT_FLOAT_EQ(s->elapsedTime(), 7.0f);
    EXPECT_FLOAT_EQ(s->hours(), 24.0f);
    EXPECT_FLOAT_EQ(s->percComp(), 75.0f);
    EXPECT_FALSE(a->invalid());
    EXPECT_FALSE(b->invalid());
}

TEST_F(TaskLengthTest, NestedSummaryContributesItsFreshWork) {
    ATask* inner = summaryOf({leaf(8.0f, 0.0f, "a"), leaf(8.0f, 1.0f, "b")}, "inner");
    ATask* outer = summaryOf({inner, leaf(16.0f, 0.0f, "c")}, "outer");
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(outer), 2.0f);
    EXPECT_FLOAT_EQ(inner->hours(), 16.0f);
    EXPECT_FLOAT_EQ(outer->hours(), 32.0f);
}

TEST_F(TaskLengthTest, DeepOutlineRollsUpWithoutRecursion) {
    ATask* bottom = leaf(8.0f);
    ATask* top = bottom;
    for (int i = 0; i < 20'000; ++i)
        top = summaryOf({top});
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(top), 1.0f);
    EXPECT_FLOAT_EQ(top->hours(), 8.0f);
}

TEST_F(TaskLengthTest, InverseMatchesForwardForWholeDayStarts) {
    ATask* t = leaf(16.0f, kFriday);
    ATaskResource* a = assign(t, resource());
    const float days = engine.calcDaysForTask(t);
    ASSERT_FLOAT_EQ(days, 4.0f);
    const std::vector<float> forwardUsage = usedHours(a);
    EXPECT_FLOAT_EQ(engine.invDaysForTaskCalc(t, days * 8.0f, kFriday), 16.0f);
    EXPECT_EQ(usedHours(a), forwardUsage);
    EXPECT_FLOAT_EQ(t->daysTillEnd(), 8.0f);

    ATask* plain = leaf(12.0f, 1.0f);
    const float plainDays = engine.calcDaysForTask(plain);
    EXPECT_FLOAT_EQ(engine.invDaysForTaskCalc(plain, plainDays * 8.0f, 1.0f), 12.0f);
}

TEST_F(TaskLengthTest, InverseFixesTheElapsedTimeOnlyWhenItDoesNotAdjust) {
    ATask* t = leaf(8.0f);
    engine.calcDaysForTask(t);
    EXPECT_FLOAT_EQ(engine.invDaysForTaskCalc(t, 24.0f, 0.0f), 24.0f);
    EXPECT_FLOAT_EQ(t->elapsedTime(), 1.0f);
    t->set(&ATask::adjustElapsed, false);
    engine.invDaysForTaskCalc(t, 24.0f, 0.0f);
    EXPECT_FLOAT_EQ(t->elapsedTime(), 3.0f);
    // A start of 2.25 weighs its first day by the share already past, and the last day
    // (a short Friday) by what is left of the period.
    exception(base(), dayDate(4), 4.0f);
    ATask* late = leaf(0.0f, 2.25f);
    EXPECT_FLOAT_EQ(engine.invDaysForTaskCalc(late, 16.0f, 2.25f), 0.25f * 8 + 8 + 0.75f * 4);
}

TEST_F(TaskLengthTest, AnnouncesRewrittenValues) {
    int posts = 0;
    NotificationObserver o(kProjectValuesChanged, &engine, [&](const Notification&) { ++posts; });
    ATask* t = leaf(8.0f);
    engine.calcDaysForTask(t);
    EXPECT_EQ(posts, 1);
    engine.calcDaysForTask(t);
    EXPECT_EQ(posts, 1) << "a valid task is answered from its stored value";
}

TEST_F(TaskLengthTest, ResourceWednesdayHoursLengthenOnlyItsTasks) {
    Resource* r = resource();
    ATask* staffed = leaf(24.0f);
    assign(staffed, r);
    ATask* other = leaf(24.0f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(staffed), 3.0f);
    calendars.setHoursForWeekday(3, r, 0.0f);
    staffed->set(&ATask::invalid, true);
    other->set(&ATask::invalid, true);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(staffed), 4.0f);
    EXPECT_FLOAT_EQ(engine.calcDaysForTask(other), 3.0f);
}

} // namespace
} // namespace mapolt
