// What the entry point asks of the process before the first frame: the command line, the
// forced first screen, the placement of the window, and clocks that count from exec.
#pragma once

#include <SDL.h>

#include <optional>
#include <string>

#include "core/puzzle.h"
#include "core/storage.h"
#include "ui/app.h"

namespace launch {

// Answers --version, --help and --print-puzzle; the exit status when the program should end
// at once (2 for a code that names no puzzle), nothing when it should start.
std::optional<int> handleInfoOptions(int argc, char** argv);

// The puzzle --puzzle CODE or --daily opens, and the daily date it is for.
struct PuzzleChoice {
    puzzle::Id id;
    std::string date;  // "YYYY-MM-DD" for a daily puzzle
};
// Nothing when neither option is given; *bad (after one line on stderr) when the code is not
// valid, in which case the program ends with status 2.
std::optional<PuzzleChoice> puzzleOption(int argc, char** argv, bool* bad);
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
