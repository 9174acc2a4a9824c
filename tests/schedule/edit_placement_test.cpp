#include "schedule/edit_placement.h"
#include "schedule/task_editing.h"

#include "support/literal_propagation.h"
#include "support/random_edits.h"
#include "support/schedule_builder.h"

#include "model/entities.h"
#include "model/preferences.h"
#include "schedule/dependency_links.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <vector>

namespace mapolt::testing {
namespace {

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

// The duration engine with every queued edit, every new link's successors, every run made
// into a tree and all summaries at once placed in dependency order, whatever the reach.
class DependencyOrderEdits final : public ScheduleEngine {
  public:
    explicit DependencyOrderEdits(ScheduleFixture& fx) : fx_(fx) {}

    float calcDaysForTask(ATask* task) override { return fx_.engine.calcDaysForTask(task); }
    float calcOffset(const ATask* task) const override { return fx_.engine.calcOffset(task); }
    float invDaysForTaskCalc(ATask* task, float period, float start) override {
        return fx_.engine.invDaysForTaskCalc(task, period, start);
    }
    void invalidateTask(ATask* task, bool andChildren) override {
        fx_.engine.invalidateTask(task, andChildren);
    }
    void addInvalidTask(InvalidTask record) override {
        record.task->set(&ATask::invalid, true);
        queue_.push_back(record.task);
    }
    void recalcFromInvalids() override {
        while (!queue_.empty()) {
            placeEditInDependencyOrder(fx_.engine, queue_.front());
            queue_.pop_front();
        }
        fx_.store.flushPendingChanges();
    }
    void propagateFrom(ATask* task) override { placeEditInDependencyOrder(fx_.engine, task); }
    void recalcAllSupers(Store& context) override {
        std::vector<ATask*> summaries;
        for (ATask* t : context.fetch<ATask>())
            if (!t->subTasks.empty()) {
                t->set(&ATask::invalid, true);
                summaries.push_back(t);
            }
        placeEditsInDependencyOrder(fx_.engine, summaries);
    }
    void bumpSuper(ATask* task, float bumpAmount) override {
        fx_.engine.bumpSuper(task, bumpAmount);
    }
    void moveSubtasksForTask(ATask* task) override { fx_.engine.moveSubtasksForTask(task); }
    void calcDepsFor(ATask* task) override { placeSuccessorsInDependencyOrder(fx_.engine, task); }
    void moveSupertaskForTask(ATask* task) override { fx_.engine.moveSupertaskForTask(task); }

