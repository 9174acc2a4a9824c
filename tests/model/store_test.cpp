#include "model/entities.h"
#include "model/filters.h"
#include "model/notification_center.h"
#include "model/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

namespace mapolt {
namespace {

struct StoreTest : ::testing::Test {
    Store store;
    ATask* newTask(const char* name) {
        auto* t = store.insert<ATask>();
        t->setName(std::string(name));
        return t;
    }
};

TEST_F(StoreTest, OneToOneDisplacesBothOldPartners) {
    ATask* a = newTask("a");
    ATask* b = newTask("b");
    ATask* c = newTask("c");
    c->set(&ATask::nextSibling, b);
    a->set(&ATask::nextSibling, b);
    EXPECT_EQ(c->nextSibling(), nullptr);
    EXPECT_EQ(b->prevSibling(), a);
    a->set(&ATask::nextSibling, nullptr);
    EXPECT_EQ(b->prevSibling(), nullptr);
}

TEST_F(StoreTest, ToOneMovesBetweenToManySets) {
    ATask* p1 = newTask("p1");
    ATask* p2 = newTask("p2");
    ATask* t = newTask("t");
    t->set(&ATask::superTask, p1);
    t->set(&ATask::superTask, p2);
    EXPECT_FALSE(p1->subTasks.contains(t));
    EXPECT_TRUE(p2->subTasks.contains(t));
    p1->addTo(&ATask::subTasks, t);
    EXPECT_EQ(t->superTask(), p1);
    EXPECT_TRUE(p2->subTasks.empty());
}

TEST_F(StoreTest, ManyToManyKeepsBothEnds) {
    ATask* t = newTask("t");
    auto* m = store.insert<MileStone>();
    t->addTo(&ATask::milestone, m);
    EXPECT_TRUE(m->tasks.contains(t));
    m->removeFrom(&MileStone::tasks, t);
    EXPECT_TRUE(t->milestone.empty());
}

TEST_F(StoreTest, DeletionClearsPartnersAndUndoBringsItBack) {
    ATask* a = newTask("a");
    ATask* b = newTask("b");
    auto* link = store.insert<DepLink>();
    link->set(&DepLink::dependTask, a);
    link->set(&DepLink::dependeeTask, b);
    store.flushPendingChanges();
    store.deleteRecord(link);
    EXPECT_TRUE(a->dependTasks.empty());
    EXPECT_TRUE(b->dependeeTasks.empty());
    EXPECT_EQ(store.count(Entity::DepLink), 0u);
    store.undoManager().undo();
    EXPECT_EQ(store.count(Entity::DepLink), 1u);
    EXPECT_EQ(link->dependTask(), a);
    EXPECT_TRUE(b->dependeeTasks.contains(link));
    store.undoManager().redo();
    EXPECT_TRUE(store.fetch<DepLink>().empty());
}

// A one-to-many set finds its members through the slot each keeps in its to-one end, so
// a slot gone stale after a move, a compaction or an undo would lose or duplicate members.
TEST_F(StoreTest, OneToManySetsFollowTheirMembersThroughMovesDeletionsAndUndo) {
    std::vector<Resource*> owners;
    for (int i = 0; i < 3; ++i)
        owners.push_back(store.insert<Resource>());
    std::vector<AResourceUsage*> usage;
    for (int i = 0; i < 300; ++i)
        usage.push_back(store.insert<AResourceUsage>());
    // Each owner's members in the order they joined.
    std::vector<std::vector<Record*>> expected(owners.size());
    auto ownerIndex = [&](const Resource* r) {
        return static_cast<std::size_t>(std::find(owners.begin(), owners.end(), r) -
                                        owners.begin());
    };
    auto sorted = [](std::vector<Record*> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    auto checkAgainst = [&](const std::vector<std::vector<Record*>>& want, bool inOrder) {
        for (std::size_t o = 0; o < owners.size(); ++o) {
            const std::vector<Record*> have = owners[o]->resourceUsage.members();
            ASSERT_EQ(inOrder ? have : sorted(have), inOrder ? want[o] : sorted(want[o]));
            for (AResourceUsage* u : usage)
                ASSERT_EQ(owners[o]->resourceUsage.contains(u),
                          u->resource() == owners[o] && !u->isDeleted());
        }
    };
    std::mt19937 rng(11);
    for (int step = 0; step < 4000; ++step) {
        AResourceUsage* u = usage[rng() % usage.size()];
        if (u->isDeleted())
            continue;
        const unsigned pick = rng() % 8;
        Resource* old = u->resource();
        if (old != nullptr && (pick < 2 || old != owners[pick % owners.size()]))
            std::erase(expected[ownerIndex(old)], u);
        if (pick == 0) {
            store.deleteRecord(u);
        } else if (pick == 1) {
            u->set(&AResourceUsage::resource, nullptr);
        } else {
            // Joining the set it is already in leaves a member where it is.
            Resource* to = owners[pick % owners.size()];
            if (pick % 2 == 0) {
                to->addTo(&Resource::resourceUsage, u);
            } else {
                u->set(&AResourceUsage::resource, to);
            }
            if (to != old)
                expected[ownerIndex(to)].push_back(u);
        }
        if (step % 50 == 0)
            store.flushPendingChanges();
        if (step % 200 == 0)
            checkAgainst(expected, true);
    }
    store.flushPendingChanges();
    checkAgainst(expected, true);

    // Undo brings members back at the end of their sets, so from here order is not kept.
    while (store.undoManager().canUndo())
        store.undoManager().undo();
    checkAgainst(std::vector<std::vector<Record*>>(owners.size()), false);
    while (store.undoManager().canRedo())
        store.undoManager().redo();
    checkAgainst(expected, false);
}

TEST_F(StoreTest, PrimitiveWritesAreNeitherObservedNorUndone) {
    ATask* t = newTask("t");
    store.flushPendingChanges();
    int seen = 0;
    store.observe(Entity::ATask, "percComp", [&](Record&, std::string_view) { ++seen; });
    const std::size_t groups = store.undoManager().undoGroupCount();
    t->setPrimitive(&ATask::percComp, 40.0f);
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(store.undoManager().undoGroupCount(), groups);
    t->set(&ATask::percComp, 60.0f);
    EXPECT_EQ(seen, 1);
    store.undoManager().undo();
    EXPECT_FLOAT_EQ(t->percComp(), 40.0f);
    EXPECT_EQ(seen, 2);
}

TEST_F(StoreTest, UndoHookRunsAndRegistrationCanPause) {
    int hooks = 0;
    store.undoManager().setAfterUndoRedo([&] { ++hooks; });
    ATask* t = newTask("t");
    store.flushPendingChanges();
    {
        UndoRegistrationPause pause(store.undoManager());
        t->set(&ATask::hours, 3.0f);
    }
    t->set(&ATask::cost, 5.0f);
    store.undoManager().undo();
    EXPECT_FLOAT_EQ(t->hours(), 3.0f);
    EXPECT_FLOAT_EQ(t->cost(), 0.0f);
    EXPECT_EQ(hooks, 1);
}

TEST_F(StoreTest, AbsentValuesReadAsZeroExceptShowDivider) {
    auto* p = store.insert<Project>();
    ATask* t = store.insert<ATask>();
    EXPECT_TRUE(p->showsDivider());
    EXPECT_EQ(std::get<bool>(p->value("showDivider")), true);
    EXPECT_TRUE(isAbsent(t->value("percComp")));
    EXPECT_FLOAT_EQ(t->percComp(), 0.0f);
    p->set(&Project::showDivider, false);
    EXPECT_FALSE(p->showsDivider());
}

TEST_F(StoreTest, TaskNameSetterSideEffects) {
    ATask* t = store.insert<ATask>();
    t->setName(std::string("Dig"));
    EXPECT_FLOAT_EQ(t->hours(), 8.0f);
    EXPECT_TRUE(t->invalid());
    t->set(&ATask::hours, 20.0f);
    t->set(&ATask::percComp, 50.0f);
    t->setName(std::string("Dig deeper"));
    EXPECT_FLOAT_EQ(t->hours(), 20.0f);
    EXPECT_FLOAT_EQ(t->percComp(), 0.0f);
    t->setName(std::string());
    EXPECT_TRUE(t->isBlank());
    EXPECT_TRUE(t->hours.absent());
}

TEST_F(StoreTest, ResourceInitialsAndProjectChanged) {
    auto* r = store.insert<Resource>();
    int posts = 0;
    NotificationObserver obs(kProjectChanged, r, [&](const Notification&) { ++posts; });
    r->setName(std::string("Resource Name"));
    EXPECT_EQ(r->initials(), "RN");
    r->setName(std::string("  ann  bo  Carl"));
    EXPECT_EQ(r->initials(), "abC");
    r->setName(std::string("Émile"));
    EXPECT_EQ(r->initials(), "É");
    EXPECT_EQ(posts, 3);
}

TEST_F(StoreTest, IdentityStringsResolveWhileLive) {
    ATask* t = newTask("t");
    const std::string id = store.identityString(t);
    EXPECT_EQ(store.recordForIdentity(id), t);
    EXPECT_EQ(store.recordForIdentity("x-mapolt://ATask/999999"), nullptr);
    EXPECT_EQ(store.recordForIdentity("garbage"), nullptr);
    store.deleteRecord(t);
    EXPECT_EQ(store.recordForIdentity(id), nullptr);
}

TEST_F(StoreTest, FiltersMatchTheirMeaning) {
    ATask* a = newTask("Write Report");
    ATask* b = newTask("review");
    a->set(&ATask::viewOrder, 0);
    b->set(&ATask::viewOrder, 1);
    EXPECT_TRUE(filters::likeCaseInsensitive("Write Report", "write*"));
    EXPECT_TRUE(filters::likeCaseInsensitive("review", "r?view"));
    EXPECT_FALSE(filters::likeCaseInsensitive("review", "r?view?"));
    EXPECT_TRUE(filters::likeCaseInsensitive("ÉTÉ", "*té"));
    EXPECT_EQ(store.fetch<ATask>(filters::findAfterFilter(0, "*E*")).size(), 1u);
    EXPECT_EQ(store.fetch<ATask>(filters::findBeforeFilter(1, "*E*")).front(), a);
    EXPECT_EQ(store.fetch<ATask>(filters::viewOrderFilter<ATask>(1)).front(), b);
    auto* orphan = store.insert<ATaskResource>();
    orphan->set(&ATaskResource::task, a);
    EXPECT_EQ(store.fetch<ATaskResource>(filters::orphanAssignmentFilter).size(), 1u);
}

TEST(SchemaTest, EveryEntityHasItsTableAndInverses) {
    for (std::size_t i = 0; i < kEntityCount; ++i) {
        const EntitySchema& s = schemaOf(static_cast<Entity>(i));
        for (const RelationshipDesc& r : s.relationships) {
            const RelationshipDesc& back = schemaOf(r.target).relationships[r.inverseIndex];
            EXPECT_EQ(back.inverseName, r.name) << s.name << "." << r.name;
        }
    }
    EXPECT_EQ(schemaNamed("ATask")->attributes.size(), 27u);
    EXPECT_EQ(schemaNamed("StyleColours")->relationships.size(), 17u);
    EXPECT_EQ(fileEntityOrder().size(), kEntityCount);
}

} // namespace
} // namespace mapolt

namespace mapolt {
namespace {

TEST(UndoCommandGroupTest, FlushesInsideACommandUndoAsOne) {
    Store store;
    auto* t = store.insert<ATask>();
    store.flushPendingChanges();
    {
        UndoCommandGroup command(store.undoManager());
        t->set(&ATask::daysFromStart, 3.0f);
        store.flushPendingChanges();
        t->set(&ATask::hours, 16.0f);
        store.flushPendingChanges();
    }
    store.undoManager().undo();
    EXPECT_FALSE(t->daysFromStart.optional().has_value());
    EXPECT_FALSE(t->hours.optional().has_value());
}

// A group keeps an attribute's value from before the group once, however often the group
// changes it; undo restores that value, redo the last one.
TEST(UndoCommandGroupTest, EachChangedAttributeIsRecordedOnce) {
    Store store;
    auto* t = store.insert<ATask>();
    auto* other = store.insert<ATask>();
    t->set(&ATask::daysFromStart, 1.0f);
    t->set(&ATask::hours, 8.0f);
    store.flushPendingChanges();
    store.undoManager().removeAllActions();
    {
        UndoCommandGroup command(store.undoManager());
        for (int i = 0; i < 1000; ++i) {
            t->set(&ATask::daysFromStart, static_cast<float>(i));
            other->set(&ATask::elapsedTime, static_cast<float>(i) / 2.0f);
            t->set(&ATask::superTask, i % 2 == 0 ? other : nullptr);
            store.flushPendingChanges();
        }
        t->set(&ATask::hours, 16.0f);
        t->set(&ATask::hours, 8.0f);
    }
    // Two attribute steps and the relationship's two thousand, one on each end per change;
    // the hours came back where they started and need none.
    EXPECT_EQ(store.undoManager().recordedStepCount(), 2u + 2u * 1000u);
    EXPECT_EQ(store.undoManager().undoGroupCount(), 1u);
    store.undoManager().undo();
    EXPECT_FLOAT_EQ(t->daysFromStart(), 1.0f);
    EXPECT_FALSE(other->elapsedTime.optional().has_value());
    EXPECT_EQ(t->superTask(), nullptr);
    EXPECT_TRUE(other->subTasks.empty());
    EXPECT_FLOAT_EQ(t->hours(), 8.0f);
    store.undoManager().redo();
    EXPECT_FLOAT_EQ(t->daysFromStart(), 999.0f);
    EXPECT_FLOAT_EQ(other->elapsedTime(), 499.5f);
    EXPECT_EQ(t->superTask(), nullptr);
    store.undoManager().undo();
    EXPECT_FLOAT_EQ(t->daysFromStart(), 1.0f);

    // A group whose every change came back to where it started leaves nothing to undo.
    store.undoManager().removeAllActions();
    t->set(&ATask::hours, 2.0f);
    t->set(&ATask::hours, 8.0f);
    store.flushPendingChanges();
    EXPECT_FALSE(store.undoManager().canUndo());
}

TEST(StoreValueRevisionTest, CacheFlagWritesDoNotCountAsValueChanges) {
    Store store;
    auto* t = store.insert<ATask>();
    const auto before = store.valueRevision();
    t->set(&ATask::invalid, true);
    EXPECT_EQ(store.valueRevision(), before);
    t->set(&ATask::daysFromStart, 1.0f);
    EXPECT_GT(store.valueRevision(), before);
    EXPECT_EQ(store.liveRecord(Entity::ATask, t->serial()), t);
    store.deleteRecord(t);
    EXPECT_EQ(store.liveRecord(Entity::ATask, t->serial()), nullptr);
}

// The keys an index reads tell it whether to rebuild: dates moving leave the outline's
// revision alone; a move in the outline, a silent write of it, an undo or a new task do not.
TEST(StoreKeyRevisionTest, GrowsWithItsKeysAndWithRecordsComingAndGoing) {
    Store store;
    ATask* parent = store.insert<ATask>();
    ATask* t = store.insert<ATask>();
    const auto outline = [&store] {
        return store.revision(Entity::ATask, {"superTask", "viewOrder", "isExpanded"});
    };
    std::uint64_t seen = outline();
    t->set(&ATask::daysFromStart, 3.0f);
    t->setPrimitive(&ATask::daysTillEnd, 4.0f);
    parent->set(&ATask::name, std::string("moved dates only"));
    EXPECT_EQ(outline(), seen);
    store.flushPendingChanges();

    const auto grew = [&] {
        const std::uint64_t now = outline();
        return std::exchange(seen, now) != now;
    };
    t->set(&ATask::superTask, parent);
    EXPECT_TRUE(grew()) << "a new parent";
    store.flushPendingChanges();
    parent->setPrimitive(&ATask::isExpanded, false);
    EXPECT_TRUE(grew()) << "a silent write";
    store.undoManager().undo();
    EXPECT_TRUE(grew()) << "undo";
    ASSERT_EQ(t->superTask(), nullptr);
    store.insert<ATask>();
    EXPECT_TRUE(grew()) << "a new task";
    store.deleteRecord(t);
    EXPECT_TRUE(grew()) << "a deleted task";
    EXPECT_THROW(store.revision(Entity::ATask, "noSuchKey"), std::logic_error);
}

// Every reader sees each record changed since its own cursor, however the others read.
TEST(StoreChangeJournalTest, EachReaderSeesEveryRecordChangedSinceItsCursor) {
    Store store;
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    ATask* a = store.insert<ATask>();
    ATask* b = store.insert<ATask>();
    const auto changed = [&store](std::uint64_t& cursor) {
        std::vector<Record*> seen = store.changesSince(cursor).value();
        std::sort(seen.begin(), seen.end());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        return seen;
    };
    const auto both = [&] {
        std::vector<Record*> v{a, b};
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(changed(first), both());

    a->setPrimitive(&ATask::daysFromStart, 2.0f);
    EXPECT_EQ(changed(first), std::vector<Record*>{a}) << "a silent write";
    a->set(&ATask::hours, 4.0f);
    EXPECT_EQ(changed(second), both()) << "the second reader still sees the insertions";
    b->set(&ATask::hours, 4.0f);
    EXPECT_EQ(changed(first), both()) << "a was written again after the first read";
    EXPECT_TRUE(changed(first).empty());
    store.undoManager().undo();
    EXPECT_EQ(changed(first), both()) << "undo takes both back";
    EXPECT_EQ(changed(second), both());
}

// A reader too far behind is told to rebuild rather than given a partial list, and so is one
// whose records may have been freed.
TEST(StoreChangeJournalTest, AReaderFarBehindOrPastFreedRecordsRebuilds) {
    Store store;
    std::uint64_t behind = 0;
    std::uint64_t current = 0;
    std::vector<ATask*> tasks;
    for (int i = 0; i < 100; ++i)
        tasks.push_back(store.insert<ATask>());
    ASSERT_TRUE(store.changesSince(behind).has_value());
    ASSERT_TRUE(store.changesSince(current).has_value());
    // Each round is read by one reader, so each adds every task to the journal again.
    for (int round = 0; round < 60; ++round) {
        for (ATask* t : tasks)
            t->setPrimitive(&ATask::daysFromStart, static_cast<float>(round));
        store.changesSince(current);
    }
    EXPECT_FALSE(store.changesSince(behind).has_value());
    EXPECT_TRUE(store.changesSince(behind).has_value()) << "caught up again";

    store.deleteRecord(tasks.front());
    store.undoManager().removeAllActions();
    store.flushPendingChanges();
    EXPECT_FALSE(store.changesSince(current).has_value());
}

} // namespace
} // namespace mapolt
