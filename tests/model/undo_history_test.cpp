#include "model/entities.h"
#include "model/notification_center.h"
#include "model/store.h"

#include <gtest/gtest.h>

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
