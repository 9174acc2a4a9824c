#include "schedule/placement_memo.h"

#include "support/random_edits.h"

#include "model/entities.h"
#include "schedule/dependency_order_placement.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace mapolt::testing {
namespace {

// Random plans edited between full recalculations in every way that reaches what placement
// gathers: dates and work, locks, lags, new and deleted links, deleted tasks, a task moved
// under another, calendar exceptions made and removed, undo of any of these, and the undo
// history forgotten, which frees the deleted records and with them the list of changes.
class PlacementMemoTest : public ::testing::Test {
  protected:
    // One to three edits between recalculations, so that tasks written before the undo
    // history is forgotten must still be read again after it.
    static void actSeveral(EditedCopy& c, std::mt19937& rng) {
        for (int k = std::uniform_int_distribution<int>(1, 3)(rng); k > 0; --k)
            act(c, rng);
    }

    static void act(EditedCopy& c, std::mt19937& rng) {
        Store& store = c.fx.store;
        const auto pick = [&rng](int hi) { return std::uniform_int_distribution<int>(0, hi)(rng); };
        std::vector<ATask*> live;
        for (ATask* t : c.tasks)
            if (!t->isDeleted())
                live.push_back(t);
        ATask* t = live[static_cast<std::size_t>(pick(static_cast<int>(live.size()) - 1))];
        ATask* other = live[static_cast<std::size_t>(pick(static_cast<int>(live.size()) - 1))];
        const int kind = pick(10);
        if (kind == 9 && store.undoManager().canUndo()) {
            store.undoManager().undo();
            return;
        }
        if (kind == 10) {
            // Deleted tasks are freed with the history; no undo can bring them back.
            std::erase_if(c.tasks, [](const ATask* t) { return t->isDeleted(); });
            store.undoManager().removeAllActions();
            store.flushPendingChanges();
            return;
        }
        UndoCommandGroup command(store.undoManager());
        switch (kind) {
        case 0:
        case 1:
        case 2: {
            RandomEdit e = randomEdit(rng, static_cast<int>(c.tasks.size()));
            e.task =
                static_cast<int>(std::find(c.tasks.begin(), c.tasks.end(), t) - c.tasks.begin());
            e.other = static_cast<int>(std::find(c.tasks.begin(), c.tasks.end(), other) -
                                       c.tasks.begin());
            applyEdit(c, e);
            break;
        }
        case 3:
            t->set(&ATask::lockedStart, !t->lockedStart());
            break;
        case 4:
            if (!t->dependeeTasks.empty()) {
                DepLink* l = *t->dependeeTasks.begin();
                l->set(&DepLink::daysBetween, static_cast<double>(pick(3)));
                l->set(&DepLink::sticky, !l->sticky());
            }
            break;
        case 5:
            if (!t->dependeeTasks.empty())
                store.deleteRecord(*t->dependeeTasks.begin());
            break;
        case 6:
            if (live.size() > 2 && t->subTasks.empty())
                store.deleteRecord(t);
            break;
        case 7:
            if (!isWithin(other, t))
                t->set(&ATask::superTask, other);
            break;
        default:
            if (const std::vector<Day*> days = store.fetch<Day>(); !days.empty() && pick(1) == 0)
                store.deleteRecord(days.front());
            else
                c.fx.exception(c.fx.base(), c.fx.dayDate(pick(20)),
                               static_cast<float>(pick(2) * 4));
            c.fx.calendars.clearCache();
            break;
        }
    }

    // Whether `t` is `outer` or lies below it.
    static bool isWithin(const ATask* t, const ATask* outer) {
        for (; t != nullptr; t = t->superTask())
            if (t == outer)
                return true;
        return false;
    }

