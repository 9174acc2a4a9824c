#pragma once

namespace mapolt {

// The chart's day width, moving towards its target in steps while a zoom runs. Idle when
// the current width is the target; each tick of the app's 15 ms timer takes two steps.
class ZoomAnimation {
  public:
    explicit ZoomAnimation(float dayWidth) : current_(dayWidth), target_(dayWidth) {}

    float current() const { return current_; }
    float target() const { return target_; }
    float step() const { return step_; }
    bool running() const { return running_; }

    // Multiplies the target by `factor`, with a step worked out from the width shown now.
    // A running zoom carries on towards the new target.
    void zoomBy(float factor);
    void tick();

  private:
    float current_;
    float target_;
    float step_ = 0.0f;
    bool running_ = false;
};

} // namespace mapolt
