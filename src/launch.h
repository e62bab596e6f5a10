// What the entry point asks of the process before the first frame: the command line, the
// forced first screen, the placement of the window, and clocks that count from exec.
#pragma once

#include <SDL.h>

#include <optional>

#include "core/storage.h"
#include "ui/app.h"

namespace launch {

// Answers --version and --help; returns true when the program should exit at once.
bool handleInfoOptions(int argc, char** argv);
// --fullscreen and --windowed, the last one given winning.
void applyWindowModeOptions(int argc, char** argv, store::Settings& settings);
// The first screen "VANTREL_SCREEN" asks for, if it names one.
std::optional<ui::GameState> screenOverride();
// The stored window fitted into the display's usable area; centred without a stored position.
ui::WindowPlacement windowPlacement(const store::Settings& settings);
// SDL falls back to drivers that show nothing when no display answers. Unless the player named
// such a driver, that is said in one line on stderr and the answer is true: a game nobody sees
// must not go on running.
bool reportMissingDisplay();
// One line naming the video driver and the renderer the game ended up on.
void printVideoLine(SDL_Renderer* ren);

// Seconds on the monotonic clock since its first call.
double nowSeconds();
// Milliseconds since the process was started, loading of its libraries included; -1 if unknown.
double msSinceExec();

}  // namespace launch
