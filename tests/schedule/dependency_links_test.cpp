#include "schedule/dependency_links.h"

#include "support/literal_propagation.h"
#include "support/schedule_builder.h"

#include "model/entities.h"
#include "model/preferences.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace mapolt::testing {
namespace {

class DependencyLinksTest : public ::testing::Test {
  protected:
    DependencyLinksTest()
        : rules(fx.store, fx.engine, LiteralPropagation::WalkOrder::Stored),
          links(fx.store, preferences, rules) {
        for (int weekday = 0; weekday < 7; ++weekday)
            fx.calendars.setHoursForWeekday(weekday, fx.base(), 8.0f);
    }
    ATask* task(float days, float start) {
        ATask* t = fx.leaf(days * 8.0f, start);
        fx.engine.calcDaysForTask(t);
        return t;
    }
    DepLink* linkBetween(ATask* a, ATask* b) {
        for (DepLink* l : a->dependTasks())
            if (l->dependeeTask() == b)
                return l;
        return nullptr;
    }

    ScheduleFixture fx;
    MemoryPreferences preferences;
    LiteralPropagation rules;
    DependencyLinks links;
};

TEST_F(DependencyLinksTest, RefusesEveryLinkThatClosesACycle) {
    ATask* a = task(1, 0);
    ATask* b = task(1, 1);
    ATask* d = task(1, 2);
    EXPECT_EQ(links.makeDepenantFrom(a, a), DependencyLinks::kCyclic);
    EXPECT_FALSE(links.cyclicCheckTarjan(a, a));
    ASSERT_EQ(links.makeDepenantFrom(a, b), DependencyLinks::kLinked);
    ASSERT_EQ(links.makeDepenantFrom(b, d), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(d, a), DependencyLinks::kCyclic);
    EXPECT_EQ(linkBetween(d, a), nullptr);
    EXPECT_EQ(links.makeDepenantFrom(a, d), DependencyLinks::kLinked);
    EXPECT_NE(linkBetween(a, d), nullptr);
    EXPECT_EQ(links.makeDepenantFrom(a, d), DependencyLinks::kLinked);
    EXPECT_EQ(a->dependTasks().size(), 2u);
}

TEST_F(DependencyLinksTest, SummaryAndItsSubtaskCannotBeLinkedEitherWay) {
    ATask* u = task(1, 0);
    ATask* g = fx.summaryOf({u});
    EXPECT_EQ(links.makeDepenantFrom(g, u), DependencyLinks::kCyclic);
    EXPECT_EQ(links.makeDepenantFrom(u, g), DependencyLinks::kCyclic);
    EXPECT_TRUE(g->dependTasks().empty());
    EXPECT_TRUE(u->dependTasks().empty());
}

TEST_F(DependencyLinksTest, CycleClosedThroughASummaryIsRefused) {
    ATask* a = task(1, 0);
    ATask* b = task(1, 2);
    ATask* c = task(1, 3);
    fx.summaryOf({b, c});
    ASSERT_EQ(links.makeDepenantFrom(c, a), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(a, b), DependencyLinks::kCyclic);
}

// The documented check lets this through; the placement would then follow the summary into
// its own subtree for ever.
TEST_F(DependencyLinksTest, SummaryCannotLeadIntoItsOwnSubtree) {
    ATask* u = task(1, 3);
    ATask* g = fx.summaryOf({u});
    ATask* x = task(1, 0);
    ASSERT_EQ(links.makeDepenantFrom(x, u), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(g, x), DependencyLinks::kCyclic);
    EXPECT_TRUE(g->dependTasks().empty());
}

// Closing the same loop at a link in the middle: the summary already leads to X, and the
// link that would carry X back into the summary's subtree comes last.
TEST_F(DependencyLinksTest, LoopThroughASummarysRollUpIsRefusedWhereverItCloses) {
    ATask* u = task(1, 3);
    ATask* g = fx.summaryOf({u});
    ATask* x = task(1, 0);
    ATask* y = task(1, 0);
    ASSERT_EQ(links.makeDepenantFrom(g, x), DependencyLinks::kLinked);
    ASSERT_EQ(links.makeDepenantFrom(y, u), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(x, y), DependencyLinks::kCyclic);
    EXPECT_EQ(linkBetween(x, y), nullptr);
}

TEST_F(DependencyLinksTest, TwoSummariesCannotEachLeadIntoTheOther) {
    ATask* u1 = task(1, 0);
    ATask* u2 = task(1, 0);
    ATask* g1 = fx.summaryOf({u1});
    ATask* g2 = fx.summaryOf({u2});
    ASSERT_EQ(links.makeDepenantFrom(g1, u2), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(g2, u1), DependencyLinks::kCyclic);
}

// What plans are made of must stay possible: phases in sequence with links between their
// tasks, siblings in sequence, and a detour from one phase through an outside task into the
// next.
TEST_F(DependencyLinksTest, PhasesSiblingsAndDetoursStayLinkable) {
    ATask* a1 = task(1, 0);
    ATask* a2 = task(1, 0);
    ATask* b1 = task(1, 0);
    ATask* b2 = task(1, 0);
    ATask* phaseA = fx.summaryOf({a1, a2});
    ATask* phaseB = fx.summaryOf({b1, b2});
    ATask* outside = task(1, 0);
    EXPECT_EQ(links.makeDepenantFrom(phaseA, phaseB), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(a1, a2), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(a2, b1), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(a1, outside), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(outside, b1), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(b1, b2), DependencyLinks::kLinked);
    EXPECT_FLOAT_EQ(b1->daysFromStart(), 2.0f);
    EXPECT_FLOAT_EQ(b2->daysFromStart(), 3.0f);
}

// Two groups inside one phase, the predecessor's a level deeper: the phase holds both ends,
// so it is not tried as a successor, while loops between the groups are still refused.
TEST_F(DependencyLinksTest, GroupsOfOnePhaseLinkAtAnyDepth) {
    ATask* walls = task(2, 0);
    ATask* slab = task(1, 0);
    ATask* trusses = task(1, 0);
    ATask* wallGroup = fx.summaryOf({walls, slab});
    ATask* roofGroup = fx.summaryOf({trusses});
    ATask* deeper = fx.summaryOf({wallGroup});
    fx.summaryOf({deeper, roofGroup});
    EXPECT_EQ(links.makeDepenantFrom(walls, trusses), DependencyLinks::kLinked);
    EXPECT_FLOAT_EQ(trusses->daysFromStart(), 2.0f);
    EXPECT_EQ(links.makeDepenantFrom(slab, trusses), DependencyLinks::kLinked);
    EXPECT_EQ(links.makeDepenantFrom(trusses, walls), DependencyLinks::kCyclic);
    // The walls' group leads to the trusses, so nothing in it may follow them.
    EXPECT_EQ(links.makeDepenantFrom(trusses, slab), DependencyLinks::kCyclic);
}

TEST_F(DependencyLinksTest, NewLinkToAnEarlierEndingPredecessorGetsTheGapAsLag) {
    ATask* p = task(10, 0);
    ATask* a = task(7, 0);
    ATask* b = task(1, 10);
    ASSERT_EQ(links.makeDepenantFrom(p, b), DependencyLinks::kLinked);
    ASSERT_EQ(links.makeDepenantFrom(a, b), DependencyLinks::kLinked);
    EXPECT_DOUBLE_EQ(linkBetween(a, b)->daysBetween(), 3.0);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 10.0f);

