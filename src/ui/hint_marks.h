// What the board draws for a hint: both tubes of the move outlined in the hint colour, a soft
// arrow arcing from one to the other, and a small label near the arc; and the calm notice when
// no way is left.
#pragma once

#include <cairo.h>

#include <array>
#include <string>
#include <vector>

#include "ui/app.h"

namespace ui {

struct HintPoint {
    double x = 0, y = 0;
};

// Where the arrow runs and the label stands: cubic pieces from the source's mouth to the
// target's (the head points down into the target at the last point), and the label's pill with
// its halo.
struct HintPlan {
    std::vector<std::array<HintPoint, 4>> arc;
    Rect label;
};

// How far the arrow's halo and head reach around its line.
constexpr double kHintArcReach = 3.75;

// Plans the hint of a move between the tubes `from` and `to` within `area` (the window between
// header and footer), keeping arc, head and a label of labelW x labelH clear of every rectangle
// in `keepClear` (the marbles) wherever the board leaves room: above the row as on a one-row
// board, between the rows, through a gap between columns or beside the board.
HintPlan planHint(const Rect& from, const Rect& to, const std::vector<Rect>& keepClear,
                  const Rect& area, double labelW, double labelH);

// The points of the arrow's head (tip first) for an arc ending at `end`.
std::array<HintPoint, 3> hintHead(const HintPoint& end);

// Outlines both tubes and draws the planned arc with its label; `t` in seconds makes the
// outline breathe. The label is measured and the plan made here, clear of `keepClear`.
void drawHintMarks(cairo_t* cr, const Rect& from, const Rect& to,
                   const std::vector<Rect>& keepClear, const Rect& area, const std::string& label,
                   double t);

// A cream card centred on (cx, cy), at most maxW wide, with the message wrapped inside.
void drawNotice(cairo_t* cr, double cx, double cy, double maxW, const std::string& message);

}  // namespace ui