    static void expectSameArrays(const PlacementArrays& kept, const PlacementArrays& fresh,
                                 const std::string& where) {
        ASSERT_EQ(kept.tasks, fresh.tasks) << where;
        EXPECT_EQ(kept.start, fresh.start) << where;
        EXPECT_EQ(kept.elapsed, fresh.elapsed) << where;
        EXPECT_EQ(kept.locked, fresh.locked) << where;
        EXPECT_EQ(kept.firstLinkIn, fresh.firstLinkIn) << where;
        EXPECT_EQ(kept.linkSticky, fresh.linkSticky) << where;
        ASSERT_EQ(kept.linksIn.size(), fresh.linksIn.size()) << where;
        for (std::size_t k = 0; k < kept.linksIn.size(); ++k) {
            EXPECT_EQ(kept.linksIn[k].predecessor, fresh.linksIn[k].predecessor) << where;
            EXPECT_EQ(kept.linksIn[k].lag, fresh.linksIn[k].lag) << where;
        }
        EXPECT_EQ(kept.firstSub, fresh.firstSub) << where;
        EXPECT_EQ(kept.subs, fresh.subs) << where;
        for (std::uint32_t i = 0; i < kept.size(); ++i)
            EXPECT_EQ(kept.hasLinksIn(i), fresh.hasLinksIn(i)) << where;
    }
};

TEST_F(PlacementMemoTest, KeptArraysAndOrderMatchFreshOnesAfterAnyEdit) {
    std::size_t calls = 0;
    std::size_t gathered = 0;
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        EditedCopy c;
        buildRandomSchedule(c, seed);
        std::mt19937 rng(seed);
        PlacementMemo memo;
        for (int step = 0; step < 12; ++step) {
            placeInDependencyOrder(c.fx.store, c.fx.engine, memo);
            actSeveral(c, rng);
            const std::string where =
                "seed " + std::to_string(seed) + ", step " + std::to_string(step);
            bool looped = false;
            const PlacementArrays& arrays = memo.arrays(c.fx.store, looped);
            const std::vector<std::uint32_t> order = memo.order();
            PlacementMemo fresh;
            bool freshLooped = false;
            expectSameArrays(arrays, fresh.arrays(c.fx.store, freshLooped), where);
            EXPECT_EQ(order, fresh.order()) << where;
            EXPECT_EQ(looped, freshLooped) << where;
        }
        calls += 2 * 12;
        gathered += memo.gatherCount();
    }
    // Both ways are taken often: the edits that change no structure keep the arrays.
    EXPECT_GT(gathered, calls / 8);
    EXPECT_LT(gathered, calls / 2);
}

// The same plan and edits in two copies: one recalculated by the engine it keeps, whose
// arrays carry over from one recalculation to the next, the other by a new engine each time.
TEST_F(PlacementMemoTest, RecalculationWithKeptArraysPlacesAsAFreshEngine) {
    for (std::uint32_t seed = 100; seed < 160; ++seed) {
        EditedCopy kept;
        EditedCopy fresh;
        buildRandomSchedule(kept, seed);
        buildRandomSchedule(fresh, seed);
        std::mt19937 keptRng(seed);
        std::mt19937 freshRng(seed);
        for (int step = 0; step < 12; ++step) {
            kept.fx.engine.recalcProject(kept.fx.store);
            TaskLengthCalc engine(fresh.fx.store, fresh.fx.calendars);
            engine.recalcProject(fresh.fx.store);
            std::vector<TaskDates> keptDates;
            std::vector<TaskDates> freshDates;
            for (std::size_t i = 0; i < kept.tasks.size(); ++i) {
                if (kept.tasks[i]->isDeleted())
                    continue;
                const ATask* a = kept.tasks[i];
                const ATask* b = fresh.tasks[i];
                keptDates.push_back(
                    {a->daysFromStart(), a->elapsedTime(), a->hours(), a->percComp()});
                freshDates.push_back(
                    {b->daysFromStart(), b->elapsedTime(), b->hours(), b->percComp()});
            }
            ASSERT_EQ(keptDates, freshDates) << "seed " << seed << ", step " << step;
            actSeveral(kept, keptRng);
            actSeveral(fresh, freshRng);
        }
    }
}

} // namespace
} // namespace mapolt::testing