  private:
    ScheduleFixture& fx_;
    std::deque<ATask*> queue_;
};

std::unique_ptr<ScheduleEngine> dependencyOrder(ScheduleFixture& fx) {
    return std::make_unique<DependencyOrderEdits>(fx);
}

std::unique_ptr<ScheduleEngine> literalWalk(ScheduleFixture& fx) {
    return std::make_unique<LiteralPropagation>(fx.store, fx.engine,
                                                LiteralPropagation::WalkOrder::Stored);
}

// What is done to a copy before the random edits, compared like an edit unless empty.
using FirstStep = std::function<void(EditedCopy&)>;

// Every summary run at once, as after a paste.
void runAllSummaries(EditedCopy& c) {
    c.engine().recalcAllSupers(c.fx.store);
}

// The plan placed by a full recalculation first, then every summary run.
void placeThenRunAllSummaries(EditedCopy& c) {
    c.fx.engine.recalcProject(c.fx.store);
    runAllSummaries(c);
}

// Runs six random edits on three copies (placed in dependency order, and by the walk in
// either order), after `first`; true when the first copy agrees with the walk after every
// step. `comparable` tells whether the walk's two orders agreed throughout.
bool agreesWithTheWalk(std::uint32_t seed, bool summaries, const FirstStep& first,
                       bool& comparable) {
    EditedCopy ordered(dependencyOrder);
    EditedCopy walked(literalWalk);
    EditedCopy reversed([](ScheduleFixture& fx) -> std::unique_ptr<ScheduleEngine> {
        return std::make_unique<LiteralPropagation>(fx.store, fx.engine,
                                                    LiteralPropagation::WalkOrder::Reversed);
    });
    for (EditedCopy* c : {&ordered, &walked, &reversed})
        buildRandomSchedule(*c, seed, summaries);
    std::mt19937 rng(seed * 7919u);
    const int n = static_cast<int>(ordered.tasks.size());
    comparable = true;
    bool agreed = true;
    for (int step = first ? -1 : 0; step < 6 && agreed; ++step) {
        const RandomEdit e = randomEdit(rng, n);
        for (EditedCopy* c : {&ordered, &walked, &reversed})
            if (step < 0)
                first(*c);
            else
                applyEdit(*c, e);
        const std::vector<TaskDates> expected = readDates(walked);
        comparable = comparable && readDates(reversed) == expected;
        agreed = readDates(ordered) == expected;
    }
    return agreed;
}

// How the placement fares against the walk over 1,200 random plans, counting only plans
// whose walk gives one answer in either order.
struct Agreement {
    int comparable = 0;
    int agreeing = 0;
    std::uint32_t firstDisagreeing = 0;
};

Agreement agreementOverSeeds(bool summaries, const FirstStep& first = {}) {
    Agreement a;
    for (std::uint32_t seed = 1; seed <= 1200; ++seed) {
        bool comparable = true;
        const bool agreed = agreesWithTheWalk(seed, summaries, first, comparable);
        if (!comparable)
            continue;
        ++a.comparable;
        if (agreed)
            ++a.agreeing;
        else if (a.firstDisagreeing == 0)
            a.firstDisagreeing = seed;
    }
    return a;
}

// Without summaries, placing each task once gives the walk's answer on every plan where that
// answer does not depend on the order of the walk (sticky lags can make the last placing
// link decide), locked tasks included.
TEST(EditPlacementTest, GivesTheWalksResultOnEveryPlanWithoutSummaries) {
    const Agreement a = agreementOverSeeds(false);
    EXPECT_EQ(a.agreeing, a.comparable) << "first disagreeing seed " << a.firstDisagreeing;
    EXPECT_GE(a.comparable, 1000);
}

// With summaries the walk rolls a summary up whenever it visits one of its subtasks, before
// or after the summary's own link places it, as the order of its visits falls; placing each
// task once rolls a summary up after its placement and its subtasks. Most plans agree.
TEST(EditPlacementTest, AgreesWithTheWalkOnMostPlansWithSummaries) {
    const Agreement a = agreementOverSeeds(true);
    std::cout << a.agreeing << " of " << a.comparable
              << " plans whose walk does not depend on its order agree\n";
    EXPECT_GE(a.comparable, 1000);
    EXPECT_GE(a.agreeing * 100, a.comparable * 93);
}

// All summaries run at once, as after a paste, then edits. The walk runs the summaries one
// after the other, each against the dates the others had; where that order shows, the walk
// can leave a summary that does not span its subtasks. Running them at once places each task
// once, as a full recalculation would.
TEST(EditPlacementTest, AgreesWithTheWalkOnMostPlansWhenAllSummariesRunAtOnce) {
    for (const FirstStep& first :
         {FirstStep(runAllSummaries), FirstStep(placeThenRunAllSummaries)}) {
        const Agreement a = agreementOverSeeds(true, first);
        std::cout << a.agreeing << " of " << a.comparable
                  << " plans whose walk does not depend on its order agree\n";
        EXPECT_GE(a.comparable, 1000);
        EXPECT_GE(a.agreeing * 100, a.comparable * 84);
    }
}

class LargeEditTest : public ::testing::Test {
  protected:
    DepLink* link(ATask* from, ATask* to) {
        auto* l = fx.store.insert<DepLink>();
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::dependTask, from);
        return l;
    }
    std::vector<ATask*> chain(int n, ATask* summary = nullptr) {
        std::vector<ATask*> tasks;
        for (int i = 0; i < n; ++i) {
            tasks.push_back(fx.leaf(8.0f));
            if (summary != nullptr)
                tasks.back()->set(&ATask::superTask, summary);
            if (i > 0)
                link(tasks[static_cast<std::size_t>(i - 1)], tasks.back());
        }
        return tasks;
    }
    // A summary over a chain of `n` one-day tasks, and a task linked after the summary.
    struct GroupedChain {
        ATask* group;
        std::vector<ATask*> tasks;
        ATask* after;
    };
    GroupedChain groupedChain(int n) {
        GroupedChain g;
        g.group = fx.leaf(0.0f, 0.0f, "G");
        g.tasks = chain(n, g.group);
        g.after = fx.leaf(8.0f, 0.0f, "After");
        link(g.group, g.after);
        return g;
    }

