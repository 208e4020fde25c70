#include "speech/trackbar.h"

#include <algorithm>

namespace vernalo {

TrackBar::TrackBar(int min, int max, int position)
    : min_(min), max_(std::max(min, max)), position_(std::clamp(position, min_, max_)) {}

void TrackBar::setMin(int min) {
    if (min > max_ || min == min_) return;
    min_ = min;
    if (position_ < min_) {
        move(min_);
    } else if (onUpdate) {
        onUpdate();
    }
}

void TrackBar::setMax(int max) {
    if (max < min_ || max == max_) return;
    max_ = max;
    if (position_ > max_) {
        move(max_);
    } else if (onUpdate) {
        onUpdate();
    }
}

void TrackBar::setPosition(int position) {
    move(std::clamp(position, min_, max_));
}

void TrackBar::move(int position) {
    if (position == position_) return;
    position_ = position;
    if (onUpdate) onUpdate();
    if (onChange) onChange();
}

}  // namespace vernalo
