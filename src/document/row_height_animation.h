#pragma once

namespace mapolt {

// The chart's row height, moving a point at a time towards its target (three points per
// tick of the app's 15 ms timer) when the baseline rows are shown or hidden.
class RowHeightAnimation {
  public:
    explicit RowHeightAnimation(float height) : current_(height), target_(height) {}

    float current() const { return current_; }
    float target() const { return target_; }
    bool animating() const { return animating_; }

    // Heads for `height`; starts moving unless a move is under way already.
    void animateTo(float height);
    // For a new style's margins: takes effect at once.
    void jumpTo(float height);
    void tick();

  private:
    float current_;
    float target_;
    bool animating_ = false;
};

} // namespace mapolt
