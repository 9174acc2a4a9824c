#include "schedule/critical_path.h"

#include "model/entities.h"
#include "model/preferences.h"
#include "model/store.h"
#include "model/task_helper.h"
#include "support/literal_critical_path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace mapolt {
namespace {

// Tasks placed by hand: the trace reads only their dates, links and outline.
struct CriticalPathTest : ::testing::Test {
    Store store;
    Project* project = store.insert<Project>();
    CriticalPath cp{store};

    ATask* task(float start, float elapsed, ATask* summary = nullptr) {
        auto* t = store.insert<ATask>();
        t->set(&ATask::project, project);
        t->set(&ATask::daysFromStart, start);
        t->set(&ATask::elapsedTime, elapsed);
        if (summary != nullptr)
            t->set(&ATask::superTask, summary);
        return t;
    }
    DepLink* link(ATask* from, ATask* to, double lag = 0.0, bool sticky = false) {
        auto* l = store.insert<DepLink>();
        l->set(&DepLink::dependTask, from);
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::daysBetween, lag);
        l->set(&DepLink::sticky, sticky);
        return l;
    }
    std::vector<int> levels(const std::vector<ATask*>& tasks) const {
        std::vector<int> out;
        for (const ATask* t : tasks)
            out.push_back(cp.getCriticalityOfTask(t));
        return out;
    }
    void endRoots() {
        cp.setShowEndCP(true);
        cp.calcProjectCp();
    }
};

using ::testing::ElementsAre;

TEST_F(CriticalPathTest, ChainToTheEndIsCriticalBehindItsRoot) {
    ATask* a = task(0, 2);
    ATask* b = task(2, 3);
    ATask* d = task(5, 1);
    ATask* loose = task(0, 1);
    link(a, b);
    link(b, d);
    endRoots();
    EXPECT_TRUE(cp.isCriticalOn());
    EXPECT_THAT(levels({a, b, d, loose}), ElementsAre(2, 2, 3, 0));
    EXPECT_THAT(cp.rootCptasks(), ElementsAre(d));
}

TEST_F(CriticalPathTest, ALagMakesEverythingBeforeItFloatUnlessTheLinkIsSticky) {
    ATask* z = task(0, 1);
    ATask* a = task(1, 2);
    ATask* b = task(5, 1);
    link(z, a);
    DepLink* lag = link(a, b, 2.0);
    endRoots();
    EXPECT_THAT(levels({z, a, b}), ElementsAre(1, 1, 3));
    lag->set(&DepLink::sticky, true);
    cp.recalcCP();
    EXPECT_THAT(levels({z, a, b}), ElementsAre(2, 2, 3));
    // A lag too small for a float is none.
    lag->set(&DepLink::sticky, false);
    lag->set(&DepLink::daysBetween, 1e-60);
    cp.recalcCP();
    EXPECT_THAT(levels({z, a, b}), ElementsAre(2, 2, 3));
}

TEST_F(CriticalPathTest, EveryTaskEndingLastIsARoot) {
    ATask* a = task(0, 4);
    ATask* b = task(1, 3);
    ATask* c = task(0, 2);
    endRoots();
    EXPECT_THAT(levels({a, b, c}), ElementsAre(3, 3, 0));
    EXPECT_THAT(cp.rootCptasks(), ElementsAre(a, b));
}

TEST_F(CriticalPathTest, WithNoTaskEndingAfterDayZeroThoseEndingAtZeroAreRoots) {
    ATask* a = task(0, 0);
    ATask* before = task(-3, 1);
    endRoots();
    EXPECT_THAT(levels({a, before}), ElementsAre(3, 0));
}

TEST_F(CriticalPathTest, SummariesArePlacedUpwardsFromTheRootsOnly) {
    ATask* outer = task(0, 12);
    ATask* inner = task(0, 10, outer);
    ATask* root = task(4, 6, inner);
    ATask* early = task(0, 2, inner);
    ATask* last = task(10, 2, outer);
    ATask* otherSummary = task(0, 3);
    ATask* pred = task(0, 3, otherSummary);
    link(pred, root);
    cp.setShowProjCP(true);
    root->set(&ATask::isCritical, true);
    cp.calcProjectCp();
    // The root reaches its summary's end, the summary not its own summary's; the summary
    // of a mere predecessor is not placed.
    EXPECT_THAT(levels({root, inner, outer, pred, otherSummary, early, last}),
                ElementsAre(3, 2, 1, 2, 0, 0, 0));

    // A root ending before its summary's end makes the summary float; a float summary that
    // reaches the end of its own summary still makes that one critical.
    root->set(&ATask::isCritical, false);
    early->set(&ATask::isCritical, true);
    outer->set(&ATask::elapsedTime, 10.0f);
    last->set(&ATask::superTask, nullptr);
    cp.calcProjectCp();
    EXPECT_THAT(levels({early, inner, outer, root}), ElementsAre(3, 1, 2, 0));
}

