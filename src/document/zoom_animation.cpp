#include "document/zoom_animation.h"

#include <cmath>

namespace mapolt {

namespace {

constexpr float kStepsPerDefaultWidth = 18.0f;
constexpr int kStepsPerTick = 2;

} // namespace

void ZoomAnimation::zoomBy(float factor) {
    step_ = current_ / kStepsPerDefaultWidth;
    const bool idle = current_ == target_;
    target_ *= factor;
    if (idle)
        running_ = true;
}

void ZoomAnimation::tick() {
    if (!running_)
        return;
    for (int i = 0; i < kStepsPerTick; ++i) {
        const float remaining = target_ - current_;
        // A step too small to make progress would never arrive.
        if (!(std::fabs(remaining) >= step_) || !(step_ > 0.0f))
            current_ = target_;
        else
            current_ += remaining > 0.0f ? step_ : -step_;
    }
    if (current_ == target_)
        running_ = false;
}

} // namespace mapolt
