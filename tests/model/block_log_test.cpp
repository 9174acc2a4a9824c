#include "model/block_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace mapolt {
namespace {

template <class T> std::vector<int> forward(const BlockLog<T>& log) {
    std::vector<int> out;
    log.forEach([&out](const T& x) { out.push_back(*x); });
    return out;
}

template <class T> std::vector<int> backward(BlockLog<T>& log) {
    std::vector<int> out;
    log.forEachReversed([&out](T& x) { out.push_back(*x); });
    return out;
}

// Elements that only move, as undo steps holding snapshots do.
using Owned = std::unique_ptr<int>;

BlockLog<Owned> logOf(int count) {
    BlockLog<Owned> log;
    for (int i = 0; i < count; ++i)
        log.push_back(std::make_unique<int>(i));
    return log;
}

std::vector<int> range(int from, int to, int step = 1) {
    std::vector<int> out;
    for (int i = from; i < to; i += step)
        out.push_back(i);
    return out;
}

TEST(BlockLogTest, KeepsOrderBothWaysAcrossBlocks) {
    BlockLog<Owned> log = logOf(5000);
    EXPECT_EQ(log.size(), 5000u);
    EXPECT_EQ(forward(log), range(0, 5000));
    std::vector<int> reversed = range(0, 5000);
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(backward(log), reversed);
}

TEST(BlockLogTest, EraseKeepsTheOthersInOrderAndAppendsAfterThem) {
    BlockLog<Owned> log = logOf(5000);
    log.eraseIf([](const Owned& x) { return *x % 3 != 0; });
    EXPECT_EQ(log.size(), range(0, 5000, 3).size());
    EXPECT_EQ(forward(log), range(0, 5000, 3));

    log.push_back(std::make_unique<int>(-1));
    std::vector<int> expected = range(0, 5000, 3);
    expected.push_back(-1);
    EXPECT_EQ(forward(log), expected);
}

TEST(BlockLogTest, EraseOfAFullBlockPrefixOrOfEverything) {
    BlockLog<Owned> log = logOf(40);
    log.eraseIf([](const Owned& x) { return *x < 24; });
    EXPECT_EQ(forward(log), range(24, 40));

    log.shrinkToFit();
    log.push_back(std::make_unique<int>(40));
    EXPECT_EQ(forward(log), range(24, 41));

    log.eraseIf([](const Owned&) { return true; });
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(forward(log), std::vector<int>{});
    log.push_back(std::make_unique<int>(7));
    EXPECT_EQ(forward(log), std::vector<int>{7});
}

} // namespace
} // namespace mapolt
