// Whether motion is reduced, asked by every painter that moves: the one place that knows.
#pragma once

#include "core/storage.h"
#include "ui/app.h"

namespace ui {

// The moment at which animated painters are drawn while motion is reduced.
constexpr double kStillMoment = 1.0;

// What the desktop asks for while the settings leave it open; told once at start-up.
void setDesktopReducesMotion(bool reduce);
// The player's choice where there is one, else the desktop's; the screen stack sets it from the
// settings each frame.
bool effectiveReduceMotion(const store::Settings& s);
void setMotionReduced(bool reduce);
bool motionReduced();
// The clock of backgrounds, title, fountain and fluids: the frame's time, or kStillMoment.
double motionTime(const Ctx& c);

}  // namespace ui
