// Where generated puzzles lead: endless play's next puzzle, chosen ahead so it is made before it
// is wanted, and the name a puzzle goes by on the board and the solved screen.
#pragma once

#include <string>

#include "core/puzzle.h"

namespace screens {

// The next endless puzzle of a step (see puzzle::steps()): the one prefetchEndless() chose, else
// a fresh one. It is handed out once; the step's next call chooses anew.
puzzle::Id nextEndlessId(int step);
// Chooses the step's next endless puzzle now, unless one waits already, and has it made.
void prefetchEndless(int step);

// "Puzzle 3DB-PUW-CJ6", or for a daily puzzle (its "YYYY-MM-DD" date given) "Daily · 11 Dec 2026".
std::string puzzleTitle(const std::string& code, const std::string& date);

}  // namespace screens
