#include "model/arranged_objects.h"
#include "support/outline_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace mapolt {
namespace {

using testing::OutlineFixture;

std::string names(const std::vector<ATask*>& rows) {
    std::string out;
    for (const ATask* t : rows)
        out += (out.empty() ? "" : " ") + t->name();
    return out;
}

struct ArrangedObjectsTest : ::testing::Test, OutlineFixture {
    // P with children Q (with child R) and S, then T.
    ArrangedObjectsTest() {
        addTasks({"P", "Q", "R", "S", "T"});
        helper.makeSubTask({task("Q"), task("R"), task("S")});
        helper.makeSubTask({task("R")});
        for (ATask* t : store.fetch<ATask>())
            t->set(&ATask::isExpanded, true);
    }
};

TEST_F(ArrangedObjectsTest, ExpandedOutlineInViewOrder) {
    EXPECT_EQ(shape(), "P/0 Q/1 R/2 S/1 T/0");
    EXPECT_EQ(names(arrangedObjects(store)), "P Q R S T");
}

TEST_F(ArrangedObjectsTest, CollapsedSummaryHidesItsWholeSubtree) {
    task("Q")->set(&ATask::isExpanded, false);
    EXPECT_EQ(names(arrangedObjects(store)), "P Q S T");
    task("P")->set(&ATask::isExpanded, false);
    EXPECT_EQ(names(arrangedObjects(store)), "P T");
}

TEST_F(ArrangedObjectsTest, ChildrenFollowViewOrderNotInsertionOrder) {
    // Swapping the numbers of the two children swaps their rows.
    task("Q")->set(&ATask::viewOrder, 20);
    task("S")->set(&ATask::viewOrder, 10);
    EXPECT_EQ(names(arrangedObjects(store)), "P S Q R T");
}

TEST_F(ArrangedObjectsTest, DeletedTasksAreNoRows) {
    store.deleteRecord(task("T"));
    EXPECT_EQ(names(arrangedObjects(store)), "P Q R S");
}

} // namespace
} // namespace mapolt
