#include "schedule/resource_helper.h"

#include "model/entities.h"
#include "model/notification_center.h"
#include "schedule/resource_usage_query.h"
#include "schedule/resource_view_controller.h"
#include "support/fake_alert_presenter.h"
#include "support/notification_recorder.h"
#include "support/schedule_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mapolt {
namespace {

using ::testing::ElementsAre;
using ::testing::FloatEq;

// Day 4 of the project is Friday 6 March 2026, two days before the clocks go forward.
constexpr float kFriday = 4.0f;

struct ResourceTest : ::testing::Test, testing::ScheduleFixture {
    testing::FakeAlertPresenter alerts;
    DuplicateResourceQuestion question{alerts};
    ResourceHelper helper{store};

    ResourceTest() {
        helper.setCA(&calendars);
        helper.setTaskLengthCalc(&engine);
        helper.setDelegate(&question);
    }
    // A task of `hours` hours with its duration computed and stored.
    ATask* placed(float hours, float start = 0.0f) {
        ATask* t = leaf(hours, start);
        engine.calcDaysForTask(t);
        return t;
    }
    static std::vector<float> usageDays(const ATaskResource* a) {
        std::vector<float> out;
        for (const AResourceUsage* u : a->resourceUsage)
            out.push_back(u->daysFromStart());
        return out;
    }
    static std::vector<float> usedHours(const ATaskResource* a) {
        std::vector<float> out;
        for (const AResourceUsage* u : a->resourceUsage)
            out.push_back(u->usedHours());
        return out;
    }
};

TEST_F(ResourceTest, ANewResourceFollowsTheBaseCalendarThroughItsOwn) {
    testing::NotificationRecorder changed(kProjectChanged);
    Resource* r = helper.getNewResource(std::string("Resource Name"));
    EXPECT_EQ(r->initials(), "RN");
    ASSERT_NE(r->cal(), nullptr);
    EXPECT_EQ(r->cal()->superCalandar(), base());
    EXPECT_EQ(r->cal()->resource(), r);
    EXPECT_TRUE(r->cal()->weekWork.empty());
    EXPECT_TRUE(r->cal()->workingDays.empty());
    std::vector<float> week;
    for (int d = 0; d < 7; ++d)
        week.push_back(calendars.hoursForWeekday(d, r));
    EXPECT_THAT(week, ElementsAre(0, 8, 8, 8, 8, 8, 0));
    EXPECT_EQ(changed.countFrom(&helper), 1u);

    Resource* unnamed = helper.getNewResource(std::nullopt);
    EXPECT_TRUE(unnamed->name.absent());
    EXPECT_NE(unnamed->cal(), r->cal());
}

TEST_F(ResourceTest, InitialsAreTheFirstCharactersOfTheWords) {
    const auto initials = [&](const std::string& name) {
        return helper.getNewResource(name)->initials();
    };
    EXPECT_EQ(initials("Resource Name"), "RN");
    EXPECT_EQ(initials("Plumber"), "P");
    EXPECT_EQ(initials("Ana Maria Lima"), "AML");
    EXPECT_EQ(initials("  Site  Crew"), "SC");
    EXPECT_EQ(initials("\xc3\x89lise \xc3\x91u"), "\xc3\x89\xc3\x91");
    EXPECT_EQ(initials(""), "");
    Resource* r = helper.getNewResource(std::string("Old Name"));
    r->setName(std::string("Brand New Team"));
    EXPECT_EQ(r->initials(), "BNT");
}

TEST_F(ResourceTest, ANameIsOnlyCreatedOnce) {
    Resource* first = helper.getNewResourceIfDoesNotExist("Crew");
    EXPECT_EQ(helper.getNewResourceIfDoesNotExist("Crew"), first);
    EXPECT_NE(helper.getNewResourceIfDoesNotExist("Crew B"), first);
    EXPECT_EQ(store.count(Entity::Resource), 2u);
}

TEST_F(ResourceTest, OneFullTimeResourceWorksASixteenHourTaskOverTwoDays) {
    ATask* t = placed(16.0f);
    ATaskResource* a = helper.addResource(helper.getNewResource(std::string("A")), t);
    EXPECT_FLOAT_EQ(a->perc(), 100.0f);
    EXPECT_EQ(a->task(), t);
    EXPECT_THAT(usageDays(a), ElementsAre(0.0f, 1.0f));
    EXPECT_THAT(usedHours(a), ElementsAre(FloatEq(8.0f), FloatEq(8.0f)));
    EXPECT_FLOAT_EQ(t->elapsedTime(), 2.0f);
    EXPECT_FALSE(t->invalid());

    ATaskResource* b = helper.addResource(helper.getNewResource(std::string("B")), t);
    EXPECT_FLOAT_EQ(t->elapsedTime(), 1.0f);
    EXPECT_THAT(usedHours(a), ElementsAre(FloatEq(8.0f)));
    EXPECT_THAT(usedHours(b), ElementsAre(FloatEq(8.0f)));
    EXPECT_EQ(store.count(Entity::AResourceUsage), 2u);
}

TEST_F(ResourceTest, UsageRunsOverTheWeekendAcrossTheClockChange) {
    ATask* t = placed(16.0f, kFriday);
    ATaskResource* a = helper.addResource(helper.getNewResource(std::string("A")), t);
    // A record for every calendar day the task runs; the weekend ones carry no work.
    EXPECT_THAT(usageDays(a), ElementsAre(4.0f, 5.0f, 6.0f, 7.0f));
    EXPECT_THAT(usedHours(a),
                ElementsAre(FloatEq(8.0f), FloatEq(0.0f), FloatEq(0.0f), FloatEq(8.0f)));
    EXPECT_FLOAT_EQ(t->elapsedTime(), 4.0f);
}

TEST_F(ResourceTest, ADuplicateIsAddedOnlyWhenTheUserSaysOK) {
    ATask* t = placed(8.0f);
    Resource* r = helper.getNewResource(std::string("A"));
    ATaskResource* first = helper.addResource(r, t);
    EXPECT_TRUE(alerts.shown.empty());

    alerts.answers = {"Cancel"};
    EXPECT_EQ(helper.addResource(r, t), first);
    EXPECT_EQ(t->resources.size(), 1u);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "You are adding multiple resources");
    EXPECT_EQ(alerts.shown[0].informativeText, "Are you sure you want to do this?");
    EXPECT_THAT(alerts.shown[0].buttons, ElementsAre("OK", "Cancel"));
    EXPECT_EQ(alerts.shown[0].style, AlertStyle::Warning);

