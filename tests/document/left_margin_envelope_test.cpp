#include "document/left_margin_envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace mapolt {
namespace {

float bruteForce(const std::vector<std::pair<float, float>>& lines, float dayWidth, float floor) {
    float best = floor;
    for (const auto& [label, start] : lines)
        best = std::max(best, label - start * dayWidth);
    return best;
}

TEST(LeftMarginEnvelope, EmptyProjectKeepsTheFloor) {
    LeftMarginEnvelope envelope;
    envelope.build({});
    EXPECT_EQ(envelope.marginAt(18.0f, 2.0f), 2.0f);
}

TEST(LeftMarginEnvelope, LateLongLabelWinsOnlyWhenDaysAreNarrow) {
    LeftMarginEnvelope envelope;
    // A 40-point label on day 0 and a 300-point label on day 10.
    envelope.build({{40.0f, 0.0f}, {300.0f, 10.0f}});
    EXPECT_FLOAT_EQ(envelope.marginAt(18.0f, 2.0f), 120.0f);
    EXPECT_FLOAT_EQ(envelope.marginAt(36.0f, 2.0f), 40.0f);
    EXPECT_FLOAT_EQ(envelope.marginAt(2.0f, 2.0f), 280.0f);
}

TEST(LeftMarginEnvelope, AgreesWithEveryTaskMeasuredAtEveryZoom) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> label(0.0f, 400.0f);
    std::uniform_int_distribution<int> start(-5, 200);
    for (int project = 0; project < 200; ++project) {
        std::vector<std::pair<float, float>> lines;
        const int n = project % 40;
        for (int i = 0; i < n; ++i)
            lines.emplace_back(label(random), static_cast<float>(start(random)) * 0.5f);
        LeftMarginEnvelope envelope;
        envelope.build(lines);
        for (float w = 0.25f; w < 300.0f; w *= 1.7f)
            EXPECT_FLOAT_EQ(envelope.marginAt(w, 2.0f), bruteForce(lines, w, 2.0f))
                << "project " << project << " at day width " << w;
    }
}

// A task whose line the envelope hides can change or go without a rebuild: adding or removing
// it leaves every margin as it was. A line the margin depends on is never hidden.
TEST(LeftMarginEnvelope, AHiddenLineChangesNoMargin) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> label(0.0f, 400.0f);
    std::uniform_int_distribution<int> start(-5, 200);
    int hidden = 0;
    int shown = 0;
    for (int project = 0; project < 300; ++project) {
        std::vector<std::pair<float, float>> lines;
        const int n = 1 + project % 30;
        for (int i = 0; i < n; ++i)
            lines.emplace_back(label(random), static_cast<float>(start(random)) * 0.5f);
        LeftMarginEnvelope envelope;
        envelope.build(lines);
        const auto candidate = std::make_pair(label(random), static_cast<float>(start(random)));
        std::vector<std::pair<float, float>> more = lines;
        more.push_back(candidate);
        const bool hides = envelope.hides(candidate.first, candidate.second);
        (hides ? hidden : shown) += 1;
        for (float w = 0.0f; w < 400.0f; w = w * 1.5f + 0.01f) {
            if (hides) {
                EXPECT_EQ(bruteForce(more, w, 0.0f), bruteForce(lines, w, 0.0f))
                    << "project " << project << " at day width " << w;
            }
            // Without a line that sets the margin somewhere, it is not hidden.
            std::vector<std::pair<float, float>> fewer = lines;
            fewer.erase(fewer.begin());
            if (bruteForce(fewer, w, 0.0f) < bruteForce(lines, w, 0.0f)) {
                EXPECT_FALSE(envelope.hides(lines.front().first, lines.front().second))
                    << "project " << project << " at day width " << w;
            }
        }
    }
    EXPECT_GT(hidden, 100);
    EXPECT_GT(shown, 20);
}

} // namespace
} // namespace mapolt
