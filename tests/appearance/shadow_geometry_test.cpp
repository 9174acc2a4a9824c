#include "appearance/shadow_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace mapolt {
namespace {

TEST(ShadowGeometryTest, DepthAndAngleOfAnOffset) {
    EXPECT_FLOAT_EQ(shadowDepthOf({3.0f, 4.0f}), 5.0f);
    EXPECT_NEAR(shadowAngleOf({3.0f, 4.0f}), 36.87f, 0.01f);
    EXPECT_NEAR(shadowAngleOf({-3.0f, 4.0f}), 323.13f, 0.01f);
    EXPECT_NEAR(shadowAngleOf({4.0f, 0.0f}), 90.0f, 0.001f);
    EXPECT_NEAR(shadowAngleOf({-4.0f, 0.0f}), 270.0f, 0.001f);
    EXPECT_NEAR(shadowAngleOf({0.0f, 4.0f}), 360.0f, 0.001f);
}

TEST(ShadowGeometryTest, StraightDownReadsAsHalfATurn) {
    EXPECT_NEAR(shadowAngleOf({0.0f, -4.0f}), 180.0f, 0.001f);
    EXPECT_NEAR(shadowAngleOf({-0.0f, -4.0f}), 180.0f, 0.001f);
    EXPECT_NEAR(shadowAngleOf({0.5f, -4.0f}), 172.87f, 0.01f);
    EXPECT_NEAR(shadowAngleOf({-0.5f, -4.0f}), 187.13f, 0.01f);
}

TEST(ShadowGeometryTest, NewDepthKeepsTheDirection) {
    const ShadowOffset o = withShadowDepth({3.0f, 4.0f}, 10.0f);
    EXPECT_FLOAT_EQ(o.x, 6.0f);
    EXPECT_FLOAT_EQ(o.y, 8.0f);
    const ShadowOffset back = withShadowDepth({-3.0f, -4.0f}, 2.5f);
    EXPECT_FLOAT_EQ(back.x, -1.5f);
    EXPECT_FLOAT_EQ(back.y, -2.0f);
}

TEST(ShadowGeometryTest, ZeroOffsetGetsADepthAlongItsAngleInsteadOfNaN) {
    const ShadowOffset o = withShadowDepth({0.0f, 0.0f}, 3.0f);
    EXPECT_FLOAT_EQ(o.x, 0.0f);
    EXPECT_FLOAT_EQ(o.y, 3.0f);
    EXPECT_NEAR(shadowAngleOf(o), 360.0f, 0.001f);
}

TEST(ShadowGeometryTest, NewAngleKeepsTheDepth) {
    const ShadowOffset right = withShadowAngle({3.0f, 4.0f}, 90.0f);
    EXPECT_NEAR(right.x, 5.0f, 1e-5f);
    EXPECT_NEAR(right.y, 0.0f, 1e-5f);
    const ShadowOffset down = withShadowAngle({3.0f, 4.0f}, 180.0f);
    EXPECT_NEAR(down.x, 0.0f, 1e-5f);
    EXPECT_NEAR(down.y, -5.0f, 1e-5f);
    const ShadowOffset diagonal = withShadowAngle({0.0f, 2.0f}, 225.0f);
    EXPECT_NEAR(diagonal.x, -1.41421f, 1e-4f);
    EXPECT_NEAR(diagonal.y, -1.41421f, 1e-4f);
    EXPECT_NEAR(shadowAngleOf(diagonal), 225.0f, 0.001f);
}

TEST(ShadowGeometryTest, NonFiniteInputLeavesTheOffset) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const ShadowOffset o = withShadowDepth({3.0f, 4.0f}, nan);
    EXPECT_FLOAT_EQ(o.x, 3.0f);
    EXPECT_FLOAT_EQ(withShadowAngle({3.0f, 4.0f}, nan).y, 4.0f);
}

} // namespace
} // namespace mapolt