TEST_F(CriticalPathTest, ProjectRootsWithNothingMarkedTurnTheDisplayOff) {
    ATask* a = task(0, 1);
    ATask* b = task(1, 1);
    link(a, b);
    endRoots();
    ASSERT_TRUE(cp.isCriticalOn());
    cp.setShowEndCP(false);
    cp.setShowProjCP(true);
    cp.calcProjectCp();
    EXPECT_FALSE(cp.isCriticalOn());
    EXPECT_THAT(levels({a, b}), ElementsAre(0, 0));
    b->set(&ATask::isCritical, true);
    cp.calcProjectCp();
    EXPECT_THAT(levels({a, b}), ElementsAre(2, 3));
    cp.clearCrit();
    EXPECT_FALSE(cp.isCriticalOn());
    cp.recalcCP();
    EXPECT_THAT(levels({a, b}), ElementsAre(0, 0));
}

TEST_F(CriticalPathTest, ARootSummaryTracesItsDrivingSubtasks) {
    ATask* summary = task(0, 6);
    ATask* driving = task(2, 4, summary);
    ATask* alsoDriving = task(5, 1, summary);
    ATask* early = task(0, 2, summary);
    ATask* feeder = task(0, 2);
    ATask* slackFeeder = task(0, 1);
    link(feeder, driving);
    link(slackFeeder, alsoDriving, 3.0);
    endRoots();
    EXPECT_THAT(levels({summary, driving, alsoDriving, early, feeder, slackFeeder}),
                ElementsAre(3, 3, 3, 0, 2, 1));
    cp.setShowEndCP(false);
    cp.setShowProjCP(true);
    summary->set(&ATask::isCritical, true);
    cp.calcProjectCp();
    EXPECT_THAT(levels({summary, driving, alsoDriving, early, feeder, slackFeeder}),
                ElementsAre(3, 2, 2, 0, 2, 1));
}

TEST_F(CriticalPathTest, TaskHelperForwardsToTheAttachedService) {
    MemoryPreferences preferences;
    TaskHelper helper(store, project, preferences);
    ATask* a = task(0, 1);
    ATask* b = task(1, 2);
    link(a, b);
    helper.setShowEndCP(true);
    helper.calcProjectCp();
    EXPECT_FALSE(helper.isCriticalOn());
    EXPECT_EQ(helper.getCriticalityOfTask(b), 0);
    helper.setCriticalPath(&cp);
    helper.setShowEndCP(true);
    helper.calcProjectCp();
    EXPECT_TRUE(helper.isCriticalOn());
    EXPECT_EQ(helper.getCriticalityOfTask(a), 2);
    EXPECT_EQ(helper.getCriticalityOfTask(b), 3);
    helper.clearCrit();
    EXPECT_FALSE(cp.isCriticalOn());
}

TEST_F(CriticalPathTest, CircularLinksOfADamagedFileEndTheTrace) {
    ATask* a = task(0, 2);
    ATask* b = task(2, 2);
    ATask* c = task(4, 1);
    link(a, b);
    link(b, a);
    link(b, c);
    ATask* summary = task(0, 5);
    ATask* sub = task(0, 5, summary);
    summary->set(&ATask::superTask, sub);
    endRoots();
    EXPECT_THAT(levels({a, b, c, summary, sub}), ElementsAre(2, 2, 3, 3, 3));
}

TEST_F(CriticalPathTest, AChainLongerThanTheCallStackCouldFollowIsTraced) {
    std::vector<ATask*> chain{task(0, 1)};
    for (int i = 1; i < 50'000; ++i) {
        chain.push_back(task(static_cast<float>(i), 1));
        link(chain[chain.size() - 2], chain.back());
    }
    endRoots();
    EXPECT_EQ(cp.getCriticalityOfTask(chain.back()), 3);
    EXPECT_EQ(cp.getCriticalityOfTask(chain.front()), 2);
    EXPECT_EQ(cp.cpTasksCrit().size(), chain.size() - 1);
}

