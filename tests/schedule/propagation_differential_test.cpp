#include "schedule/dependency_links.h"
#include "schedule/task_editing.h"

#include "support/literal_propagation.h"
#include "support/random_edits.h"
#include "support/schedule_builder.h"

#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/preferences.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace mapolt::testing {
namespace {

float endOf(const ATask* t) {
    return t->daysFromStart() + t->elapsedTime();
}

EditedCopy::EngineMaker literalEngine(LiteralPropagation::WalkOrder order) {
    return [order](ScheduleFixture& fx) {
        return std::make_unique<LiteralPropagation>(fx.store, fx.engine, order);
    };
}

// The fast engine walks links and subtasks in store order and skips only visits that cannot
// change anything, so it must give the reference's answer in that order on every project;
// where the reversed walk gives a different answer (sticky lags make the last placing
// predecessor win), store order decides.
TEST(PropagationDifferentialTest, FastEngineMatchesTheReferenceAfterEveryEdit) {
    using Order = LiteralPropagation::WalkOrder;
    int orderIndependent = 0;
    for (std::uint32_t seed = 1; seed <= 1200; ++seed) {
        EditedCopy fast;
        EditedCopy stored(literalEngine(Order::Stored));
        EditedCopy reversed(literalEngine(Order::Reversed));
        buildRandomSchedule(fast, seed);
        buildRandomSchedule(stored, seed);
        buildRandomSchedule(reversed, seed);
        std::mt19937 rng(seed * 7919u);
        const int n = static_cast<int>(fast.tasks.size());
        bool agreed = true;
        for (int step = 0; step < 6; ++step) {
            const RandomEdit e = randomEdit(rng, n);
            applyEdit(fast, e);
            applyEdit(stored, e);
            applyEdit(reversed, e);
            const auto expected = readDates(stored);
            agreed = agreed && readDates(reversed) == expected;
            ASSERT_EQ(readDates(fast), expected) << "seed " << seed << " edit " << step;
        }
        orderIndependent += agreed ? 1 : 0;
    }
    EXPECT_GE(orderIndependent, 1000);
}

TEST(PropagationDifferentialTest, LongChainSchedulesWithoutRecursion) {
    ScheduleFixture fx;
    std::vector<ATask*> chain;
    for (int i = 0; i < 100'000; ++i) {
        ATask* t = fx.store.insert<ATask>();
        t->set(&ATask::hours, 8.0f);
        t->set(&ATask::adjustElapsed, true);
        t->set(&ATask::invalid, true);
        t->set(&ATask::project, fx.project);
        if (!chain.empty()) {
            auto* l = fx.store.insert<DepLink>();
            l->set(&DepLink::dependeeTask, t);
            l->set(&DepLink::dependTask, chain.back());
        }
        chain.push_back(t);
    }
    changeWork(fx.engine, chain.front(), 16.0f);
    // Seven calendar days per five working ones: the last of 100,001 working days.
    const float last = chain.back()->daysFromStart();
    EXPECT_GT(last, 100'000.0f * 7 / 5 - 10);
    EXPECT_LT(last, 100'001.0f * 7 / 5 + 10);
}

// Two tasks per level, each linked to both of the next level: 2^80 paths from the head, which
// a walk revisiting a task once per path would never finish.
TEST(PropagationDifferentialTest, LatticeOfLinksIsPlacedAfterEveryLatestPredecessor) {
    ScheduleFixture fx;
    std::vector<std::array<ATask*, 2>> levels;
    for (int i = 0; i < 80; ++i) {
        levels.push_back({fx.leaf(8.0f * static_cast<float>(1 + i % 3)), fx.leaf(8.0f)});
        fx.engine.calcDaysForTask(levels.back()[0]);
        fx.engine.calcDaysForTask(levels.back()[1]);
        if (i == 0)
            continue;
        for (ATask* from : levels[levels.size() - 2])
            for (ATask* to : levels.back()) {
                auto* l = fx.store.insert<DepLink>();
                l->set(&DepLink::dependeeTask, to);
                l->set(&DepLink::dependTask, from);
            }
    }
    fx.store.flushPendingChanges();
    changeWork(fx.engine, levels.front()[0], 40.0f);
    for (std::size_t i = 1; i < levels.size(); ++i) {
        const float latest = std::max(endOf(levels[i - 1][0]), endOf(levels[i - 1][1]));
        for (const ATask* t : levels[i])
            ASSERT_FLOAT_EQ(t->daysFromStart(), latest) << "level " << i;
    }
}

// The link service refuses such a loop, but an outline edit or a foreign file can bring one:
// a summary leading to a task that leads back into its subtree.
TEST(PropagationDifferentialTest, LoopThatNeverSettlesStopsWithADiagnostic) {
    ScheduleFixture fx;
    ATask* u = fx.leaf(8.0f);
    ATask* g = fx.summaryOf({u});
    ATask* x = fx.leaf(8.0f);
    const auto link = [&fx](ATask* from, ATask* to) {
        auto* l = fx.store.insert<DepLink>();
        l->set(&DepLink::dependeeTask, to);
        l->set(&DepLink::dependTask, from);
    };
    link(g, x);
    link(x, u);
    std::vector<std::string> log;
    const DiagnosticSink previous =
        setDiagnosticSink([&log](std::string_view line) { log.emplace_back(line); });
    changeWork(fx.engine, u, 16.0f);
    setDiagnosticSink(previous);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("never settles"), std::string::npos) << log[0];
    EXPECT_FLOAT_EQ(u->hours(), 16.0f) << "the edit itself is kept";
}

} // namespace
} // namespace mapolt::testing
