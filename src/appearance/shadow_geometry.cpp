#include "appearance/shadow_geometry.h"

#include <cmath>

namespace mapolt {

namespace {

constexpr double kDegreesPerRadian = 57.29577957855229;
constexpr double kFullTurn = 6.2831853;

} // namespace

float shadowDepthOf(ShadowOffset o) {
    const double x = o.x;
    const double y = o.y;
    return static_cast<float>(std::sqrt(x * x + y * y));
}

float shadowAngleOf(ShadowOffset o) {
    double radians = std::atan2(static_cast<double>(o.x), static_cast<double>(o.y));
    if (o.x <= 0.0f)
        radians += kFullTurn;
    double degrees = radians * kDegreesPerRadian;
    // Straight along -y atan2 already gives half a turn; adding a full one would read 540.
    if (degrees > 360.0)
        degrees -= 360.0;
    return static_cast<float>(degrees);
}

ShadowOffset withShadowDepth(ShadowOffset o, float depth) {
    if (!std::isfinite(depth))
        return o;
    const float current = shadowDepthOf(o);
    if (current == 0.0f)
        return ShadowOffset{0.0f, depth};
    const float f = depth / current;
    return ShadowOffset{o.x * f, o.y * f};
}

ShadowOffset withShadowAngle(ShadowOffset o, float degrees) {
    if (!std::isfinite(degrees))
        return o;
    const double depth = shadowDepthOf(o);
    const double r = static_cast<double>(degrees) / kDegreesPerRadian;
    return ShadowOffset{static_cast<float>(std::sin(r) * depth),
                        static_cast<float>(std::cos(r) * depth)};
}

} // namespace mapolt
