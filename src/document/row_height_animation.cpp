#include "document/row_height_animation.h"

#include <algorithm>
#include <cmath>

namespace mapolt {

namespace {

constexpr int kStepsPerTick = 3;
constexpr float kStep = 1.0f;
constexpr float kCloseEnough = 0.1f;

} // namespace

void RowHeightAnimation::animateTo(float height) {
    const bool idle = current_ == target_;
    target_ = height;
    if (idle)
        animating_ = true;
}

void RowHeightAnimation::jumpTo(float height) {
    current_ = height;
    target_ = height;
}

void RowHeightAnimation::tick() {
    if (!animating_)
        return;
    for (int i = 0; i < kStepsPerTick; ++i) {
        const float remaining = target_ - current_;
        // The last step is shortened: a fractional target would otherwise be stepped over
        // again and again.
        const float move = std::min(kStep, std::fabs(remaining));
        current_ += remaining > 0.0f ? move : -move;
        if (!(std::fabs(target_ - current_) >= kCloseEnough)) {
            current_ = target_;
            animating_ = false;
            return;
        }
    }
}

} // namespace mapolt
