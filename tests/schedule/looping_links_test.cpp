#include "schedule/looping_links.h"

#include "support/schedule_builder.h"

#include "model/entities.h"
#include "model/preferences.h"
#include "schedule/dependency_links.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace mapolt::testing {
namespace {

using ::testing::ElementsAre;

// Links as a file written elsewhere may hold them, checked the way opening a plan does.
class LoopingLinksTest : public ::testing::Test {
  protected:
    ATask* task(const std::string& name) { return fx.leaf(8, 0, name); }
    DepLink* link(ATask* from, ATask* to) {
        auto* l = fx.store.insert<DepLink>();
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::dependTask, from);
        return l;
    }
    std::vector<std::string> removed() {
        std::vector<std::string> messages;
        for (const RemovedLink& l : removeLoopingLinks(fx.store))
            messages.push_back(l.message());
        fx.store.flushPendingChanges();
        return messages;
    }
    static std::vector<std::string> successorsOf(const ATask* t) {
        std::vector<std::string> names;
        for (const DepLink* l : t->dependTasks())
            names.push_back(l->dependeeTask()->name());
        return names;
    }

    ScheduleFixture fx;
};

TEST_F(LoopingLinksTest, TheLinkClosingALoopGoesAndTheOthersStay) {
    ATask* a = task("A");
    ATask* b = task("B");
    ATask* c = task("C");
    link(a, b);
    link(b, c);
    DepLink* back = link(c, a);
    EXPECT_THAT(removed(), ElementsAre("Removed the link from \"C\" to \"A\": it closed a loop"));
    EXPECT_TRUE(back->isDeleted());
    EXPECT_THAT(successorsOf(a), ElementsAre("B"));
    EXPECT_THAT(successorsOf(b), ElementsAre("C"));
    EXPECT_TRUE(successorsOf(c).empty());
}

TEST_F(LoopingLinksTest, ATaskLinkedToItselfOrToItsOwnSummary) {
    ATask* a = task("A");
    ATask* u = task("U");
    ATask* g = fx.summaryOf({u}, "G");
    link(a, a);
    link(u, g);
    link(g, u);
    EXPECT_THAT(removed(), ElementsAre("Removed the link from \"A\" to \"A\": it closed a loop",
                                       "Removed the link from \"U\" to \"G\": it closed a loop",
                                       "Removed the link from \"G\" to \"U\": it closed a loop"));
    EXPECT_EQ(fx.store.count(Entity::DepLink), 0u);
}

// G leads to X, which leads back into G: placing U rolls G up, which places X, which places
// U again. Links and subtask edges alone make no loop here.
TEST_F(LoopingLinksTest, LoopThroughASummarysRollUp) {
    ATask* u = task("U");
    ATask* g = fx.summaryOf({u}, "G");
    ATask* x = task("X");
    link(g, x);
    link(x, u);
    EXPECT_THAT(removed(), ElementsAre("Removed the link from \"X\" to \"U\": it closed a loop"));
    EXPECT_THAT(successorsOf(g), ElementsAre("X"));
}

TEST_F(LoopingLinksTest, TwoLoopsSharingALinkLoseOneLinkEach) {
    ATask* a = task("A");
    ATask* b = task("B");
    ATask* c = task("C");
    ATask* d = task("D");
    link(a, b);
    link(b, a);
    link(b, c);
    link(c, d);
    link(d, b);
    EXPECT_THAT(removed(), ElementsAre("Removed the link from \"B\" to \"A\": it closed a loop",
                                       "Removed the link from \"D\" to \"B\": it closed a loop"));
    EXPECT_EQ(fx.store.count(Entity::DepLink), 3u);
}

TEST_F(LoopingLinksTest, PlansWithoutALoopKeepEveryLink) {
    ATask* a = task("A");
    ATask* b = task("B");
    ATask* u = task("U");
    ATask* v = task("V");
    ATask* g = fx.summaryOf({u, v}, "G");
    ATask* after = task("After");
    link(a, g);
    link(b, u);
    link(u, v);
    link(g, after);
    link(a, b);
    EXPECT_TRUE(removed().empty());
    EXPECT_EQ(fx.store.count(Entity::DepLink), 5u);
}

