// The solved screen's button geometry, shared with its tests.
#pragma once

#include <array>

#include "ui/app.h"

namespace screens {

// Next level (or the temple), play again and main menu, top to bottom.
std::array<ui::Rect, 3> solvedButtonRects(double w, double h, int stars);

}  // namespace screens