// Random small outlines with random dates and links (acyclic, never between a task and its
// own summaries); the service must find the same sets as the literal trace.
struct RandomProjectCase {
    std::mt19937 rng;
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return below(100) < percent; }
};

bool isAncestor(const ATask* a, const ATask* of) {
    for (const ATask* p = of->superTask(); p != nullptr; p = p->superTask())
        if (p == a)
            return true;
    return false;
}

TEST_F(CriticalPathTest, SameSetsAsTheLiteralTraceOnRandomProjects) {
    int traced = 0;
    for (std::uint32_t seed = 1; seed <= 10000; ++seed) {
        Store s;
        RandomProjectCase r{std::mt19937(seed)};
        const int n = 3 + r.below(12);
        std::vector<ATask*> tasks;
        for (int i = 0; i < n; ++i) {
            auto* t = s.insert<ATask>();
            t->set(&ATask::daysFromStart, static_cast<float>(r.below(8)));
            t->set(&ATask::elapsedTime, static_cast<float>(r.below(4)) * 0.5f);
            t->set(&ATask::isCritical, r.chance(15));
            if (i > 0 && r.chance(45))
                t->set(&ATask::superTask, tasks[static_cast<std::size_t>(r.below(i))]);
            tasks.push_back(t);
        }
        // Half the outlines have summaries that span their subtasks, as placed plans do.
        if (r.chance(50))
            for (auto it = tasks.rbegin(); it != tasks.rend(); ++it)
                if (!(*it)->subTasks.empty()) {
                    float start = 1e9f;
                    float end = -1e9f;
                    for (ATask* sub : (*it)->subTasks) {
                        start = std::min(start, sub->daysFromStart());
                        end = std::max(end, CriticalPath::endOf(sub));
                    }
                    (*it)->set(&ATask::daysFromStart, start);
                    (*it)->set(&ATask::elapsedTime, end - start);
                }
        // Links go forward in a random order of the tasks, so they never form a circle.
        std::vector<int> order(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            order[static_cast<std::size_t>(i)] = i;
        std::shuffle(order.begin(), order.end(), r.rng);
        const int links = r.below(2 * n);
        for (int k = 0; k < links; ++k) {
            const int x = r.below(n);
            const int y = r.below(n);
            if (order[static_cast<std::size_t>(x)] >= order[static_cast<std::size_t>(y)])
                continue;
            ATask* from = tasks[static_cast<std::size_t>(x)];
            ATask* to = tasks[static_cast<std::size_t>(y)];
            if (isAncestor(from, to) || isAncestor(to, from))
                continue;
            auto* l = s.insert<DepLink>();
            l->set(&DepLink::dependTask, from);
            l->set(&DepLink::dependeeTask, to);
            l->set(&DepLink::daysBetween, r.chance(30) ? static_cast<double>(r.below(5) - 2) : 0.0);
            l->set(&DepLink::sticky, r.chance(30));
        }

        CriticalPath fast(s);
        fast.setShowEndCP(r.chance(80));
        fast.setShowProjCP(r.chance(50));
        fast.calcProjectCp();
        const std::vector<ATask*> roots = fast.rootCptasks();
        fast.calcCPFromRoots();
        testing::LiteralCriticalPath literal;
        const std::vector<int> expected = literal.levels(roots, tasks);
        std::vector<int> got;
        for (const ATask* t : tasks)
            got.push_back(fast.getCriticalityOfTask(t));
        ASSERT_EQ(got, expected) << "seed " << seed;
        ASSERT_EQ(fast.cpTasksCrit(), literal.cpTasksCrit) << "seed " << seed;
        ASSERT_EQ(fast.cpTasksFlaot(), literal.cpTasksFlaot) << "seed " << seed;
        ASSERT_EQ(fast.tempSubTasks(), literal.tempSubTasks) << "seed " << seed;
        ASSERT_EQ(fast.tempSubTasksCrit(), literal.tempSubTasksCrit) << "seed " << seed;
        traced += roots.empty() ? 0 : 1;
    }
    EXPECT_GT(traced, 7000);
}

} // namespace
} // namespace mapolt
