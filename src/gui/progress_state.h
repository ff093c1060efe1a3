#pragma once

#include <algorithm>

namespace kestrix::gui {

// Position, range and step of a progress bar, kept the way the status dialog's bar behaves:
// range 0 to 100 and step 10 until set, and a step past either end starts over at the low end.
struct ProgressState {
    int low = 0;
    int high = 100;
    int step = 10;
    int position = 0;

    void SetRange(int newLow, int newHigh) {
        low = newLow;
        high = newHigh;
        position = std::clamp(position, low, std::max(low, high));
    }
    void SetStep(int newStep) { step = newStep; }
    void Step() {
        position += step;
        if (position > high || position < low) position = low;
    }
};

}  // namespace kestrix::gui
