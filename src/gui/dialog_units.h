#pragma once

#include <QFont>
#include <QRect>

#include "gui/dialog_layout.h"

namespace kestrix::gui {

// Converts dialog units to pixels from the dialog font's base units: a horizontal unit is a
// quarter of the average letter width, a vertical unit an eighth of the line height.
struct DialogUnits {
    int baseX = 7;
    int baseY = 16;

    [[nodiscard]] static DialogUnits ForFont(const QFont& font);

    [[nodiscard]] int X(int units) const { return Scale(units, baseX, 4); }
    [[nodiscard]] int Y(int units) const { return Scale(units, baseY, 8); }
    [[nodiscard]] QRect Rect(const ControlTemplate& control) const {
        return {X(control.x), Y(control.y), X(control.width), Y(control.height)};
    }

  private:
    // units * base / divisor, rounded to the nearest pixel.
    [[nodiscard]] static int Scale(int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    }
};

// The font the dialog templates name, with a fixed-pitch fallback where it is not installed.
[[nodiscard]] QFont DialogFont(const char* family, int pointSize);

}  // namespace kestrix::gui
