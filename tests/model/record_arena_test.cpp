#include "model/entities.h"
#include "model/record_arena.h"
#include "model/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace mapolt {
namespace {

// An odd size, so that records do not tile the slabs exactly.
constexpr std::size_t kSize = 104;

std::vector<char*> allocateMany(RecordArena& arena, std::size_t count) {
    std::vector<char*> places;
    for (std::size_t i = 0; i < count; ++i)
        places.push_back(static_cast<char*>(arena.allocate()));
    return places;
}

TEST(RecordArenaTest, PlacesNeverOverlapAcrossGrowingSlabs) {
    RecordArena arena(kSize);
    // Enough for the five doubling slabs and two of full size.
    std::vector<char*> places = allocateMany(arena, 10'000);
    ASSERT_GE(arena.slabCount(), 7u);
    for (std::size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(places[i]) % 8, 0u);
        std::memset(places[i], static_cast<int>(i % 251), kSize);
    }
    std::vector<char*> sorted = places;
    std::sort(sorted.begin(), sorted.end(), std::less<>());
    for (std::size_t i = 1; i < sorted.size(); ++i)
        ASSERT_GE(sorted[i] - sorted[i - 1], static_cast<std::ptrdiff_t>(kSize));
    for (std::size_t i = 0; i < places.size(); ++i)
        ASSERT_EQ(places[i][kSize - 1], static_cast<char>(i % 251)) << i;
}

TEST(RecordArenaTest, FreedPlacesAreUsedBeforeNewRoom) {
    RecordArena arena(kSize);
    std::vector<char*> places = allocateMany(arena, 10);
    arena.release(places[3]);
    arena.release(places[7]);
    EXPECT_EQ(arena.allocate(), places[7]);
    EXPECT_EQ(arena.allocate(), places[3]);
    char* fresh = static_cast<char*>(arena.allocate());
    EXPECT_EQ(std::count(places.begin(), places.end(), fresh), 0);
}

TEST(RecordArenaTest, PurgedRecordsLeaveTheirRoomToNewOnes) {
    Store store;
    std::vector<ATask*> tasks;
    for (int i = 0; i < 3; ++i)
        tasks.push_back(store.insert<ATask>());
    auto* link = store.insert<DepLink>();
    link->set(&DepLink::dependTask, tasks[0]);
    link->set(&DepLink::dependeeTask, tasks[1]);
    store.flushPendingChanges();
    store.deleteRecord(tasks[2]);
    store.deleteRecord(link);
    store.flushPendingChanges();
    // While undo can bring them back, their room stays theirs.
    EXPECT_NE(store.insert<ATask>(), tasks[2]);
    store.undoManager().removeAllActions();
    EXPECT_EQ(store.insert<ATask>(), tasks[2]);
    auto* reborn = store.insert<DepLink>();
    ASSERT_EQ(reborn, link);
    EXPECT_EQ(reborn->dependTask(), nullptr);
    EXPECT_EQ(store.count(Entity::DepLink), 1u);
}

} // namespace
} // namespace mapolt