    alerts.answers = {"OK"};
    EXPECT_NE(helper.addResource(r, t), first);
    EXPECT_EQ(t->resources.size(), 2u);

    helper.setDelegate(nullptr);
    helper.addResource(r, t);
    EXPECT_EQ(t->resources.size(), 3u);
    EXPECT_EQ(alerts.shown.size(), 2u);
}

TEST_F(ResourceTest, AnAssignmentThatLengthensATaskMovesItsSuccessors) {
    ATask* a = placed(16.0f);
    ATask* b = placed(8.0f, 2.0f);
    auto* l = store.insert<DepLink>();
    l->set(&DepLink::dependTask, a);
    l->set(&DepLink::dependeeTask, b);
    Resource* r = helper.getNewResource(std::string("Part-timer"));
    calendars.setHoursForWeekday(2, r, 0.0f);
    store.flushPendingChanges();
    store.undoManager().removeAllActions();

    helper.addResource(r, a);
    // Monday, then Tuesday off, then Wednesday: A ends after day 3 and B follows.
    EXPECT_FLOAT_EQ(a->elapsedTime(), 3.0f);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 3.0f);

    store.undoManager().undo();
    EXPECT_TRUE(a->resources.empty());
    EXPECT_FLOAT_EQ(b->daysFromStart(), 2.0f);
}

