#include "support/planner_fixture.h"
#include "support/store_image.h"

#include "model/entities.h"
#include "model/filters.h"

#include <gtest/gtest.h>

#include <string>

namespace mapolt::testing {
namespace {

// A small plan with two people over New York's switch to summer time (Sunday 8 March 2026),
// placed once; a holiday then moves every task, and the recalculation's undo and redo must
// bring back every record exactly as it was.
class RecalculationUndoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ann = fx.resource("Ann");
        bob = fx.resource("Bob");
        ATask* a = fx.task("A", 24.0f);
        fx.task("S", 0.0f, 3.0f);
        ATask* b = fx.task("B", 16.0f, 3.0f);
        ATask* c = fx.task("C", 40.0f, 4.0f);
        ATask* d = fx.task("D", 12.0f, 9.0f);
        fx.indent({b, c});
        fx.assign(a, ann);
        fx.assign(b, bob, 50.0f);
        both = fx.assign(c, ann);
        fx.assign(c, bob);
        fx.assign(d, bob);
        fx.link(a, b);
        fx.link(b, d);
        holiday(bob->cal(), 10);
        for (ATask* t : fx.store.fetch<ATask>())
            t->set(&ATask::adjustElapsed, true);
        recalculate();
        fx.store.undoManager().removeAllActions();
    }
    Day* holiday(Calandar* cal, int day) {
        auto* d = fx.store.insert<Day>();
        d->set(&Day::date, civil::addDays(fx.project->startDate(), day));
        d->set(&Day::hours, 0.0f);
        d->set(&Day::cal, cal);
        fx.calendars.clearCache();
        fx.store.flushPendingChanges();
        return d;
    }
    void recalculate() {
        {
            UndoCommandGroup command(fx.store.undoManager());
            fx.engine.invalidateProject(fx.store);
            fx.engine.recalcProject(fx.store);
        }
        fx.store.flushPendingChanges();
    }
    std::size_t usageCount() const { return fx.store.count(Entity::AResourceUsage); }

    PlannerFixture fx;
    Resource* ann = nullptr;
    Resource* bob = nullptr;
    ATaskResource* both = nullptr;
};

TEST_F(RecalculationUndoTest, UndoAndRedoOfAMovingRecalculationRestoreEveryRecord) {
    holiday(fx.calendars.getBaseCalandar(), 1);
    const std::string before = storeImage(fx.store);
    const std::size_t countBefore = usageCount();
    recalculate();
    const std::string after = storeImage(fx.store);
    ASSERT_NE(after, before);
    // Moving over the weekend changes how many days the assignments cover.
    EXPECT_NE(usageCount(), countBefore);

    fx.store.undoManager().undo();
    EXPECT_EQ(storeImage(fx.store), before);
    fx.store.undoManager().redo();
    EXPECT_EQ(storeImage(fx.store), after);
    fx.store.undoManager().undo();
    EXPECT_EQ(storeImage(fx.store), before);
}

TEST_F(RecalculationUndoTest, UndoingAndRedoingAgainAndAgainTakesNoMoreRoom) {
    holiday(fx.calendars.getBaseCalandar(), 1);
    recalculate();
    const std::string after = storeImage(fx.store);
    UndoManager& undo = fx.store.undoManager();
    undo.undo();
    undo.redo();
    const std::size_t words = undo.snapshotWordCount();
    for (int i = 0; i < 5; ++i) {
        undo.undo();
        undo.redo();
    }
    EXPECT_EQ(undo.snapshotWordCount(), words);
    EXPECT_EQ(storeImage(fx.store), after);
}

TEST_F(RecalculationUndoTest, AMovingRecalculationKeepsOneStepPerRewrittenAssignment) {
    holiday(fx.calendars.getBaseCalandar(), 1);
    recalculate();
    // A step per usage day would be three values, four links and the record itself.
    EXPECT_LT(fx.store.undoManager().recordedStepCount(), usageCount());
}

