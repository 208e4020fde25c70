#pragma once
// The speed bar's rules, kept apart from any widget because the voice selection depends on
// them exactly: a maximum below the minimum (or a minimum above the maximum) is ignored, a
// position outside a new range moves to the nearer bound, and every actual change of the
// position runs the change handler; setting the position it already has runs nothing.

#include <functional>

namespace vernalo {

class TrackBar {
public:
    TrackBar() = default;
    TrackBar(int min, int max, int position);

    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }

    void setMin(int min);
    void setMax(int max);
    void setPosition(int position);

    // The bar's change handler: runs after every change of the position.
    std::function<void()> onChange;
    // Runs after any change of range or position, before OnChange; for a view mirroring it.
    std::function<void()> onUpdate;

private:
    void move(int position);

    int min_ = 0;
    int max_ = 10;
    int position_ = 5;
};

}  // namespace vernalo
