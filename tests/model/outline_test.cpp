#include "support/outline_builder.h"

#include "model/date.h"
#include "model/notification_center.h"

#include <gtest/gtest.h>

#include <random>

namespace mapolt {
namespace {

using testing::OutlineFixture;

// Creates links as a real link service would, so runs can be checked.
struct RecordingLinker : DependencyLinker {
    Store* store = nullptr;
    std::vector<ATask*> fixed;
    void fixDependacies(const std::vector<ATask*>& tasks) override {
        fixed.insert(fixed.end(), tasks.begin(), tasks.end());
    }
    int makeDepenantFrom(ATask* from, ATask* to) override {
        auto* link = store->insert<DepLink>();
        link->set(&DepLink::dependTask, from);
        link->set(&DepLink::dependeeTask, to);
        return 0;
    }
};

struct OutlineTest : ::testing::Test, OutlineFixture {
    RecordingLinker linker;
    OutlineTest() {
        linker.store = &store;
        helper.setDependencyLinker(&linker);
    }
    void expectSound() { EXPECT_EQ(brokenInvariant(), ""); }
};

TEST_F(OutlineTest, IndentMakesChildrenInOrder) {
    addTasks({"P", "Q", "R"});
    helper.makeSubTask({task("Q")});
    EXPECT_EQ(shape(), "P/0 Q/1 R/0");
    helper.makeSubTask({task("R")});
    EXPECT_EQ(shape(), "P/0 Q/1 R/1");
    EXPECT_EQ(TaskHelper::getLastSubSibling(task("P")), task("R"));
    expectSound();
}

TEST_F(OutlineTest, OutdentAdoptsFollowingSiblings) {
    addTasks({"A", "A1", "A2", "A2a", "A3"});
    helper.makeSubTask({task("A1"), task("A2"), task("A2a"), task("A3")});
    helper.makeSubTask({task("A2a")});
    EXPECT_EQ(shape(), "A/0 A1/1 A2/1 A2a/2 A3/1");
    helper.makeSuperTask({task("A2")});
    EXPECT_EQ(shape(), "A/0 A1/1 A2/0 A2a/1 A3/1");
    expectSound();
}

TEST_F(OutlineTest, SubtaskSelectedWithParentMovesOnce) {
    addTasks({"A", "B", "B1"});
    helper.makeSubTask({task("B1")});
    helper.makeSubTask({task("B"), task("B1")});
    EXPECT_EQ(shape(), "A/0 B/1 B1/2");
    expectSound();
}

TEST_F(OutlineTest, BlankRowsAroundSelectionMoveAlong) {
    addTasks({"A", "B"});
    helper.insertBlankTaskBefore(task("B"));
    helper.insertBlankTaskAfter(task("B"));
    helper.makeSubTask({task("B")});
    EXPECT_EQ(shape(), "A/0 _/1 B/1 _/1");
    helper.makeSuperTask({task("B")});
    EXPECT_EQ(shape(), "A/0 _/0 B/0 _/0");
    expectSound();
}

TEST_F(OutlineTest, MovesStayInChainAndAlwaysPost) {
    addTasks({"A", "B", "C"});
    int posts = 0;
    NotificationObserver obs(kProjectChanged, &helper, [&](const Notification&) { ++posts; });
    EXPECT_EQ(helper.moveTaskUp(task("A")), 0);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(helper.moveTaskDown(task("A")), 1);
    EXPECT_EQ(shape(), "B/0 A/0 C/0");
    EXPECT_EQ(helper.moveTaskUp(task("C")), 1);
    EXPECT_EQ(shape(), "B/0 C/0 A/0");
    EXPECT_EQ(helper.moveTaskDown(nullptr), 0);
    expectSound();
}

TEST_F(OutlineTest, TaskNumbersAndUids) {
    auto tasks = addTasks({"A", "B", "C"});
    EXPECT_EQ(helper.getTaskForNumber(3), task("C"));
    task("A")->set(&ATask::viewOrder, 2);
    EXPECT_EQ(helper.getTaskForNumber(3), nullptr);
    EXPECT_EQ(tasks[0]->uid(), 1);
    EXPECT_EQ(project->uid(), 3);
    TaskHelper reopened(store, project, preferences);
    EXPECT_EQ(reopened.getUID(), 4u);
}

TEST_F(OutlineTest, EndTaskStartDay) {
    project->set(&Project::startDate, civil::addDays(civil::now(), 30));
    EXPECT_FLOAT_EQ(helper.addEndTask(-1.0f)->daysFromStart(), 0.0f);
    EXPECT_FLOAT_EQ(helper.addEndTask(4.7f)->daysFromStart(), 4.0f);
    project->set(&Project::startDate, civil::addDays(civil::localMidnight(civil::now()), -3));
    EXPECT_FLOAT_EQ(helper.addEndTask(-1.0f)->daysFromStart(), 3.0f);
}

TEST_F(OutlineTest, MakeTreeLinksAConsecutiveRun) {
    addTasks({"A", "B", "C", "D", "E", "F", "G", "H"});
    helper.makeTree({task("F"), task("H")}, true);
    EXPECT_EQ(store.count(Entity::DepLink), 0u);
    helper.makeTree({task("F"), task("G"), task("H")}, true);
    EXPECT_EQ(shape(), "A/0 B/0 C/0 D/0 E/0 F/0 G/1 H/1");
    ASSERT_EQ(store.count(Entity::DepLink), 1u);
    const DepLink* link = store.fetch<DepLink>().front();
    EXPECT_EQ(link->dependTask(), task("G"));
    EXPECT_EQ(link->dependeeTask(), task("H"));
    expectSound();
}

TEST_F(OutlineTest, DeleteRemovesSubtree) {
    addTasks({"A", "B", "B1", "B2", "C"});
    helper.makeSubTask({task("B1"), task("B2")});
    helper.deleteChildTask(task("B"));
    EXPECT_EQ(shape(), "A/0 C/0");
    helper.deleteChildTask(task("A"));
    EXPECT_EQ(helper.getRootTask(), task("C"));
    expectSound();
}

TEST_F(OutlineTest, UndoStepsBackThroughACompoundEdit) {
    addTasks({"A", "B", "C", "D"});
    store.undoManager().removeAllActions();
    std::vector<std::string> shapes{shape()};
    helper.insertTaskAfter(task("B"))->setName(std::string("X"));
    store.flushPendingChanges();
    shapes.push_back(shape());
    helper.makeSubTask({task("X"), task("C")});
    shapes.push_back(shape());
    helper.makeSuperTask({task("X")});
    store.flushPendingChanges();
    shapes.push_back(shape());
    helper.deleteChildTask(task("X"));
    store.flushPendingChanges();
    shapes.push_back(shape());
    for (std::size_t i = shapes.size() - 1; i > 0; --i) {
        store.undoManager().undo();
        EXPECT_EQ(shape(), shapes[i - 1]);
        expectSound();
    }
    for (std::size_t i = 1; i < shapes.size(); ++i) {
        store.undoManager().redo();
        EXPECT_EQ(shape(), shapes[i]);
        expectSound();
    }
}

// Random edit sequences keep every invariant, and undoing them all restores the start.
TEST_F(OutlineTest, RandomEditsKeepInvariantsAndUndoToStart) {
    std::mt19937 rng(20261206);
    for (int round = 0; round < 60; ++round) {
        OutlineFixture f;
        f.addTasks({"a", "b", "c", "d", "e"});
        f.store.undoManager().removeAllActions();
        const std::string start = f.shape();
        for (int step = 0; step < 25; ++step) {
            const auto rows = f.helper.outlineOrder();
            ATask* t = rows.empty() ? nullptr : rows[rng() % rows.size()];
            ATask* u = rows.empty() ? nullptr : rows[rng() % rows.size()];
            switch (rng() % 8) {
            case 0:
                f.helper.insertTaskAfter(t);
                break;
            case 1:
                f.helper.insertBlankTaskBefore(t);
                break;
            case 2:
                f.helper.makeSubTask({t, u});
                break;
            case 3:
                f.helper.makeSuperTask({t});
                break;
            case 4:
                f.helper.moveTaskUp(t);
                break;
            case 5:
                f.helper.moveTaskDown(t);
                break;
            case 6:
                if (rows.size() > 2)
                    f.helper.deleteChildTask(t);
                break;
            default:
                f.helper.addBlankTask();
                break;
            }
            f.store.flushPendingChanges();
            ASSERT_EQ(f.brokenInvariant(), "") << "round " << round << " step " << step;
        }
        while (f.store.undoManager().canUndo())
            f.store.undoManager().undo();
        EXPECT_EQ(f.shape(), start) << "round " << round;
        EXPECT_EQ(f.brokenInvariant(), "");
    }
}

} // namespace
} // namespace mapolt
