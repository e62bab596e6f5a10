// The solved screen's geometry, shared with its tests.
#pragma once

#include <array>

#include "ui/app.h"

namespace screens {

// The star row's centre line and scale, and the headline's centre and base size.
struct SolvedHeading {
    double starCy, starScale, headlineY, headlineSize;
};
SolvedHeading solvedHeading(double h, int stars);

// Next level (or the temple), play again and main menu, top to bottom.
std::array<ui::Rect, 3> solvedButtonRects(double w, double h, int stars);

}  // namespace screens
