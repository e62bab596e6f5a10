// Exact shortest-solution search for one start position (A* over tube-order-canonical positions).
#pragma once

#include <cstddef>
#include <vector>

#include "core/state.h"

namespace levelgen {

struct SolveResult {
    enum class Status { Solved, Unsolvable, TooLarge };
    Status status = Status::Unsolvable;
    std::vector<mar::Move> moves;  // a shortest solution, in the start's own tube numbering
    size_t expanded = 0;           // positions taken from the open list
    size_t stored = 0;             // distinct positions ever generated
    size_t peakBytes = 0;          // memory held by the search tables at their largest
};

// Lower bound on the moves still needed: every marble above its tube's bottom run moves at
// least once, and of a colour's bottom runs all but one (at best the longest) move away marble
// by marble, since a colour ends in a single tube.  It is zero exactly on solved positions and
// one move lowers it by at most one (it is consistent), so A* expands each position once and the
// first solved position it reaches at the lowest open estimate is a shortest solution.
int lowerBound(const mar::GameState& s);

// Proves a shortest solution or that none exists (the open list runs dry: every reachable
// position was seen).  `maxStored` bounds the positions kept; past it, or for a start beyond
// 24 tubes, capacity 7 or 15 colours, the answer is TooLarge and nothing is claimed.
// Deterministic for a given start.
SolveResult solveShortest(const mar::GameState& start, size_t maxStored = 30'000'000);

}  // namespace levelgen
