#pragma once

namespace mapolt {

// A shadow offset in points; +y is the direction of 0 degrees, angles grow towards +x.
struct ShadowOffset {
    float x = 0.0f;
    float y = 0.0f;
};

float shadowDepthOf(ShadowOffset offset);
// In (0, 360]; a zero offset reads as 360.
float shadowAngleOf(ShadowOffset offset);
// Keeps the direction. A zero offset has none, so it takes the direction its angle reads as.
ShadowOffset withShadowDepth(ShadowOffset offset, float depth);
ShadowOffset withShadowAngle(ShadowOffset offset, float degrees);

} // namespace mapolt