    ATask* late = task(14, 0);
    ASSERT_EQ(links.makeDepenantFrom(late, b), DependencyLinks::kLinked);
    EXPECT_DOUBLE_EQ(linkBetween(p, b)->daysBetween(), 4.0);
    EXPECT_DOUBLE_EQ(linkBetween(a, b)->daysBetween(), 7.0);
    EXPECT_FLOAT_EQ(b->daysFromStart(), 14.0f);
}

TEST_F(DependencyLinksTest, LinkingUndoesAsOneStep) {
    ATask* a = task(5, 0);
    ATask* b = task(1, 2);
    ATask* d = task(1, 3);
    ASSERT_EQ(links.makeDepenantFrom(b, d), DependencyLinks::kLinked);
    fx.store.flushPendingChanges();
    ASSERT_EQ(links.makeDepenantFrom(a, b), DependencyLinks::kLinked);
    ASSERT_FLOAT_EQ(d->daysFromStart(), 6.0f);
    fx.store.undoManager().undo();
    EXPECT_FLOAT_EQ(b->daysFromStart(), 2.0f);
    EXPECT_FLOAT_EQ(d->daysFromStart(), 3.0f);
    EXPECT_TRUE(a->dependTasks().empty());
}

TEST_F(DependencyLinksTest, OutlineChangesDropLinksBetweenAncestorAndDescendant) {
    ATask* a = task(1, 0);
    ATask* b = task(1, 1);
    ATask* c = task(1, 2);
    ASSERT_EQ(links.makeDepenantFrom(a, b), DependencyLinks::kLinked);
    ASSERT_EQ(links.makeDepenantFrom(b, c), DependencyLinks::kLinked);
    b->set(&ATask::superTask, a);
    links.fixDependacies({b});
    EXPECT_EQ(linkBetween(a, b), nullptr);
    EXPECT_NE(linkBetween(b, c), nullptr);

    DepLink* kept = linkBetween(b, c);
    links.removeLink(kept);
    EXPECT_TRUE(b->dependTasks().empty());
    EXPECT_FLOAT_EQ(c->daysFromStart(), 2.0f);
}

