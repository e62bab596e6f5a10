// What the board draws for a hint: both tubes of the move outlined in the hint colour, a soft
// arrow arcing from one to the other, and a small label at the top of the arc; and the calm
// notice when no way is left.
#pragma once

#include <cairo.h>

#include <string>

#include "ui/app.h"

namespace ui {

// `from` and `to` are the tubes' rectangles, `top` the lowest y the arc may reach (below the
// header); `t` in seconds makes the outline breathe.
void drawHintMarks(cairo_t* cr, const Rect& from, const Rect& to, double top,
                   const std::string& label, double t);

// A cream card centred on (cx, cy), at most maxW wide, with the message wrapped inside.
void drawNotice(cairo_t* cr, double cx, double cy, double maxW, const std::string& message);

}  // namespace ui