// Links between two groups of one phase, the predecessor nested deeper than the successor,
// are kept; the one that closes a loop between the groups goes.
TEST_F(LoopingLinksTest, LinksBetweenGroupsOfOnePhaseStayUnlessTheyLoop) {
    ATask* walls = task("Walls");
    ATask* slab = task("Slab");
    ATask* trusses = task("Trusses");
    ATask* covering = task("Covering");
    ATask* floors = fx.summaryOf({fx.summaryOf({walls, slab}, "Floors")}, "Structure");
    fx.summaryOf({floors, fx.summaryOf({trusses, covering}, "Roof")}, "Shell");
    link(walls, trusses);
    link(slab, covering);
    link(trusses, covering);
    EXPECT_TRUE(removed().empty());
    link(covering, walls);
    EXPECT_THAT(removed(),
                ElementsAre("Removed the link from \"Covering\" to \"Walls\": it closed a loop"));
    EXPECT_THAT(successorsOf(walls), ElementsAre("Trusses"));
}

// A chain of 50,000 tasks closed by one link back to its head: only that link goes.
TEST_F(LoopingLinksTest, LongChainClosedAtItsEndLosesOnlyTheClosingLink) {
    std::vector<ATask*> chain;
    for (int i = 0; i < 50'000; ++i) {
        chain.push_back(task("T" + std::to_string(i)));
        if (i > 0)
            link(chain[chain.size() - 2], chain.back());
    }
    link(chain.back(), chain.front());
    EXPECT_THAT(removed(),
                ElementsAre("Removed the link from \"T49999\" to \"T0\": it closed a loop"));
    EXPECT_EQ(fx.store.count(Entity::DepLink), 49'999u);
}

// On random outlines with random links, loops included: every link kept is one the link
// service would have made, in store order, and every link removed is one it refuses.
TEST(LoopingLinksPropertyTest, KeepsExactlyWhatTheLinkServiceWouldHaveMade) {
    int removedAny = 0;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        ScheduleFixture fx;
        MemoryPreferences preferences;
        DependencyLinks service(fx.store, preferences, fx.engine);
        std::mt19937 rng(seed);
        const auto pick = [&rng](int lo, int hi) {
            return std::uniform_int_distribution<int>(lo, hi)(rng);
        };
        std::vector<ATask*> tasks;
        const int n = pick(2, 25);
        for (int i = 0; i < n; ++i) {
            tasks.push_back(fx.leaf(8, 0, "T" + std::to_string(i)));
            if (i > 0 && pick(0, 2) == 0)
                tasks.back()->set(&ATask::superTask,
                                  tasks[static_cast<std::size_t>(pick(0, i - 1))]);
        }
        std::vector<std::pair<ATask*, ATask*>> wanted;
        for (int k = pick(1, 2 * n); k > 0; --k) {
            ATask* a = tasks[static_cast<std::size_t>(pick(0, n - 1))];
            ATask* b = tasks[static_cast<std::size_t>(pick(0, n - 1))];
            auto* l = fx.store.insert<DepLink>();
            l->set(&DepLink::dependeeTask, b);
            l->set(&DepLink::dependTask, a);
            wanted.emplace_back(a, b);
        }
        const std::vector<RemovedLink> removed = removeLoopingLinks(fx.store);
        fx.store.flushPendingChanges();
        removedAny += removed.empty() ? 0 : 1;

        std::vector<std::pair<ATask*, ATask*>> kept;
        for (DepLink* l : fx.store.fetch<DepLink>())
            kept.emplace_back(l->dependTask(), l->dependeeTask());
        for (const auto& [a, b] : wanted) {
            const bool isKept = std::find(kept.begin(), kept.end(), std::pair{a, b}) != kept.end();
            if (!isKept) {
                EXPECT_TRUE(a == b || service.cyclicCheck(a, b))
                    << "seed " << seed << ": " << a->name() << " -> " << b->name();
            }
        }
        for (DepLink* l : fx.store.fetch<DepLink>())
            fx.store.deleteRecord(l);
        for (const auto& [a, b] : kept) {
            ASSERT_FALSE(a == b || service.cyclicCheck(a, b))
                << "seed " << seed << ": " << a->name() << " -> " << b->name();
            auto* l = fx.store.insert<DepLink>();
            l->set(&DepLink::dependeeTask, b);
            l->set(&DepLink::dependTask, a);
        }
    }
    EXPECT_GE(removedAny, 100);
}

} // namespace
} // namespace mapolt::testing
