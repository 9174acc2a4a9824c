#include "model/record_slot_index.h"

#include <gtest/gtest.h>

#include <random>
#include <unordered_map>
#include <vector>

namespace mapolt {
namespace {

// Keys are never dereferenced, so addresses inside one buffer stand in for records.
TEST(RecordSlotIndexTest, AgreesWithAMapUnderRandomInsertsAndErases) {
    std::vector<char> arena(4096);
    auto key = [&](std::size_t i) { return reinterpret_cast<const Record*>(&arena[i]); };
    RecordSlotIndex index;
    std::unordered_map<const Record*, std::uint32_t> reference;
    std::mt19937 rng(7);
    for (int step = 0; step < 200'000; ++step) {
        const Record* r = key(rng() % arena.size());
        const auto slot = static_cast<std::uint32_t>(rng() % 100'000);
        if (reference.contains(r)) {
            if (rng() % 2) {
                ASSERT_EQ(index.erase(r), static_cast<std::ptrdiff_t>(reference[r]));
                reference.erase(r);
            } else {
                // Present already: the slot it has stays.
                ASSERT_FALSE(index.insert(r, slot));
            }
        } else {
            ASSERT_EQ(index.erase(r), -1);
            ASSERT_TRUE(index.insert(r, slot));
            reference.emplace(r, slot);
        }
        if (step % 997 == 0) {
            ASSERT_EQ(index.size(), reference.size());
            for (std::size_t i = 0; i < arena.size(); ++i) {
                const auto found = reference.find(key(i));
                const std::ptrdiff_t expected =
                    found == reference.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
                ASSERT_EQ(index.find(key(i)), expected) << "step " << step << " key " << i;
            }
        }
    }
    index.clear();
    EXPECT_EQ(index.size(), 0u);
    EXPECT_EQ(index.find(key(0)), -1);
}

} // namespace
} // namespace mapolt
