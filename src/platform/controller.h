// Game controllers through SDL's GameController API, turned into the keys the screens already
// understand: the D-pad and the left stick are the arrows, A is Enter, B is Escape, X undoes
// (U), Y restarts (R), the right shoulder asks for a hint (H) and Start opens the menu on the
// board (Escape). Every press also marks the frame's input as coming from a controller, which
// shows the focus ring.
//
// Controllers are opened when plugged in and closed when pulled out; the first one used drives
// the game until it goes. A held direction repeats: first after kFirstRepeat, then every
// kRepeat seconds.
#pragma once

#include <SDL.h>

#include "ui/app.h"

namespace controller {

constexpr double kFirstRepeat = 0.4;
constexpr double kRepeat = 0.12;
constexpr int kDeadZone = 16000;  // of 32767: a stick resting a little off centre is no press

// Handles a controller event (device added or removed, button, axis) at time now in seconds:
// what it means lands in in. onBoard says the playing screen is on show, where Start is Escape.
// Returns whether the event was a controller's.
bool handleEvent(const SDL_Event& ev, ui::Input& in, bool onBoard, double now);
// Once a frame: the repeats of a held direction that are due by now.
void tick(ui::Input& in, double now);
// When the held direction repeats next (seconds, on the clock of tick); below 0 when none is held.
double nextRepeatAt();
// How many controllers are open.
int openCount();
// Closes every controller; the entry point calls it before SDL_Quit.
void closeAll();

}  // namespace controller
