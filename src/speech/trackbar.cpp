#include "speech/trackbar.h"

#include <algorithm>

namespace vernalo {

TrackBar::TrackBar(int min, int max, int position)
    : min_(min), max_(std::max(min, max)), position_(std::clamp(position, min_, max_)) {}

void TrackBar::SetMin(int min) {
    if (min > max_ || min == min_) return;
    min_ = min;
    if (position_ < min_) {
        Move(min_);
    } else if (OnUpdate) {
        OnUpdate();
    }
}

void TrackBar::SetMax(int max) {
    if (max < min_ || max == max_) return;
    max_ = max;
    if (position_ > max_) {
        Move(max_);
    } else if (OnUpdate) {
        OnUpdate();
    }
}

void TrackBar::SetPosition(int position) {
    Move(std::clamp(position, min_, max_));
}

void TrackBar::Move(int position) {
    if (position == position_) return;
    position_ = position;
    if (OnUpdate) OnUpdate();
    if (OnChange) OnChange();
}

}  // namespace vernalo