TEST_F(DependencyLinksTest, LongChainIsCheckedWithoutRecursion) {
    std::vector<ATask*> chain;
    for (int i = 0; i < 100'000; ++i)
        chain.push_back(fx.store.insert<ATask>());
    for (int i = 0; i + 1 < 100'000; ++i) {
        auto* l = fx.store.insert<DepLink>();
        l->set(&DepLink::dependeeTask, chain[static_cast<std::size_t>(i + 1)]);
        l->set(&DepLink::dependTask, chain[static_cast<std::size_t>(i)]);
    }
    EXPECT_TRUE(links.cyclicCheck(chain.back(), chain.front()));
    EXPECT_FALSE(links.cyclicCheck(chain.front(), chain.back()));
}

// On random graphs of links and subtasks, loops included, the search answers whether a new
// edge from the start closes a loop through it: the other end leads back to the start, or
// the start already lies on a loop.
TEST_F(DependencyLinksTest, TarjansSearchFindsEveryLoopThroughTheStart) {
    std::mt19937 rng(5);
    for (int plan = 0; plan < 200; ++plan) {
        const int n = std::uniform_int_distribution<int>(2, 9)(rng);
        std::vector<ATask*> tasks;
        std::vector<std::vector<int>> next(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            tasks.push_back(fx.store.insert<ATask>());
        const auto pick = [&] { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        for (int i = 1; i < n; ++i)
            if (pick() < n / 3) {
                const int parent = pick() % i;
                tasks[static_cast<std::size_t>(i)]->set(&ATask::superTask,
                                                        tasks[static_cast<std::size_t>(parent)]);
                next[static_cast<std::size_t>(parent)].push_back(i);
            }
        for (int k = pick() + n / 2; k > 0; --k) {
            const int from = pick();
            const int to = pick();
            if (from == to)
                continue;
            auto* l = fx.store.insert<DepLink>();
            l->set(&DepLink::dependTask, tasks[static_cast<std::size_t>(from)]);
            l->set(&DepLink::dependeeTask, tasks[static_cast<std::size_t>(to)]);
            next[static_cast<std::size_t>(from)].push_back(to);
        }
        const auto leadsTo = [&](int from, int to) {
            std::vector<bool> seen(static_cast<std::size_t>(n));
            std::vector<int> pending = next[static_cast<std::size_t>(from)];
            while (!pending.empty()) {
                const int t = pending.back();
                pending.pop_back();
                if (t == to)
                    return true;
                if (!seen[static_cast<std::size_t>(t)]) {
                    seen[static_cast<std::size_t>(t)] = true;
                    for (int u : next[static_cast<std::size_t>(t)])
                        pending.push_back(u);
                }
            }
            return false;
        };
        for (int start = 0; start < n; ++start)
            for (int other = 0; other < n; ++other) {
                if (other == start)
                    continue;
                const bool loop = leadsTo(other, start) || leadsTo(start, start);
                ASSERT_EQ(links.cyclicCheckTarjan(tasks[static_cast<std::size_t>(start)],
                                                  tasks[static_cast<std::size_t>(other)]),
                          loop)
                    << "plan " << plan << ", from " << start << " to " << other;
            }
    }
}

// The placement steps as first written: a forward search from the successor, each task
// reached bringing the tasks above and below it.
bool placementLoopByForwardSearch(ATask* predecessor, ATask* successor) {
    std::set<const ATask*> reached;
    std::vector<ATask*> pending;
    const auto reachPlacedBy = [&](ATask* target) {
        std::vector<ATask*> found;
        for (ATask* a = target->superTask(); a != nullptr; a = a->superTask())
            found.push_back(a);
        std::vector<ATask*> below{target};
        while (!below.empty()) {
            ATask* t = below.back();
            below.pop_back();
            found.push_back(t);
            for (ATask* sub : t->subTasks)
                below.push_back(sub);
        }
        for (ATask* t : found)
            if (reached.insert(t).second)
                pending.push_back(t);
    };
    reachPlacedBy(successor);
    while (!pending.empty()) {
        ATask* t = pending.back();
        pending.pop_back();
        if (t == predecessor)
            return true;
        for (DepLink* l : t->dependTasks)
            if (ATask* next = l->dependeeTask())
                reachPlacedBy(next);
    }
    return false;
}

// The check searches from both ends at once; on random outlines with links, loops included,
// it refuses exactly the links the forward searches refuse.
TEST_F(DependencyLinksTest, TheLoopCheckAgreesWithForwardSearches) {
    std::mt19937 rng(9);
    int refused = 0;
    int checked = 0;
    for (int plan = 0; plan < 150; ++plan) {
        const int n = std::uniform_int_distribution<int>(3, 10)(rng);
        std::vector<ATask*> tasks;
        for (int i = 0; i < n; ++i)
            tasks.push_back(fx.store.insert<ATask>());
        const auto pick = [&] { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        for (int i = 1; i < n; ++i)
            if (pick() < n / 2)
                tasks[static_cast<std::size_t>(i)]->set(
                    &ATask::superTask, tasks[static_cast<std::size_t>(pick() % i)]);
        for (int k = pick() / 2 + 1; k > 0; --k) {
            ATask* from = tasks[static_cast<std::size_t>(pick())];
            ATask* to = tasks[static_cast<std::size_t>(pick())];
            if (from == to)
                continue;
            auto* l = fx.store.insert<DepLink>();
            l->set(&DepLink::dependTask, from);
            l->set(&DepLink::dependeeTask, to);
        }
        const auto leadsTo = [](ATask* from, ATask* to) {
            std::set<const ATask*> seen;
            std::vector<ATask*> pending{from};
            while (!pending.empty()) {
                ATask* t = pending.back();
                pending.pop_back();
                std::vector<ATask*> next = t->subTasks();
                for (DepLink* l : t->dependTasks)
                    if (l->dependeeTask() != nullptr)
                        next.push_back(l->dependeeTask());
                for (ATask* u : next) {
                    if (u == to)
                        return true;
                    if (seen.insert(u).second)
                        pending.push_back(u);
                }
            }
            return false;
        };
        for (ATask* p : tasks)
            for (ATask* s : tasks) {
                if (p == s)
                    continue;
                std::set<const ATask*> holdingP;
                for (const ATask* a = p->superTask(); a != nullptr; a = a->superTask())
                    holdingP.insert(a);
                bool loop = DependencyLinks::hasAsParent(p, s) || leadsTo(s, p) || leadsTo(p, p);
                for (ATask* a = s->superTask(); a != nullptr && !holdingP.contains(a);
                     a = a->superTask())
                    loop = loop || leadsTo(a, p);
                loop = loop || placementLoopByForwardSearch(p, s);
                ASSERT_EQ(links.cyclicCheck(p, s), loop) << "plan " << plan;
                refused += loop ? 1 : 0;
                ++checked;
            }
    }
    EXPECT_GT(refused, checked / 10);
    EXPECT_LT(refused, checked * 9 / 10);
}

} // namespace
} // namespace mapolt::testing