    ScheduleFixture fx;
};

// Past a few thousand tasks the engine places an edit in dependency order: a summary over a
// chain grows with it, and the successor of the summary follows the rolled-up end, each in
// one run.
TEST_F(LargeEditTest, ChainInASummaryAndTheSummarysSuccessorFollowAnEditAtTheHead) {
    const auto [group, tasks, after] = groupedChain(3'000);
    fx.engine.recalcProject(fx.store);
    const float groupEnd = endOf(group);
    changeWork(fx.engine, tasks.front(), 16.0f);
    for (std::size_t i = 1; i < tasks.size(); ++i)
        ASSERT_FLOAT_EQ(tasks[i]->daysFromStart(), endOf(tasks[i - 1])) << "task " << i;
    EXPECT_FLOAT_EQ(group->daysFromStart(), tasks.front()->daysFromStart());
    EXPECT_FLOAT_EQ(endOf(group), endOf(tasks.back()));
    EXPECT_GT(endOf(group), groupEnd);
    EXPECT_FLOAT_EQ(group->hours(), 3'001.0f * 8.0f);
    EXPECT_FLOAT_EQ(after->daysFromStart(), endOf(group));

    fx.store.undoManager().undo();
    EXPECT_FLOAT_EQ(endOf(group), groupEnd) << "one undo step restores the dates";
    EXPECT_FLOAT_EQ(after->daysFromStart(), groupEnd);
}

// A new link at the head of a long chain places the chain, its summary and the summary's
// successor in one run, as an edit there would; the link's predecessor stays put.
TEST_F(LargeEditTest, NewLinkAtTheHeadPlacesEverythingDownstreamInOneRun) {
    ATask* first = fx.leaf(40.0f, 0.0f, "First");
    const auto [group, tasks, after] = groupedChain(3'000);
    fx.engine.recalcProject(fx.store);
    ASSERT_FLOAT_EQ(tasks.front()->daysFromStart(), 0.0f);
    const float groupEnd = endOf(group);

    MemoryPreferences preferences;
    DependencyLinks links(fx.store, preferences, fx.engine);
    ASSERT_EQ(links.makeDepenantFrom(first, tasks.front()), DependencyLinks::kLinked);
    EXPECT_FLOAT_EQ(first->daysFromStart(), 0.0f);
    EXPECT_FLOAT_EQ(tasks.front()->daysFromStart(), endOf(first));
    for (std::size_t i = 1; i < tasks.size(); ++i)
        ASSERT_FLOAT_EQ(tasks[i]->daysFromStart(), endOf(tasks[i - 1])) << "task " << i;
    EXPECT_FLOAT_EQ(group->daysFromStart(), endOf(first));
    EXPECT_FLOAT_EQ(endOf(group), endOf(tasks.back()));
    EXPECT_GT(endOf(group), groupEnd);
    EXPECT_FLOAT_EQ(after->daysFromStart(), endOf(group));

    fx.store.undoManager().undo();
    EXPECT_TRUE(first->dependTasks.empty());
    EXPECT_FLOAT_EQ(tasks.front()->daysFromStart(), 0.0f);
    EXPECT_FLOAT_EQ(endOf(group), groupEnd);
    EXPECT_FLOAT_EQ(after->daysFromStart(), groupEnd);
}

// Pasted subtasks away from their summary's start: running every summary moves them there,
// in one run, and the summary's successor follows the new end; one undo step takes it back.
TEST_F(LargeEditTest, AllSummariesAtOnceMoveTheirSubtreesAndTheirSuccessors) {
    const auto [group, tasks, after] = groupedChain(3'000);
    fx.engine.recalcProject(fx.store);
    const float groupEnd = endOf(group);
    std::vector<float> pasted;
    {
        UndoCommandGroup paste(fx.store.undoManager());
        for (ATask* t : tasks) {
            t->set(&ATask::daysFromStart, t->daysFromStart() + 7.0f);
            pasted.push_back(t->daysFromStart());
        }
    }
    {
        UndoCommandGroup run(fx.store.undoManager());
        fx.engine.recalcAllSupers(fx.store);
    }
    EXPECT_FLOAT_EQ(tasks.front()->daysFromStart(), group->daysFromStart());
    for (std::size_t i = 1; i < tasks.size(); ++i)
        ASSERT_FLOAT_EQ(tasks[i]->daysFromStart(), endOf(tasks[i - 1])) << "task " << i;
    EXPECT_FLOAT_EQ(endOf(group), groupEnd);
    EXPECT_FLOAT_EQ(after->daysFromStart(), groupEnd);

    fx.store.undoManager().undo();
    for (std::size_t i = 0; i < tasks.size(); ++i)
        ASSERT_FLOAT_EQ(tasks[i]->daysFromStart(), pasted[i]) << "task " << i;
}

// A predecessor the edit does not reach keeps placing its successor where it ended.
TEST_F(LargeEditTest, SuccessorStaysBehindAnUnreachedLaterPredecessor) {
    const std::vector<ATask*> tasks = chain(2'500);
    ATask* late = fx.leaf(8.0f, 4'000.0f, "Late");
    ATask* joined = fx.leaf(8.0f, 0.0f, "Joined");
    link(tasks.back(), joined);
    link(late, joined);
    fx.engine.recalcProject(fx.store);
    const float lateEnd = endOf(late);
    ASSERT_FLOAT_EQ(joined->daysFromStart(), lateEnd);
    changeWork(fx.engine, tasks.front(), 24.0f);
    EXPECT_LT(endOf(tasks.back()), lateEnd);
    EXPECT_FLOAT_EQ(joined->daysFromStart(), lateEnd);
    EXPECT_FLOAT_EQ(late->daysFromStart(), 4'000.0f);
}

// Ten thousand levels, each summary the only subtask of the one above: moving the top one
// carries every level along and an edit of the deepest task rolls every level up, with no
// recursion as deep as the outline.
TEST_F(LargeEditTest, DeepOutlineMovesAndRollsUpWithoutRecursion) {
    constexpr int kLevels = 10'000;
    ATask* top = fx.leaf(0.0f, 0.0f, "L0");
    ATask* deepest = top;
    for (int i = 1; i < kLevels; ++i) {
        ATask* t = fx.leaf(0.0f, 0.0f, "L" + std::to_string(i));
        t->set(&ATask::superTask, deepest);
        deepest = t;
    }
    deepest->set(&ATask::hours, 8.0f);
    ATask* before = fx.leaf(16.0f, 0.0f, "Before");
    link(before, top);
    fx.engine.recalcProject(fx.store);
    ASSERT_FLOAT_EQ(deepest->daysFromStart(), 2.0f);

    changeWork(fx.engine, before, 24.0f);
    EXPECT_FLOAT_EQ(top->daysFromStart(), 3.0f);
    EXPECT_FLOAT_EQ(deepest->daysFromStart(), 3.0f);

    changeWork(fx.engine, deepest, 16.0f);
    for (const ATask* t = deepest; t != nullptr; t = t->superTask()) {
        ASSERT_FLOAT_EQ(t->hours(), 16.0f) << t->name();
        ASSERT_FLOAT_EQ(endOf(t), endOf(deepest)) << t->name();
    }
}

} // namespace
} // namespace mapolt::testing
