#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mapolt {
namespace {

struct UndoHistory : ::testing::Test {
    Store store;
    ATask* task = store.insert<ATask>();
    UndoManager& undo = store.undoManager();
    void SetUp() override {
        store.flushPendingChanges();
        undo.removeAllActions();
    }
    void step(const std::string& name, float hours) {
        undo.setActionName(name);
        task->set(&ATask::hours, hours);
        store.flushPendingChanges();
    }
};

TEST_F(UndoHistory, StepsCarryTheirNamesThroughUndoAndRedo) {
    step("Indent", 1.0f);
    step("Typing", 2.0f);
    EXPECT_EQ(undo.undoActionName(), "Typing");
    undo.undo();
    EXPECT_EQ(undo.undoActionName(), "Indent");
    EXPECT_EQ(undo.redoActionName(), "Typing");
    undo.redo();
    EXPECT_EQ(undo.undoActionName(), "Typing");
    EXPECT_EQ(undo.redoActionName(), "");
}

TEST_F(UndoHistory, ANameGivenToNoChangeIsForgotten) {
    step("Indent", 1.0f);
    undo.setActionName("Nothing");
    store.flushPendingChanges();
    EXPECT_EQ(undo.undoActionName(), "Indent");
    task->set(&ATask::hours, 5.0f);
    store.flushPendingChanges();
    EXPECT_EQ(undo.undoActionName(), "");
}

TEST_F(UndoHistory, TheStateIdTellsWhetherTheHistoryIsBackWhereItWas) {
    EXPECT_EQ(undo.stateId(), 0u);
    step("A", 1.0f);
    const std::uint64_t saved = undo.stateId();
    step("B", 2.0f);
    EXPECT_NE(undo.stateId(), saved);
    undo.undo();
    EXPECT_EQ(undo.stateId(), saved);
    undo.undo();
    EXPECT_EQ(undo.stateId(), 0u);
    undo.redo();
    EXPECT_EQ(undo.stateId(), saved);
    // A new change after an undo is a new state, even at the same depth.
    undo.undo();
    step("C", 3.0f);
    EXPECT_NE(undo.stateId(), saved);
    EXPECT_NE(undo.stateId(), 0u);
}

TEST_F(UndoHistory, AnOpenGroupIsAStateOfItsOwn) {
    step("A", 1.0f);
    const std::uint64_t closed = undo.stateId();
    task->set(&ATask::hours, 9.0f);
    EXPECT_NE(undo.stateId(), closed);
}

TEST(DocumentNotifications, AnObserverOfOneStoreHearsOnlyItsStoreAndNoStore) {
    Store a;
    Store b;
    int heardA = 0;
    NotificationObserver observer(
        kProjectChanged, nullptr, [&](const Notification&) { ++heardA; }, &a);
    NotificationCenter::defaultCenter().post(kProjectChanged, nullptr, &b);
    EXPECT_EQ(heardA, 0);
    NotificationCenter::defaultCenter().post(kProjectChanged, nullptr, &a);
    EXPECT_EQ(heardA, 1);
    NotificationCenter::defaultCenter().post(kProjectChanged, nullptr);
    EXPECT_EQ(heardA, 2);
    // A record's own posts belong to its store.
    ATask* t = b.insert<ATask>();
    t->setName(std::string("renamed"));
    EXPECT_EQ(heardA, 2);
}

} // namespace
} // namespace mapolt

namespace mapolt {
namespace {

// Placing a task writes its start, end, last shown end and length; the history keeps the four
// together and must still give each back exactly, absent ones and signed zeros included.
TEST_F(UndoHistory, APlacementsFourValuesComeBackExactlyAsOneStep) {
    task->setPrimitive(&ATask::daysFromStart, -0.0f);
    task->setPrimitive(&ATask::elapsedTime, 2.0f);
    int notified = 0;
    const ObservationToken token = store.observe(Entity::ATask, "endDisplayDays",
                                                 [&](Record&, std::string_view) { ++notified; });
    task->set(&ATask::daysFromStart, 3.0f);
    task->set(&ATask::endDisplayDays, 1.5f);
    task->set(&ATask::daysFromStart, 4.0f);
    task->set(&ATask::elapsedTime, 0.0f);
    EXPECT_EQ(undo.recordedStepCount(), 1u);
    store.flushPendingChanges();

    undo.undo();
    EXPECT_TRUE(std::signbit(task->daysFromStart()));
    EXPECT_EQ(task->daysFromStart(), 0.0f);
    EXPECT_TRUE(task->endDisplayDays.absent());
    EXPECT_TRUE(task->daysTillEnd.absent());
    EXPECT_EQ(task->elapsedTime(), 2.0f);
    EXPECT_EQ(notified, 2);
    undo.redo();
    EXPECT_EQ(task->daysFromStart(), 4.0f);
    EXPECT_EQ(task->endDisplayDays(), 1.5f);
    EXPECT_TRUE(task->daysTillEnd.absent());
    EXPECT_EQ(task->elapsedTime(), 0.0f);
    EXPECT_EQ(notified, 3);
    store.stopObserving(token);
}

TEST_F(UndoHistory, APlacementBackWhereItStartedLeavesNoStep) {
    task->set(&ATask::daysFromStart, 3.0f);
    task->set(&ATask::daysFromStart, 0.0f);
    task->setPrimitive(&ATask::daysFromStart, std::nullopt);
    store.flushPendingChanges();
    EXPECT_FALSE(undo.canUndo());
}

} // namespace
} // namespace mapolt