TEST_F(ResourceTest, AGivenShareShapesTheTaskFromTheStart) {
    ATask* a = placed(16.0f);
    ATask* b = placed(8.0f, 2.0f);
    auto* l = store.insert<DepLink>();
    l->set(&DepLink::dependTask, a);
    l->set(&DepLink::dependeeTask, b);
    Resource* r = helper.getNewResource(std::string("Half"));
    store.flushPendingChanges();

    ATaskResource* half = helper.addResource(r, a, 50.0f);
    EXPECT_FLOAT_EQ(half->perc(), 50.0f);
    // Four hours a day from Monday to Thursday; a share applied only after the first
    // computation would have built the usage of a one-percent task first.
    EXPECT_FLOAT_EQ(a->elapsedTime(), 4.0f);
    EXPECT_THAT(usedHours(half),
                ElementsAre(FloatEq(4.0f), FloatEq(4.0f), FloatEq(4.0f), FloatEq(4.0f)));
    EXPECT_FLOAT_EQ(b->daysFromStart(), 4.0f);

    // Several assignments, one computation.
    ATask* c = placed(16.0f, 10.0f);
    helper.insertAssignment(r, c, 100.0f);
    helper.insertAssignment(helper.getNewResource(std::string("Other")), c, 100.0f);
    EXPECT_EQ(r->resourceUsage.size(), 4u);
    helper.recomputeAssignedTask(c);
    EXPECT_FLOAT_EQ(c->elapsedTime(), 1.0f);
    EXPECT_EQ(store.count(Entity::AResourceUsage), 6u);
}

TEST_F(ResourceTest, RemovingAnAssignmentDeletesItsUsageAndLeavesSuccessors) {
    ATask* a = placed(16.0f);
    ATask* b = placed(8.0f, 2.0f);
    auto* l = store.insert<DepLink>();
    l->set(&DepLink::dependTask, a);
    l->set(&DepLink::dependeeTask, b);
    Resource* one = helper.getNewResource(std::string("One"));
    Resource* two = helper.getNewResource(std::string("Two"));
    helper.addResource(one, a);
    ATaskResource* second = helper.addResource(two, a);
    ASSERT_FLOAT_EQ(a->elapsedTime(), 1.0f);
    const float successorStart = b->daysFromStart();
    testing::NotificationRecorder changed(kProjectChanged);
    helper.removeAssignment(second);
    EXPECT_TRUE(second->isDeleted());
    EXPECT_EQ(a->resources.size(), 1u);
    EXPECT_TRUE(two->resourceUsage.empty());
    EXPECT_EQ(store.count(Entity::AResourceUsage), 2u);
    EXPECT_FLOAT_EQ(a->elapsedTime(), 2.0f);
    EXPECT_FLOAT_EQ(b->daysFromStart(), successorStart);
    EXPECT_EQ(changed.countFrom(&helper), 1u);
}

TEST_F(ResourceTest, AResourcesFreeWednesdayLengthensOnlyItsTasksAfterRecalc) {
    ResourceViewController window(helper, calendars, dayDate(0));
    Resource* r = window.addResource();
    ATask* assigned = placed(24.0f);
    ATask* other = placed(24.0f);
    helper.addResource(r, assigned);
    ASSERT_FLOAT_EQ(assigned->elapsedTime(), 3.0f);
    // What the chart window does on RecalcProject: every task read again.
    NotificationObserver recalc(kRecalcProject, nullptr, [&](const Notification&) {
        engine.invalidateProject(store);
        for (ATask* t : store.fetch<ATask>())
            engine.calcDaysForTask(t);
    });
    window.setSelection({r});
    window.setHoursForWednesday(0.0f);
    EXPECT_FLOAT_EQ(window.hoursForWednesday(), 0.0f);
    EXPECT_FLOAT_EQ(window.hoursForThursday(), 8.0f);
    EXPECT_FLOAT_EQ(assigned->elapsedTime(), 4.0f);
    EXPECT_FLOAT_EQ(other->elapsedTime(), 3.0f);
    EXPECT_FLOAT_EQ(calendars.hoursForWeekday(3, base()).hours, 8.0f);
}

