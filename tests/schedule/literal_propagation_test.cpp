#include "support/literal_propagation.h"
#include "support/schedule_builder.h"

#include "model/entities.h"

#include <gtest/gtest.h>

namespace mapolt::testing {
namespace {

// The reference propagation on the documented cases, on a calendar that works 8 hours every
// day, so that a task's days are its hours / 8 and a week end changes nothing.
// Run against the reference and against the engine itself.
class LiteralPropagationTest : public ::testing::TestWithParam<bool> {
  protected:
    LiteralPropagationTest()
        : literal(fx.store, fx.engine, LiteralPropagation::WalkOrder::Stored),
          rules(GetParam() ? static_cast<ScheduleEngine&>(literal) : fx.engine) {
        for (int weekday = 0; weekday < 7; ++weekday)
            fx.calendars.setHoursForWeekday(weekday, fx.base(), 8.0f);
    }

    ATask* task(float days, float start) {
        ATask* t = fx.leaf(days * 8.0f, start);
        fx.engine.calcDaysForTask(t);
        return t;
    }
    DepLink* link(ATask* from, ATask* to, bool sticky = false, double lag = 0.0) {
        auto* l = fx.store.insert<DepLink>();
        l->set(&DepLink::sticky, sticky);
        l->set(&DepLink::daysBetween, lag);
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::dependTask, from);
        return l;
    }
    // The work edit of an editing command: new work, then the queue run.
    void changeWork(ATask* t, float days) {
        const float s0 = t->daysFromStart();
        const float e0 = s0 + t->elapsedTime();
        t->set(&ATask::hours, days * 8.0f);
        rules.invalidateTask(t, false);
        rules.calcDaysForTask(t);
        rules.addInvalidTask(
            InvalidTask{.task = t,
                        .bumpAmountStart = t->daysFromStart() - s0,
                        .bumpAmountEnd = t->daysFromStart() + t->elapsedTime() - e0,
                        .root = true});
        rules.recalcFromInvalids();
    }
    void changeStart(ATask* t, float start) {
        const float s0 = t->daysFromStart();
        t->set(&ATask::daysFromStart, start);
        rules.addInvalidTask(InvalidTask{
            .task = t, .bumpAmountStart = start - s0, .bumpAmountEnd = start - s0, .root = true});
        rules.recalcFromInvalids();
    }

    ScheduleFixture fx;
    LiteralPropagation literal;
    ScheduleEngine& rules;
};

TEST_P(LiteralPropagationTest, ChainFollowsAGrowingHead) {
    ATask* a = task(2, 0);
    ATask* b = task(1, 2);
    ATask* d = task(1, 3);
    link(a, b);
    link(b, d);
    changeWork(a, 4);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 4.0f);
    EXPECT_FLOAT_EQ(d->daysFromStart(), 5.0f);
}

TEST_P(LiteralPropagationTest, SuccessorFollowsOnlyItsLatestPredecessor) {
    ATask* a = task(10, 0);
    ATask* p = task(12, 0);
    ATask* b = task(1, 12);
    link(a, b);
    link(p, b);
    changeWork(a, 11);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 12.0f);
    changeWork(a, 13);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 13.0f);
    changeWork(a, 9);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 13.0f);
}

TEST_P(LiteralPropagationTest, StickyLagIsKeptPlainLinkPullsBack) {
    ATask* a = task(10, 0);
    ATask* b = task(1, 12);
    link(a, b, true, 2.0);
    changeWork(a, 8);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 10.0f);

    ATask* c = task(2, 20);
    ATask* e = task(1, 25);
    link(c, e);
    changeWork(c, 3);
    EXPECT_FLOAT_EQ(e->daysFromStart(), 23.0f);
}

