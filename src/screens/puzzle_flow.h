// Where generated puzzles lead: endless play's next puzzle, chosen ahead so it is made before it
// is wanted, and the name a puzzle goes by on the board and the solved screen.
#pragma once

#include <string>

#include "core/puzzle.h"

namespace screens {

// The id the next "New puzzle" of the step opens; the same until that puzzle is taken.
puzzle::Id nextEndlessId(int step);
// Has the maker make the step's next puzzle in the background.
void prefetchEndless(int step);
// The step's next puzzle was opened: the following call draws a new one.
void takeEndless(int step);

// "Puzzle 3DB-PUW-CJ6", or for a daily puzzle (its "YYYY-MM-DD" date given) "Daily · 11 Dec 2026".
std::string puzzleTitle(const std::string& code, const std::string& date);

}  // namespace screens
