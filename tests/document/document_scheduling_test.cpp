#include "document/kestil_planner_document.h"
#include "model/entities.h"
#include "model/notification_center.h"
#include "model/preferences.h"
#include "schedule/task_editing.h"
#include "support/notification_recorder.h"

#include <gtest/gtest.h>

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

    DocumentSchedulingTest() {
        doc.project()->set(&Project::startDate, civil::fromYmd(2026, 3, 5));
    }

    ATask* task(float hours) {
        ATask* t = doc.taskHelper().addEndTask(0);
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

} // namespace
} // namespace mapolt