TEST_F(ResourceTest, TheWindowEditsTheSelectedResourcesDaysAndColour) {
    ResourceViewController window(helper, calendars, dayDate(2));
    testing::NotificationRecorder changed(kProjectChanged);
    testing::NotificationRecorder recalc(kRecalcProject);
    Resource* r = window.addResource();
    EXPECT_EQ(r->name(), "Resource Name");
    EXPECT_EQ(changed.countFrom(&window), 1u);
    Resource* other = helper.getNewResource(std::string("Other"));

    window.setSelection({r, other});
    EXPECT_EQ(window.selectedResource(), nullptr);
    window.setHoursForMonday(3.0f);
    window.setHoursForDay(2.0f);
    EXPECT_TRUE(r->cal()->weekWork.empty());
    EXPECT_EQ(recalc.senders.size(), 0u);

    window.setSelection({r});
    EXPECT_EQ(window.grid().resource(), r);
    EXPECT_FLOAT_EQ(window.hoursForDay(), 8.0f);
    window.setHoursForDay(5.0f);
    EXPECT_EQ(recalc.countFrom(&window), 1u);
    ASSERT_EQ(r->cal()->workingDays.size(), 1u);
    EXPECT_EQ((*r->cal()->workingDays.begin())->date(), dayDate(2));
    EXPECT_FLOAT_EQ(calendars.hoursForDay(dayDate(2), r).hours, 5.0f);
    EXPECT_FLOAT_EQ(calendars.hoursForDay(dayDate(2), other).hours, 8.0f);

    EXPECT_EQ(window.resourceColour(), std::nullopt);
    window.setResourceColour({0.25f, 0.5f, 0.75f, 1.0f});
    Colour* made = r->colour();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(window.resourceColour(), (ResourceColour{0.25f, 0.5f, 0.75f, 1.0f}));
    window.setResourceColour({1.0f, 0.0f, 0.0f, 0.5f});
    EXPECT_EQ(r->colour(), made);
    EXPECT_FLOAT_EQ(made->alpha(), 0.5f);
    EXPECT_EQ(store.count(Entity::Colour), 1u);
    EXPECT_EQ(changed.countFrom(&window), 3u);
}

TEST_F(ResourceTest, UsageQuerySumsEachDayOfAResource) {
    Resource* r = helper.getNewResource(std::string("Crew"));
    Resource* namesake = helper.getNewResource(std::string("Crew"));
    helper.addResource(r, placed(16.0f));
    ATask* half = placed(4.0f, 1.0f);
    helper.addResource(r, half);
    helper.addResource(namesake, placed(8.0f, 1.0f));
    ResourceUsageQuery query(store);
    EXPECT_THAT(query.usageFor(r, 0.0f, 10.0f),
                ElementsAre(DayUsage{0.0f, 8.0f, 8.0f}, DayUsage{1.0f, 12.0f, 8.0f}));
    EXPECT_FLOAT_EQ(query.usageFor(r, 1.0f, 1.0f).at(0).load(), 1.5f);
    // The namesake keeps its own load.
    EXPECT_THAT(query.usageFor(namesake, 0.0f, 10.0f), ElementsAre(DayUsage{1.0f, 8.0f, 8.0f}));
    EXPECT_TRUE(query.usageFor(r, 2.0f, 10.0f).empty());

    // A day without working hours has no load; a change shows in the next query.
    exception(r->cal(), dayDate(5), 0.0f);
    ATask* weekend = placed(8.0f, 5.0f);
    helper.addResource(r, weekend);
    const std::vector<DayUsage> later = query.usageFor(r, 5.0f, 10.0f);
    ASSERT_FALSE(later.empty());
    EXPECT_FLOAT_EQ(later.front().day, 5.0f);
    EXPECT_FLOAT_EQ(later.front().hours, 0.0f);
    EXPECT_FLOAT_EQ(later.front().load(), 0.0f);
    EXPECT_TRUE(query.usageFor(nullptr, 0.0f, 10.0f).empty());
}

} // namespace
} // namespace mapolt
