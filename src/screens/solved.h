// The solved screen's geometry, shared with its tests.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "ui/app.h"

namespace screens {

// The star row's centre line and scale, and the headline's centre and base size.
struct SolvedHeading {
    double starCy, starScale, headlineY, headlineSize;
};
SolvedHeading solvedHeading(double h, int stars);

// Next level (or the temple), play again and main menu, top to bottom.
std::array<ui::Rect, 3> solvedButtonRects(double w, double h, int stars);

// The solved screen of a solve that showed `hints` hints: two stars at most, and "with hints"
// where the optimum line would stand, since no number of moves earns three.
std::unique_ptr<ui::Screen> makeSolvedScreen(int level, int moves, int64_t elapsedMs, int hints);

}  // namespace screens