TEST_P(LiteralPropagationTest, LockedSuccessorStaysAndStopsThePass) {
    ATask* a = task(2, 0);
    ATask* b = task(1, 2);
    ATask* d = task(1, 3);
    b->set(&ATask::lockedStart, true);
    link(a, b);
    link(b, d);
    changeWork(a, 5);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 2.0f);
    EXPECT_FLOAT_EQ(d->daysFromStart(), 3.0f);
}

TEST_P(LiteralPropagationTest, SummaryCarriesItsSubtasksExceptLockedOnes) {
    ATask* u = task(2, 3);
    ATask* v = task(2, 6);
    ATask* w = task(1, 4);
    w->set(&ATask::lockedStart, true);
    ATask* g = fx.summaryOf({u, v, w});
    fx.engine.calcDaysForTask(g);
    changeStart(g, 10);
    EXPECT_FLOAT_EQ(u->daysFromStart(), 10.0f);
    EXPECT_FLOAT_EQ(v->daysFromStart(), 13.0f);
    EXPECT_FLOAT_EQ(w->daysFromStart(), 4.0f);
}

TEST_P(LiteralPropagationTest, OnlySubtaskMovesItsSummaryAndTheSummarysLinks) {
    ATask* u = task(2, 3);
    ATask* g = fx.summaryOf({u});
    fx.engine.calcDaysForTask(g);
    ATask* after = task(1, 5);
    link(g, after);
    changeStart(u, 7);
    EXPECT_FLOAT_EQ(g->daysFromStart(), 7.0f);
    EXPECT_FLOAT_EQ(after->daysFromStart(), 9.0f);
}

TEST_P(LiteralPropagationTest, EndAtOrBelowZeroMovesNothing) {
    ATask* a = task(0, 0);
    ATask* b = task(1, 4);
    link(a, b);
    changeWork(a, 0);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 4.0f);
}

// Both predecessors end at 2: the successor follows them, from later and from earlier.
TEST_P(LiteralPropagationTest, PredecessorsEndingOnTheSameDayPlaceTheSuccessor) {
    ATask* a = task(2, 0);
    ATask* b = task(2, 0);
    ATask* later = task(1, 5);
    ATask* earlier = task(1, 0);
    for (ATask* s : {later, earlier}) {
        link(a, s);
        link(b, s);
    }
    changeWork(a, 2);
    EXPECT_FLOAT_EQ(later->daysFromStart(), 2.0f);
    EXPECT_FLOAT_EQ(earlier->daysFromStart(), 2.0f);
}

// A locked subtask starting first does not anchor its summary's move, so running the same
// edit again moves nothing.
TEST_P(LiteralPropagationTest, LockedEarliestSubtaskDoesNotShiftTheOthersOnEveryRun) {
    ATask* a = task(3, 0);
    ATask* h1 = task(1, 0);
    ATask* h2 = task(1, 1);
    h2->set(&ATask::lockedStart, true);
    ATask* h = fx.summaryOf({h1, h2});
    fx.engine.calcDaysForTask(h);
    link(a, h);
    for (int run = 0; run < 3; ++run) {
        changeWork(a, 3);
        EXPECT_FLOAT_EQ(h1->daysFromStart(), 3.0f) << "run " << run;
        EXPECT_FLOAT_EQ(h2->daysFromStart(), 1.0f);
    }
}

// A subtask with a predecessor is placed by it; it does not anchor the summary's move either.
TEST_P(LiteralPropagationTest, LinkedSubtaskDoesNotAnchorItsSummarysMove) {
    ATask* a = task(10, 0);
    ATask* q = task(12, 0);
    ATask* u = task(1, 0);
    ATask* v = task(1, 1);
    ATask* g = fx.summaryOf({u, v});
    fx.engine.calcDaysForTask(g);
    link(q, u);
    link(a, g);
    changeWork(a, 10);
    EXPECT_FLOAT_EQ(v->daysFromStart(), 10.0f);
}

INSTANTIATE_TEST_SUITE_P(ReferenceAndEngine, LiteralPropagationTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Reference" : "Engine"; });

} // namespace
} // namespace mapolt::testing
