#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/preferences.h"
#include "schedule/task_editing.h"
#include "support/fake_alert_presenter.h"
#include "support/notification_recorder.h"

#include <gtest/gtest.h>

#include <string>

namespace mapolt {
namespace {

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

// A new document whose project starts on Thursday 5 March 2026; the clocks go forward on
// the Sunday after, inside most of the tasks below.
struct DocumentSchedulingTest : ::testing::Test {
    MemoryPreferences preferences;
    KestilPlannerDocument doc{preferences};
    int made = 0;

    DocumentSchedulingTest() {
        doc.project()->set(&Project::startDate, civil::fromYmd(2026, 3, 5));
    }

    ATask* task(float hours) {
        ATask* t = doc.taskHelper().addEndTask(0);
        t->setName("Task " + std::to_string(++made));
        changeWork(doc.taskLengthCalc(), t, hours);
        return t;
    }
};

TEST_F(DocumentSchedulingTest, LinksMadeThroughTheOutlinePlaceTheSuccessorAndEditsMoveIt) {
    ATask* a = task(16.0f);
    ATask* b = task(8.0f);
    EXPECT_FLOAT_EQ(a->elapsedTime(), 2.0f);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(a, b), 0);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 2.0f);

    changeWork(doc.taskLengthCalc(), a, 24.0f);
    EXPECT_FLOAT_EQ(a->elapsedTime(), 5.0f) << "Thursday, Friday, the weekend, Monday";
    EXPECT_FLOAT_EQ(b->daysFromStart(), 5.0f);

    doc.store().undoManager().undo();
    EXPECT_FLOAT_EQ(a->elapsedTime(), 2.0f);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 2.0f) << "the edit and its propagation undo together";
}

TEST_F(DocumentSchedulingTest,
       AResourcesFreeWednesdayLengthensOnlyItsTasksAndMovesTheirSuccessors) {
    ATask* assigned = task(40.0f);
    ATask* successor = task(8.0f);
    ATask* other = task(40.0f);
    Resource* r = doc.resourceHelper().getNewResource(std::string("Ann"));
    doc.resourceHelper().addResource(r, assigned);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(assigned, successor), 0);
    EXPECT_FLOAT_EQ(endOf(assigned), 7.0f) << "Thursday to the Wednesday after";
    EXPECT_FLOAT_EQ(successor->daysFromStart(), 7.0f);

    testing::NotificationRecorder changed(kProjectChanged);
    doc.calandarAccess().setHoursForWeekday(3, r, 0.0f);

    EXPECT_FLOAT_EQ(endOf(assigned), 8.0f) << "the Wednesday is skipped, Thursday finishes it";
    EXPECT_FLOAT_EQ(successor->daysFromStart(), 8.0f) << "placed at once, not at the next edit";
    EXPECT_FLOAT_EQ(endOf(other), 7.0f);
    EXPECT_GE(changed.countFrom(&doc), 1u);
}

TEST_F(DocumentSchedulingTest, AHolidayOnTheBaseCalendarReschedulesEveryTaskCrossingIt) {
    ATask* a = task(24.0f);
    ATask* b = task(8.0f);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(a, b), 0);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 5.0f);

    auto* monday = doc.store().insert<Day>();
    monday->set(&Day::date, civil::fromYmd(2026, 3, 9));
    monday->set(&Day::hours, 0.0f);
    monday->set(&Day::cal, doc.calandarAccess().getBaseCalandar());
    NotificationCenter::defaultCenter().post(kRecalcProject, nullptr);

    EXPECT_FLOAT_EQ(endOf(a), 6.0f);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 6.0f);
}

TEST_F(DocumentSchedulingTest, IndentUnderALinkedTaskDropsTheLinkAndRollsTheSummaryUp) {
    ATask* a = task(16.0f);
    ATask* b = task(24.0f);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(a, b), 0);
    doc.taskHelper().makeSubTask({b});
    ASSERT_EQ(b->superTask(), a);
    EXPECT_TRUE(a->dependTasks().empty()) << "a summary cannot lead to its own subtask";
    EXPECT_TRUE(b->dependeeTasks().empty());
    doc.taskLengthCalc().calcDaysForTask(a);
    EXPECT_FLOAT_EQ(a->hours(), 24.0f) << "the summary's work is its subtask's";
    EXPECT_FLOAT_EQ(endOf(a), endOf(b));
}

TEST_F(DocumentSchedulingTest, OutdentThatAdoptsALinkedSiblingDropsTheLink) {
    ATask* s = task(8.0f);
    ATask* b = task(8.0f);
    ATask* c = task(8.0f);
    doc.taskHelper().makeSubTask({b, c});
    ASSERT_EQ(b->superTask(), s);
    ASSERT_EQ(c->superTask(), s);
    ASSERT_EQ(b->nextSibling(), c);
    ASSERT_EQ(doc.taskHelper().makeDepenantFrom(b, c), 0);
    EXPECT_FLOAT_EQ(c->daysFromStart(), b->daysFromStart() + 1.0f);
    doc.taskHelper().makeSuperTask({b});
    ASSERT_EQ(c->superTask(), b);
    ASSERT_EQ(b->superTask(), nullptr);
    EXPECT_TRUE(b->dependTasks().empty());
    EXPECT_TRUE(s->subTasks.empty());
}

TEST_F(DocumentSchedulingTest, AssigningAResourceTwiceAsksTheDocumentsAlertPresenter) {
    ATask* t = task(16.0f);
    Resource* r = doc.resourceHelper().getNewResource(std::string("Ann"));
    testing::FakeAlertPresenter alerts;
    doc.setAlertPresenter(&alerts);
    doc.resourceHelper().addResource(r, t);
    alerts.answers = {"Cancel"};
    doc.resourceHelper().addResource(r, t);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "You are adding multiple resources");
    EXPECT_EQ(t->resources.size(), 1u);

    doc.setAlertPresenter(nullptr);
    doc.resourceHelper().addResource(r, t);
    EXPECT_EQ(t->resources.size(), 2u) << "without a presenter nothing is asked";
}

} // namespace
} // namespace mapolt
