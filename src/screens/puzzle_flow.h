// The endless puzzles of each step: which one "New puzzle" opens next, made ahead of time.
#pragma once

#include "core/puzzle.h"

namespace screens {

// The id the next "New puzzle" of the step opens; the same until that puzzle is taken.
puzzle::Id nextEndlessId(int step);
// Has the maker make the step's next puzzle in the background.
void prefetchEndless(int step);
// The step's next puzzle was opened: the following call draws a new one.
void takeEndless(int step);

}  // namespace screens
