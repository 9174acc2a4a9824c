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

} // namespace
} // namespace mapolt
