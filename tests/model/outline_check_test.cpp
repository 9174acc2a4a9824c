#include "model/entities.h"
#include "model/outline_check.h"
#include "model/store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mapolt {
namespace {

using ::testing::HasSubstr;

// Tasks wired the way a file could wire them, sound or not.
struct OutlineCheckTest : ::testing::Test {
    Store store;

    ATask* task(const std::string& name, int row, ATask* parent = nullptr, ATask* after = nullptr) {
        auto* t = store.insert<ATask>();
        t->setName(name);
        t->setPrimitive(&ATask::viewOrder, row);
        t->set(&ATask::superTask, parent);
        t->set(&ATask::prevSibling, after);
        return t;
    }
    // Rows in outline order along the sibling chains, as "name/depth"; stops (and says so)
    // when a walk would not end.
    std::string walk() const {
        std::string out;
        std::vector<std::pair<const ATask*, int>> todo;
        for (const ATask* t : store.fetch<ATask>())
            if (t->superTask() == nullptr && t->prevSibling() == nullptr)
                todo.emplace_back(t, 0);
        std::size_t budget = store.count(Entity::ATask) + 1;
        while (!todo.empty()) {
            auto [t, depth] = todo.back();
            todo.pop_back();
            if (budget-- == 0)
                return out + "LOOP";
            out += (out.empty() ? "" : " ") + t->name.optional().value_or("") + "/" +
                   std::to_string(depth);
            if (t->nextSibling() != nullptr)
                todo.emplace_back(t->nextSibling(), depth);
            for (const ATask* c : t->subTasks())
                if (c->prevSibling() == nullptr)
                    todo.emplace_back(c, depth + 1);
        }
        return out;
    }
    std::vector<int> rows() const {
        std::vector<int> out;
        for (const ATask* t : store.fetch<ATask>())
            out.push_back(t->viewOrder());
        return out;
    }
};

TEST_F(OutlineCheckTest, SoundOutlineIsLeftAsItIs) {
    ATask* a = task("A", 0);
    ATask* b = task("B", 1, a);
    task("C", 2, a, b);
    task("D", 3, nullptr, a);
    EXPECT_TRUE(checkOutlineStructure(store).empty());
    EXPECT_EQ(walk(), "A/0 B/1 C/1 D/0");
    EXPECT_EQ(rows(), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(OutlineCheckTest, TaskThatIsItsOwnParentMovesToTheTop) {
    ATask* a = task("A", 0);
    ATask* self = task("Self", 1, nullptr, a);
    self->set(&ATask::superTask, self);
    const std::vector<std::string> repairs = checkOutlineStructure(store);
    ASSERT_FALSE(repairs.empty());
    EXPECT_THAT(repairs.front(), HasSubstr("\"Self\""));
    EXPECT_EQ(self->superTask(), nullptr);
    EXPECT_EQ(walk(), "A/0 Self/0");
    EXPECT_EQ(rows(), (std::vector<int>{0, 1}));
}

TEST_F(OutlineCheckTest, TwoTasksThatAreEachOthersParentsAreCut) {
    ATask* a = task("A", 0);
    ATask* b = task("B", 1, a);
    a->set(&ATask::superTask, b);
    ATask* c = task("C", 2);
    const std::vector<std::string> repairs = checkOutlineStructure(store);
    EXPECT_FALSE(repairs.empty());
    // One of the two is cut free; the other stays its subtask.
    EXPECT_TRUE((a->superTask() == nullptr) != (b->superTask() == nullptr));
    EXPECT_EQ(c->superTask(), nullptr);
    EXPECT_EQ(walk().find("LOOP"), std::string::npos);
    EXPECT_EQ(store.count(Entity::ATask), 3u);
}

TEST_F(OutlineCheckTest, LongerRingOfParentsIsCutOnce) {
    ATask* a = task("A", 0);
    ATask* b = task("B", 1, a);
    ATask* c = task("C", 2, b);
    a->set(&ATask::superTask, c);
    EXPECT_EQ(checkOutlineStructure(store).size(), 1u);
    const int atTop =
        (a->superTask() == nullptr) + (b->superTask() == nullptr) + (c->superTask() == nullptr);
    EXPECT_EQ(atTop, 1);
    EXPECT_EQ(walk().find("LOOP"), std::string::npos);
}

TEST_F(OutlineCheckTest, SiblingRingIsRebuiltInRowOrder) {
    ATask* a = task("A", 0);
    ATask* b = task("B", 1, nullptr, a);
    ATask* c = task("C", 2, nullptr, b);
    // The last points back to the first: no task starts the chain.
    a->set(&ATask::prevSibling, c);
    const std::vector<std::string> repairs = checkOutlineStructure(store);
    ASSERT_EQ(repairs.size(), 1u);
    EXPECT_THAT(repairs.front(), HasSubstr("top-level tasks"));
    EXPECT_EQ(walk(), "A/0 B/0 C/0");
    EXPECT_EQ(a->prevSibling(), nullptr);
    EXPECT_EQ(c->nextSibling(), nullptr);
}

TEST_F(OutlineCheckTest, SiblingLinkIntoAnotherParentIsRebuiltOnBothSides) {
    ATask* p = task("P", 0);
    ATask* x = task("X", 1, p);
    ATask* q = task("Q", 2, nullptr, p);
    ATask* y = task("Y", 3, q);
    ATask* z = task("Z", 4, q, y);
    // X's next is Z, a subtask of Q: Y loses Z and X gains it.
    x->set(&ATask::nextSibling, z);
    const std::vector<std::string> repairs = checkOutlineStructure(store);
    EXPECT_EQ(repairs.size(), 2u);
    EXPECT_THAT(repairs[0] + repairs[1], HasSubstr("\"P\""));
    EXPECT_THAT(repairs[0] + repairs[1], HasSubstr("\"Q\""));
    EXPECT_EQ(walk(), "P/0 X/1 Q/0 Y/1 Z/1");
    EXPECT_EQ(x->nextSibling(), nullptr);
    EXPECT_EQ(y->nextSibling(), z);
}

TEST_F(OutlineCheckTest, TwoHeadsInOneChainAreJoined) {
    ATask* p = task("P", 0);
    task("X", 1, p);
    task("Y", 2, p);
    ASSERT_EQ(checkOutlineStructure(store).size(), 1u);
    EXPECT_EQ(walk(), "P/0 X/1 Y/1");
}

TEST_F(OutlineCheckTest, RowNumbersOutOfRangeAreRenumberedInOutlineOrder) {
    ATask* a = task("A", 0);
    ATask* b = task("B", 2'147'483'647, a);
    task("C", -5, nullptr, a);
    EXPECT_TRUE(checkOutlineStructure(store).empty());
    EXPECT_EQ(b->viewOrder(), 1);
    EXPECT_EQ(rows(), (std::vector<int>{0, 1, 2}));
}

} // namespace
} // namespace mapolt