TEST_F(RecalculationUndoTest, RecalculationsThatEndWhereTheyStartedLeaveNoStep) {
    // The first one moves the ends last shown to the ends placed.
    recalculate();
    fx.store.undoManager().removeAllActions();
    recalculate();
    EXPECT_FALSE(fx.store.undoManager().canUndo());
}

TEST_F(RecalculationUndoTest, TwoRewritesAndARemovedAssignmentInOneGroupUndoExactly) {
    const std::string before = storeImage(fx.store);
    std::string after;
    {
        UndoCommandGroup command(fx.store.undoManager());
        holiday(fx.calendars.getBaseCalandar(), 1);
        fx.engine.invalidateProject(fx.store);
        fx.engine.recalcProject(fx.store);
        holiday(fx.calendars.getBaseCalandar(), 2);
        fx.engine.invalidateProject(fx.store);
        fx.engine.recalcProject(fx.store);
        fx.resources.removeAssignment(both);
        holiday(fx.calendars.getBaseCalandar(), 3);
        fx.engine.invalidateProject(fx.store);
        fx.engine.recalcProject(fx.store);
    }
    fx.store.flushPendingChanges();
    after = storeImage(fx.store);
    fx.store.undoManager().undo();
    EXPECT_EQ(storeImage(fx.store), before);
    fx.store.undoManager().redo();
    EXPECT_EQ(storeImage(fx.store), after);
}

// A day record deleted outside the engine between two rewrites of its assignment: the second
// rewrite replaces it, and the group must still undo and redo to the exact records.
TEST_F(RecalculationUndoTest, AUsageDayDeletedBetweenTwoRewritesUndoesExactly) {
    const std::string before = storeImage(fx.store);
    {
        UndoCommandGroup command(fx.store.undoManager());
        holiday(fx.calendars.getBaseCalandar(), 1);
        fx.engine.invalidateProject(fx.store);
        fx.engine.recalcProject(fx.store);
        fx.store.deleteRecord(both->resourceUsage().front());
        holiday(fx.calendars.getBaseCalandar(), 2);
        fx.engine.invalidateProject(fx.store);
        fx.engine.recalcProject(fx.store);
    }
    fx.store.flushPendingChanges();
    const std::string after = storeImage(fx.store);
    fx.store.undoManager().undo();
    EXPECT_EQ(storeImage(fx.store), before);
    fx.store.undoManager().redo();
    EXPECT_EQ(storeImage(fx.store), after);
}

// A holiday made and taken back in one group: the second recalculation rewrites every
// moved assignment back, and the group keeps only the holiday's own steps. The first round
// leaves each moved task's previous end (`endDisplayDays`) behind, so a second is measured.
TEST_F(RecalculationUndoTest, UsageRewrittenThereAndBackInOneGroupLeavesNoStep) {
    const auto holidayThereAndBack = [this](bool recalculating) {
        UndoManager& undo = fx.store.undoManager();
        undo.removeAllActions();
        {
            UndoCommandGroup command(undo);
            Day* made = holiday(fx.calendars.getBaseCalandar(), 1);
            if (recalculating) {
                fx.engine.invalidateProject(fx.store);
                fx.engine.recalcProject(fx.store);
            }
            fx.store.deleteRecord(made);
            fx.calendars.clearCache();
            if (recalculating) {
                fx.engine.invalidateProject(fx.store);
                fx.engine.recalcProject(fx.store);
            }
        }
        fx.store.flushPendingChanges();
        return undo.recordedStepCount();
    };
    const std::size_t holidayAlone = holidayThereAndBack(false);
    holidayThereAndBack(true);
    const std::string before = storeImage(fx.store);
    EXPECT_EQ(holidayThereAndBack(true), holidayAlone);
    EXPECT_EQ(storeImage(fx.store), before);
}

} // namespace
} // namespace mapolt::testing
