// Geometry of the splash and the main menu, shared with their tests.
#pragma once

#include <cairo.h>

#include <vector>

#include "ui/app.h"

namespace screens {

// The name the rainbow title spells; it is a name, so it is never translated.
constexpr const char* kGameTitle = "Vantrel's Marbles";

// The rainbow title's size in a w × h window: the start size for the window, lowered until the
// title fits in w − 48 but never below 14.
double splashTitleSize(cairo_t* cr, double w, double h);
double menuTitleSize(cairo_t* cr, double w, double h);

// The menu's column of `count` buttons under a title of titleSize, top to bottom.
std::vector<ui::Rect> menuButtonRects(double w, double h, double titleSize, int count);
double menuButtonFontSize(double w, double h);
// The row of the generated puzzles' three buttons (daily, endless, enter a code) under the
// column whose last button is `last`, in reading order (mirrored right to left).
std::vector<ui::Rect> menuPuzzleRects(double w, double h, const ui::Rect& last);

}  // namespace screens
